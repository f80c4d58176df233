// The program as it runs, with its timers traced for the benchmark. A
// Timer4 tick is timed from its handler's start to the end of the paint
// that follows it (the frame's paint and its flush); a Timer1 tick, whose
// square is painted with the next frame, alone. When the program ends it
// writes, as JSON: every tick's delivery time per timer, the time of each
// traced call, and when the window was first exposed and the label first
// drawn.
//
//   brisora_traced OUT.json LAUNCH_EPOCH_MS

#include "app/form1.h"
#include "runtime/system_services.h"
#include "runtime/label_widget.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QWindow>
#include <map>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace {

struct Trace {
    std::vector<double> deliveredMs;   // steady time of each delivery
    std::vector<double> callUs;        // handler (Timer4: and the frame's paint)
};

// Remembers when something first happened, in ms since the epoch.
class FirstEvent final : public QObject {
public:
    explicit FirstEvent(QEvent::Type type) : type_(type) {}
    qint64 at = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type_ && at == 0)
            at = QDateTime::currentMSecsSinceEpoch();
        return false;
    }

private:
    QEvent::Type type_;
};

QJsonArray toJson(const std::vector<double>& values)
{
    QJsonArray out;
    for (double v : values)
        out.append(v);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: brisora_traced OUT.json LAUNCH_EPOCH_MS\n");
        return 2;
    }
    const QString outPath = QString::fromLocal8Bit(argv[1]);
    const qint64 launched = QByteArray(argv[2]).toLongLong();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    rt::SystemServices system;
    Form1 form(system.services);

    const std::map<const rt::Timer*, std::string> names{
        {&form.Timer1, "Timer1"}, {&form.Timer2, "Timer2"}, {&form.Timer3, "Timer3"},
        {&form.Timer4, "Timer4"}, {&form.Timer5, "Timer5"}, {&form.Timer6, "Timer6"}};
    std::map<std::string, Trace> traces;
    const auto usSince = [&](std::chrono::nanoseconds since) {
        return std::chrono::duration<double, std::micro>(system.clock.steadyNow() - since).count();
    };
    std::optional<std::chrono::nanoseconds> timer4Entered;
    system.timers.afterTick = [&](const rt::Timer& timer, std::chrono::nanoseconds, std::chrono::nanoseconds entered) {
        Trace& trace = traces[names.at(&timer)];
        trace.deliveredMs.push_back(std::chrono::duration<double, std::milli>(entered).count());
        if (&timer == &form.Timer4)
            timer4Entered = entered;
        if (&timer == &form.Timer1)
            trace.callUs.push_back(usSince(entered));
    };

    FirstEvent exposed(QEvent::Expose);
    FirstEvent labelDrawn(QEvent::Paint);
    form.Label1.widget()->installEventFilter(&labelDrawn);
    form.start();
    form.form.widget()->windowHandle()->installEventFilter(&exposed);
    system.timers.present = [&, present = system.timers.present] {
        present();
        if (timer4Entered)
            traces["Timer4"].callUs.push_back(usSince(*std::exchange(timer4Entered, std::nullopt)));
    };

    const int status = app.exec();

    QJsonObject timersJson;
    for (const auto& [name, trace] : traces)
        timersJson[QString::fromStdString(name)] = QJsonObject{{"delivered_ms", toJson(trace.deliveredMs)},
                                                               {"call_us", toJson(trace.callUs)}};
    const QJsonObject out{{"timers", timersJson},
                          {"exposed_after_ms", exposed.at ? exposed.at - launched : -1},
                          {"label_drawn_after_ms", labelDrawn.at ? labelDrawn.at - launched : -1}};
    QFile file(outPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(out).toJson(QJsonDocument::Compact)) < 0) {
        std::fprintf(stderr, "brisora_traced: cannot write %s\n", argv[1]);
        return 1;
    }
    return status;
}
