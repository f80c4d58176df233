// The periodic timers, driven by hand on a manual clock: when ticks come,
// what a stall does, and how enabling, disabling and stopping act.

#include "runtime/clock.h"
#include "runtime/timers.h"

#include <QtTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

QDateTime wallStart()
{
    return QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30));
}

// A timer that notes the steady time of each of its ticks, and the order
// of all ticks in a shared log.
struct Recorded {
    Recorded(rt::TimerHub& hub, const rt::ManualClock& clock, double intervalMs, std::vector<std::string>* log = nullptr,
             std::string name = {})
        : timer(hub, intervalMs, true, [this, &clock, log, name] {
              at.push_back(clock.steadyNow());
              if (log)
                  log->push_back(name);
              if (onTick)
                  onTick();
          })
    {
    }

    std::vector<nanoseconds> at;
    std::function<void()> onTick;
    rt::Timer timer;
};

nanoseconds ms(double value)
{
    return nanoseconds(static_cast<std::int64_t>(value * 1e6));
}

} // namespace

class TestTimers : public QObject {
    Q_OBJECT

private slots:
    void shortIntervalHeldAtSixtyFourPerSecond();
    void shortIntervalExactOverAnHour();
    void longerIntervalsTickOnTheirMultiples();
    void stallDeliversOneTickAndKeepsTheGrid();
    void disablingDropsTickAlreadyDue();
    void enablingRestartsFromNow();
    void enablingEnabledTimerKeepsItsGrid();
    void disabledTimerStaysQuiet();
    void stopAllDeliversNothingMore();
    void stopAllFromHandlerEndsTheRound();
    void simultaneousTicksEarliestDeadlineFirst();
    void deliverDueBeforeDeadlineDoesNothing();
    void slowerTimersRideOnTheFastestWake();
};

void TestTimers::shortIntervalHeldAtSixtyFourPerSecond()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded one(hub, clock, 1);
    Recorded fifteen(hub, clock, 15);
    Recorded sixteen(hub, clock, 16);
    QCOMPARE(one.timer.interval(), 1.0);
    QCOMPARE(one.timer.period(), nanoseconds(15'625'000));
    QCOMPARE(fifteen.timer.period(), nanoseconds(15'625'000));
    QCOMPARE(sixteen.timer.period(), nanoseconds(16ms));

    hub.advance(clock, 1s);
    QCOMPARE(one.at.size(), std::size_t(64));
    for (std::size_t k = 0; k < one.at.size(); ++k)
        QCOMPARE(one.at[k], nanoseconds(15'625'000) * std::int64_t(k + 1));
    QCOMPARE(one.at.back(), nanoseconds(1s));
    QCOMPARE(sixteen.at.size(), std::size_t(62));
    QCOMPARE(clock.steadyNow(), nanoseconds(1s));
}

void TestTimers::shortIntervalExactOverAnHour()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    std::int64_t ticks = 0;
    std::int64_t offGrid = 0;
    rt::Timer timer(hub, 1, true, [&] {
        ++ticks;
        if (clock.steadyNow() != ticks * rt::TimerHub::kShortestPeriod)
            ++offGrid;
    });
    // In ten steps of six minutes, as a test would drive it in pieces.
    for (int i = 0; i < 10; ++i)
        hub.advance(clock, 6min);
    QCOMPARE(ticks, std::int64_t(64 * 3600));
    QCOMPARE(offGrid, std::int64_t(0));
    QCOMPARE(timer.nextDeadline(), nanoseconds(1h) + rt::TimerHub::kShortestPeriod);
    // The wall clock went along without drift.
    QCOMPARE(clock.wallNow(), wallStart().addSecs(3600));
}

