#pragma once
// A Form1 on Qt's offscreen platform, driven by hand: a manual clock, ticks
// delivered on demand, a seeded random generator, the C locale, and an
// end of the program that is only counted.

#include "app/form1.h"

#include <QDateTime>
#include <QTimeZone>
#include <chrono>
#include <deque>
#include <memory>

namespace test {

// A random source that hands out the given numbers first, then seeded ones.
class ScriptedRandom final : public rt::Random {
public:
    explicit ScriptedRandom(std::uint64_t seed = 12345) : fallback_(seed) {}

    void script(std::initializer_list<float> values) { queued_.insert(queued_.end(), values); }
    float next() override
    {
        ++draws;
        if (queued_.empty())
            return fallback_.next();
        const float r = queued_.front();
        queued_.pop_front();
        return r;
    }
    void reseed(double seed) override
    {
        ++reseeds;
        lastSeed = seed;
        fallback_.reseed(seed);
    }

    int draws = 0;
    int reseeds = 0;
    double lastSeed = -1;

private:
    std::deque<float> queued_;
    rt::MersenneRandom fallback_;
};

// The largest float below 1.
inline constexpr float kLargestBelowOne = 0x1.fffffep-1f;

inline QDateTime defaultStart()
{
    return QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30));
}

struct Rig {
    explicit Rig(const QDateTime& wallStart = defaultStart(), const QLocale& locale = QLocale::c())
        : clock(wallStart),
          timers(clock, rt::TimerHub::Drive::Manual),
          text(locale),
          services{clock, random, timers, text, [this] { ++ends; }},
          form(std::make_unique<Form1>(services))
    {
    }

    // Form_Load as at start-up, without showing the window.
    Form1& loaded()
    {
        form->Form_Load();
        return *form;
    }

    void advance(std::chrono::nanoseconds by) { timers.advance(clock, by); }

    rt::ManualClock clock;
    ScriptedRandom random;
    rt::TimerHub timers;
    rt::LocaleText text;
    int ends = 0;
    rt::Services services;
    std::unique_ptr<Form1> form;
};

} // namespace test
