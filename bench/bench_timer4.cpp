// Cost of one Timer4 tick with the paint that follows it: the real window,
// shown maximised, on the xcb platform when a display is set and offscreen
// otherwise. The other timers are held still so only the label's work is
// measured.
//
//   bench_timer4 [ticks]     (default 5000 per scenario)

#include "app/form1.h"
#include "runtime/label_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Counts paint events reaching a widget.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Figures {
    double median, p99, mean;
};

Figures figuresOf(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us)
        sum += v;
    const auto at = [&](double q) { return us[static_cast<std::size_t>(q * static_cast<double>(us.size() - 1))]; };
    return {at(0.5), at(0.99), sum / static_cast<double>(us.size())};
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// ticks of Timer4, each followed by the frame's paint when `paint` is
// set; microseconds per tick.
std::vector<double> measure(Form1& form, rt::TimerHub& timers, int ticks, bool paint)
{
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(ticks));
    for (int i = 0; i < ticks; ++i) {
        const auto t0 = Clock::now();
        form.Timer4_Timer();
        if (paint) {
            timers.present();
            QCoreApplication::processEvents();
        }
        const auto t1 = Clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    return us;
}

// Runs a scenario and prints its figures.
void report(const char* what, Form1& form, rt::TimerHub& timers, PaintCounter& counter, int ticks, bool paint)
{
    counter.paints = 0;
    const std::vector<double> us = measure(form, timers, ticks, paint);
    const int paints = counter.paints;
    const Figures f = figuresOf(us);
    std::printf("%-34s median %8.1f us   p99 %8.1f us   mean %8.1f us   label paints/tick %.2f\n", what, f.median,
                f.p99, f.mean, static_cast<double>(paints) / static_cast<double>(us.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(100, std::atoi(argv[1])) : 5000;

    rt::SystemClock clock;
    rt::MersenneRandom random;
    // Manual drive: no timer fires by itself, so each tick is one call.
    rt::TimerHub timers(clock, rt::TimerHub::Drive::Manual);
    rt::LocaleText text;
    // The colour at start is not what this measures.
    struct : rt::Desktop {
        bool prefersDark() override { return false; }
    } desktop;
    rt::Services services{clock, random, timers, text, desktop, [] {}};
    Form1 form(services);
    form.start();
    settle(1000);

    PaintCounter counter;
    form.Label1.widget()->installEventFilter(&counter);
    const QSize window = form.form.widget()->size();
    std::printf("platform %s, window %dx%d, visible %d, exposed %d, %d ticks per scenario\n",
                qPrintable(QGuiApplication::platformName()), window.width(), window.height(),
                form.form.widget()->isVisible(), form.form.widget()->windowHandle()->isExposed(), ticks);

    measure(form, timers, 300, true);   // warm up: caches, glyphs, backing store
    report("Confettii: tick only", form, timers, counter, ticks, false);
    timers.present();
    report("Confettii: tick + paint", form, timers, counter, ticks, true);

    // Vantrel: the whole surface takes the new colour every tick.
    form.vantrel_Click();
    measure(form, timers, 300, true);
    report("Vantrel: tick + paint", form, timers, counter, ticks, true);
    return 0;
}