void TestTimers::longerIntervalsTickOnTheirMultiples()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    const std::vector<double> intervals{30, 275, 900, 1000, 9000};
    std::vector<std::unique_ptr<Recorded>> timers;
    for (double interval : intervals)
        timers.push_back(std::make_unique<Recorded>(hub, clock, interval));

    // 99 s: a whole number of periods for all but 275 ms.
    hub.advance(clock, 99s);
    for (std::size_t i = 0; i < intervals.size(); ++i) {
        const Recorded& t = *timers[i];
        const auto expected = std::size_t(99'000 / intervals[i]);
        QCOMPARE(t.at.size(), expected);
        for (std::size_t k = 0; k < t.at.size(); ++k) {
            if (t.at[k] != ms(intervals[i] * double(k + 1)))
                QFAIL(qPrintable(QStringLiteral("%1 ms timer: tick %2 at %3 ns")
                                     .arg(intervals[i])
                                     .arg(k + 1)
                                     .arg(t.at[k].count())));
        }
    }
    QCOMPARE(timers[1]->at.size(), std::size_t(360));
    QCOMPARE(timers[1]->timer.nextDeadline(), 99'275ms);
}

void TestTimers::stallDeliversOneTickAndKeepsTheGrid()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded fast(hub, clock, 1);
    Recorded thirty(hub, clock, 30);
    Recorded second(hub, clock, 1000);

    hub.advance(clock, 100ms);
    QCOMPARE(thirty.at.size(), std::size_t(3));
    QCOMPARE(fast.at.size(), std::size_t(6));

    // The program hangs for five seconds, then gets one wake.
    clock.advance(5005ms);
    hub.deliverDue();
    QCOMPARE(fast.at.size(), std::size_t(7));
    QCOMPARE(thirty.at.size(), std::size_t(4));
    QCOMPARE(second.at.size(), std::size_t(1));
    QCOMPARE(thirty.at.back(), 5105ms);
    // Another wake at the same moment brings nothing.
    hub.deliverDue();
    QCOMPARE(thirty.at.size(), std::size_t(4));

    // The schedule goes on from the original grid, not from the late wake.
    QCOMPARE(fast.timer.nextDeadline(), rt::TimerHub::kShortestPeriod * 327);   // 5109.375 ms
    QCOMPARE(thirty.timer.nextDeadline(), 5130ms);
    QCOMPARE(second.timer.nextDeadline(), 6000ms);

    hub.advance(clock, 4895ms);   // to 10 s
    QCOMPARE(clock.steadyNow(), nanoseconds(10s));
    QCOMPARE(thirty.at[4], 5130ms);
    QCOMPARE(thirty.at.back(), 9990ms);
    // 3 before, 1 late, then 5130 to 9990 in steps of 30.
    QCOMPARE(thirty.at.size(), std::size_t(3 + 1 + 163));
    QCOMPARE(second.at.size(), std::size_t(1 + 5));
    QCOMPARE(second.at.back(), 10s);
    QCOMPARE(fast.at.back(), 10s);
    for (nanoseconds at : thirty.at) {
        if (at != 5105ms && at % 30ms != 0ns)
            QFAIL(qPrintable(QStringLiteral("off the 30 ms grid at %1 ns").arg(at.count())));
    }

    // From here the mean rate is the nominal one again.
    const std::size_t before = thirty.at.size();
    hub.advance(clock, 60s);
    QCOMPARE(thirty.at.size() - before, std::size_t(2000));
}

void TestTimers::disablingDropsTickAlreadyDue()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    std::vector<std::string> log;
    Recorded later(hub, clock, 100, &log, "later");
    Recorded first(hub, clock, 30, &log, "first");
    first.onTick = [&] { later.timer.setEnabled(false); };

    // Both are due at this wake; the earlier deadline runs first and turns
    // the other one off, so its due tick is dropped.
    clock.advance(100ms);
    hub.deliverDue();
    QCOMPARE(log, (std::vector<std::string>{"first"}));
    QVERIFY(!later.timer.enabled());
    hub.advance(clock, 1s);
    QVERIFY(later.at.empty());

    // Disabled from outside with a tick due: dropped too.
    Recorded other(hub, clock, 50);
    clock.advance(70ms);
    other.timer.setEnabled(false);
    hub.deliverDue();
    QVERIFY(other.at.empty());
}

void TestTimers::enablingRestartsFromNow()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded t(hub, clock, 1000);
    hub.advance(clock, 2500ms);
    QCOMPARE(t.at, (std::vector<nanoseconds>{1s, 2s}));
    t.timer.setEnabled(false);
    hub.advance(clock, 700ms);
    t.timer.setEnabled(true);
    QVERIFY(t.timer.enabled());
    QCOMPARE(t.timer.nextDeadline(), 4200ms);
    hub.advance(clock, 2500ms);
    QCOMPARE(t.at, (std::vector<nanoseconds>{1s, 2s, 4200ms, 5200ms}));

    // Off and on again in the same instant, with a tick due: the period
    // starts over, so the due tick does not come.
    clock.advance(1100ms);   // 6800 ms; 6200 was due
    t.timer.setEnabled(false);
    t.timer.setEnabled(true);
    hub.deliverDue();
    QCOMPARE(t.at.size(), std::size_t(4));
    hub.advance(clock, 1s);
    QCOMPARE(t.at.back(), 7800ms);
}

void TestTimers::enablingEnabledTimerKeepsItsGrid()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded t(hub, clock, 1000);
    Recorded chooser(hub, clock, 700);
    // As a menu handler does: enable a timer that already runs.
    chooser.onTick = [&] { t.timer.setEnabled(true); };
    hub.advance(clock, 2500ms);
    t.timer.setEnabled(true);
    hub.advance(clock, 2500ms);
    QCOMPARE(t.at, (std::vector<nanoseconds>{1s, 2s, 3s, 4s, 5s}));
    QCOMPARE(chooser.at.size(), std::size_t(7));
}

void TestTimers::disabledTimerStaysQuiet()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    int ticks = 0;
    rt::Timer off(hub, 30, false, [&] { ++ticks; });
    QVERIFY(!off.enabled());
    hub.advance(clock, 10s);
    clock.advance(1s);
    hub.deliverDue();
    QCOMPARE(ticks, 0);
    off.setEnabled(true);
    hub.advance(clock, 90ms);
    QCOMPARE(ticks, 3);
}

