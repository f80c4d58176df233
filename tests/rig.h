#pragma once
// A Form1 started on Qt's offscreen platform and driven by hand: a clock
// that starts on Monday 7 December 2026 at 10:20:30 and moves only when told,
// ticks delivered on demand, a random source that hands out scripted
// numbers (queued) first, the C locale, and an end of the program that is counted.

#include "app/form1.h"
#include "runtime/qt_colour.h"
#include "runtime/surface_widget.h"

#include <QMainWindow>
#include <QtTest>
#include <deque>
#include <optional>

using namespace std::chrono_literals;

namespace test {

inline constexpr float kLargestBelowOne = 0x1.fffffep-1f;

// Lets time run on the manual clock to `by` later, delivering every tick on
// its deadline on the way (while unseen, waking only when the hub asks to,
// as the event loop would).
inline void advance(rt::TimerHub& hub, rt::ManualClock& clock, std::chrono::nanoseconds by)
{
    const std::chrono::nanoseconds target = clock.steadyNow() + by;
    for (auto at = hub.seen() ? hub.nextDeadline() : hub.nextWake(); at && !hub.stopped() && *at <= target;
         at = hub.seen() ? hub.nextDeadline() : hub.nextWake()) {
        clock.advance(*at - clock.steadyNow());
        hub.deliverDue();
    }
    clock.advance(target - clock.steadyNow());
}

// Flags as a string of 0s and 1s, to compare with one written in a table.
inline QString bits(std::initializer_list<bool> flags)
{
    QString s;
    for (bool flag : flags)
        s += flag ? u'1' : u'0';
    return s;
}

// A display of some refresh rate, driven by hand with the timers: its frame
// clock tells the frame asked for (each frame where `each`, as a compositor
// does) when its time comes on the grid of the rate, while the frames flow
// and the window is shown. Time passes waking the hub only when it asks,
// and Qt's posted events are sent after each wake, as the event loop would.
class Display final : public rt::FrameClock {
public:
    // `claimed`: the rate the screen claims, where it is not the real one.
    Display(rt::ManualClock& clock, rt::TimerHub& hub, double rate, double claimed = 0)
        : claimed_(claimed), clock_(clock), hub_(hub), rate_(rate)
    {
        hub_.followFrames(this);
    }
    ~Display() override { hub_.followFrames(nullptr); }

    void request(int frames) override
    {
        asked_ = frames;
        ++asks;
    }
    bool serves() const override { return shown; }
    double refreshRate() const override { return claimed_ > 0 ? claimed_ : rate_; }

    void run(std::chrono::nanoseconds by)
    {
        const std::chrono::nanoseconds end = clock_.steadyNow() + by;
        for (;;) {
            // The frame asked for, or the next one if that has gone by.
            std::optional<std::int64_t> next;
            if (asked_ && flowing && shown) {
                next = last_ + (each ? 1 : asked_);
                while (at(*next) <= clock_.steadyNow())
                    ++*next;
            }
            const auto wake = hub_.nextWake();
            if (next && at(*next) <= end && (!wake || at(*next) <= *wake)) {
                clock_.advance(at(*next) - clock_.steadyNow());
                tell(int(*next - last_));
            } else if (wake && *wake <= end) {
                clock_.advance(*wake - clock_.steadyNow());
                hub_.deliverDue();
                ++wakes;
            } else {
                clock_.advance(end - clock_.steadyNow());
                return;
            }
            QCoreApplication::sendPostedEvents();
        }
    }
    // The program stands still for so many frames; they are told at once.
    void stall(int frames)
    {
        clock_.advance(at(last_ + frames) - clock_.steadyNow());
        tell(frames);
    }
    // The window moves to a screen of another rate.
    void moveTo(double rate)
    {
        rate_ = rate;
        last_ = std::llround(double(clock_.steadyNow().count()) * rate / 1e9);
        onChange();
    }

    bool shown = true, flowing = true, each = false;
    int asks = 0, wakes = 0;
    std::function<void()> beforeFrame;

private:
    std::chrono::nanoseconds at(std::int64_t frame) const
    {
        return std::chrono::nanoseconds(std::llround(double(frame) * 1e9 / rate_));
    }
    void tell(int frames)
    {
        last_ += frames;
        asked_ = 0;
        if (beforeFrame)
            beforeFrame();
        onFrame(each ? 1 : frames);
    }

    double claimed_;
    rt::ManualClock& clock_;
    rt::TimerHub& hub_;
    double rate_;
    int asked_ = 0;
    std::int64_t last_ = 0;   // the frame last told
};

class ScriptedRandom final : public rt::Random {
public:
    float next() override
    {
        ++draws;
        const float r = queued.empty() ? fallback.next() : queued.front();
        if (!queued.empty())
            queued.pop_front();
        return r;
    }
    void reseed(double seed) override
    {
        ++reseeds;
        lastSeed = seed;
        fallback.reseed(seed);
    }

    int draws = 0, reseeds = 0;
    double lastSeed = -1;
    std::deque<float> queued;
    rt::MersenneRandom fallback{12345};
};

// A desktop that prefers dark or nothing, as told before the window starts.
struct Desktop final : rt::Desktop {
    bool prefersDark() override { return dark; }
    bool dark = false;
};

struct Rig {
    explicit Rig(const QDateTime& start = QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)), const QLocale& locale = QLocale::c())
        : clock(start), timers(clock, rt::TimerHub::Drive::Manual), text(locale),
          services{clock, random, timers, text, desktop, [this] { ++ends; }}, form(std::make_unique<Form1>(services))
    {
        form->start();
        if (!QTest::qWaitForWindowExposed(form->form.widget()))
            qFatal("the window was never shown");
    }

    void advance(std::chrono::nanoseconds by) { test::advance(timers, clock, by); }
    QString caption() const { return QString::fromStdString(form->Label1.caption()); }

    // Switches off, through the menu, each option not named: D(ate), T(ime), W(eekday).
    void keepOnly(const QString& options)
    {
        for (auto [letter, item] : {std::pair{u'D', &form->dates}, {u'T', &form->times}, {u'W', &form->days}})
            if (!options.contains(letter))
                item->choose();
    }

    // What the surface shows at a logical pixel, the label on it included.
    rt::Colour shownAt(QPoint pixel) const { return rt::fromQColor(form->form.surface()->grab().toImage().pixelColor(pixel)); }

    rt::ManualClock clock;
    ScriptedRandom random;
    rt::TimerHub timers;
    rt::LocaleText text;
    Desktop desktop;
    int ends = 0;
    rt::Services services;
    std::unique_ptr<Form1> form;
};

} // namespace test
