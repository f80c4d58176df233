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

using namespace std::chrono_literals;

namespace test {

inline constexpr float kLargestBelowOne = 0x1.fffffep-1f;

// Flags as a string of 0s and 1s, to compare with one written in a table.
inline QString bits(std::initializer_list<bool> flags)
{
    QString s;
    for (bool flag : flags)
        s += flag ? u'1' : u'0';
    return s;
}

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

struct Rig {
    explicit Rig(const QDateTime& start = QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)), const QLocale& locale = QLocale::c())
        : clock(start), timers(clock, rt::TimerHub::Drive::Manual), text(locale),
          services{clock, random, timers, text, [this] { ++ends; }}, form(std::make_unique<Form1>(services))
    {
        form->start();
        if (!QTest::qWaitForWindowExposed(form->form.widget()))
            qFatal("the window was never shown");
    }

    void advance(std::chrono::nanoseconds by) { timers.advance(clock, by); }
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
    int ends = 0;
    rt::Services services;
    std::unique_ptr<Form1> form;
};

} // namespace test