void TestTimers::stopAllDeliversNothingMore()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded a(hub, clock, 30);
    Recorded b(hub, clock, 1);
    hub.advance(clock, 100ms);
    const std::size_t aBefore = a.at.size();
    const std::size_t bBefore = b.at.size();

    // Ticks already due when everything stops never come.
    clock.advance(50ms);
    QVERIFY(a.timer.nextDeadline() <= clock.steadyNow());
    QVERIFY(!hub.stopped());
    hub.stopAll();
    QVERIFY(hub.stopped());
    hub.deliverDue();
    hub.advance(clock, 10s);
    // Nor does re-enabling bring any back.
    b.timer.setEnabled(false);
    b.timer.setEnabled(true);
    hub.advance(clock, 1s);
    QCOMPARE(a.at.size(), aBefore);
    QCOMPARE(b.at.size(), bBefore);
    // Time still runs for the clock.
    QCOMPARE(clock.steadyNow(), 11150ms);
}

void TestTimers::stopAllFromHandlerEndsTheRound()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    std::vector<std::string> log;
    Recorded ender(hub, clock, 20, &log, "ender");
    Recorded due(hub, clock, 40, &log, "due");
    ender.onTick = [&] { hub.stopAll(); };
    // Both due at 40 ms in one wake; the earlier deadline (20 ms) ends it.
    clock.advance(40ms);
    hub.deliverDue();
    QCOMPARE(log, (std::vector<std::string>{"ender"}));
    hub.advance(clock, 1s);
    QCOMPARE(log.size(), std::size_t(1));
}

void TestTimers::simultaneousTicksEarliestDeadlineFirst()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    std::vector<std::string> log;
    Recorded slow(hub, clock, 300, &log, "300");
    Recorded mid(hub, clock, 200, &log, "200");
    Recorded quick(hub, clock, 100, &log, "100");

    // A late wake with all three due: each once, earliest deadline first,
    // whatever order they were made in.
    clock.advance(350ms);
    hub.deliverDue();
    QCOMPARE(log, (std::vector<std::string>{"100", "200", "300"}));

    // On time: at 600 ms all three share a deadline and each ticks once
    // at that instant.
    hub.advance(clock, 250ms);
    QCOMPARE(clock.steadyNow(), 600ms);
    QCOMPARE(std::count(quick.at.begin(), quick.at.end(), 600ms), 1);
    QCOMPARE(std::count(mid.at.begin(), mid.at.end(), 600ms), 1);
    QCOMPARE(std::count(slow.at.begin(), slow.at.end(), 600ms), 1);
    QCOMPARE(quick.at, (std::vector<nanoseconds>{350ms, 400ms, 500ms, 600ms}));
    QCOMPARE(mid.at, (std::vector<nanoseconds>{350ms, 400ms, 600ms}));
    QCOMPARE(slow.at, (std::vector<nanoseconds>{350ms, 600ms}));
    QCOMPARE(log.size(), std::size_t(3 + 6));
}

void TestTimers::deliverDueBeforeDeadlineDoesNothing()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded t(hub, clock, 30);
    clock.advance(29'999'999ns);
    hub.deliverDue();
    QVERIFY(t.at.empty());
    clock.advance(1ns);
    hub.deliverDue();
    QCOMPARE(t.at, (std::vector<nanoseconds>{30ms}));
}

QTEST_GUILESS_MAIN(TestTimers)
// The event loop wakes when nextWake() says and delivers what is due: a
// slower timer waits for the fastest one's wake instead of waking alone,
// never more than one shortest period late, and keeps its mean rate.
void TestTimers::slowerTimersRideOnTheFastestWake()
{
    rt::ManualClock clock(wallStart());
    rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
    Recorded fast(hub, clock, 1);
    Recorded slow(hub, clock, 30);
    Recorded slowest(hub, clock, 275);

    int wakes = 0;
    while (clock.steadyNow() < 3s) {
        const auto wake = hub.nextWake();
        QVERIFY(wake.has_value());
        QVERIFY(*wake >= clock.steadyNow());
        clock.advance(*wake - clock.steadyNow());
        hub.deliverDue();
        ++wakes;
    }

    // Every wake delivered the fast timer: nobody woke the loop alone.
    QCOMPARE(fast.at.size(), std::size_t(wakes));
    QCOMPARE(fast.at.size(), std::size_t(192));
    for (const Recorded* t : {&slow, &slowest}) {
        for (std::size_t k = 0; k < t->at.size(); ++k) {
            QVERIFY(std::binary_search(fast.at.begin(), fast.at.end(), t->at[k]));
            const nanoseconds late = t->at[k] - ms(t->timer.interval() * double(k + 1));
            QVERIFY2(late >= 0ns && late <= rt::TimerHub::kShortestPeriod, qPrintable(QString::number(late.count())));
        }
    }
    QCOMPARE(slow.at.size(), std::size_t(100));
    QCOMPARE(slowest.at.size(), std::size_t(10));

    // Nothing to wake for once everything is stopped.
    hub.stopAll();
    QVERIFY(!hub.nextWake().has_value());
}

#include "test_timers.moc"
