// The runtime's timers, its random numbers and its local time.

#include "rig.h"
#include "runtime/clock.h"
#include "runtime/random.h"
#include "runtime/settings_portal.h"
#include "runtime/timers.h"

#include <QDBusVariant>
#include <QtTest>
#include <ctime>
#include <set>

using std::chrono::nanoseconds;

// Timers of the intervals given (ms) on a manual clock, driven by a script
// of steps: "+N" lets N ms pass with every tick delivered on its deadline;
// "~N" lets N ms pass with none (a stall); "jN" sets the wall clock N ms
// on, the steady line unmoved; "d" is one wake of the event
// loop; "wN" lets N ms pass waking only when the hub asks to; "off", "on"
// switch the first timer; "k" makes the first timer's ticks disable the
// second, "s" makes them stop everything; "stop" stops everything now;
// "h" and "v" hide the window and show it again.
// Seen: each timer's ticks, the first one's next deadline (ms), the order
// of all ticks where asked, the wakes where there were any, and where asked
// the ticks whose handler saw the clock before and after their deadline.
struct Schedule { QString intervals, script, seen; };
// Draws from a generator reseeded every so many draws (0: never) with one
// clock reading.
struct Draws { int reseedEvery; };
// A frame timer (1 ms) and a 30 ms one on a display of the refresh rate
// (Hz), driven by a script: "+N" lets N ms pass, the hub woken only when it
// asks, frames told when their time comes; "each" tells every frame, as a
// compositor does, not only the one asked for; "stop" and "go" stop the
// frames and let them come again; "hide" and "show" the window; "rN" moves
// it to a screen of N Hz; "bN" stalls for N frames (no timer runs), then
// tells them at once; "off" and "on" switch the frame timer.
// Seen: each timer's ticks, the presents, the frames that had two, the
// wakes that were not frames, the frames asked for, and whether the ticks
// are on frames.
struct Pacing { double rate; QString script, seen; };


class TestRuntime : public QObject {
    Q_OBJECT

private slots:
    void timers_data()
    {
        QTest::addColumn<Schedule>("row");
        QTest::newRow("1 ms is held at 64 a second") << Schedule{"1", "+1000", "ticks 64 next 1015.625"};
        QTest::newRow("16 ms stays as given") << Schedule{"16", "+1000", "ticks 62 next 1008"};
        QTest::newRow("1 ms for an hour, no drift") << Schedule{"1", "+3600000", "ticks 230400 next 3600015.625"};
        QTest::newRow("a tick due this instant comes") << Schedule{"30", "~30 d", "ticks 1 next 60"};
        QTest::newRow("a tick due in 1 ns does not") << Schedule{"30", "~29.999999 d", "ticks 0 next 30"};
        QTest::newRow("a stall gives one tick, not a burst") << Schedule{"30", "+100 ~5005 d d", "ticks 4 next 5130"};
        QTest::newRow("after a stall the old grid goes on") << Schedule{"30", "+100 ~5005 d +4895", "ticks 167 next 10020"};
        QTest::newRow("the wall clock set back, then on a day") << Schedule{"30", "+100 j-3600000 +500 j86400000 +500", "ticks 36 next 1110"};
        QTest::newRow("a late wake serves the earliest deadline first") << Schedule{"300,200,100", "~350 d", "ticks 1,1,1 next 600 order 210"};
        QTest::newRow("enabling restarts the period from now") << Schedule{"1000", "+2500 off +700 on +2500", "ticks 4 next 6200"};
        QTest::newRow("enabling a running timer keeps its grid") << Schedule{"1000", "+2500 on +2500", "ticks 5 next 6000"};
        QTest::newRow("off and on with a tick due drops the tick") << Schedule{"1000", "~1100 off on d +1000", "ticks 1 next 3100"};
        QTest::newRow("a tick disabled earlier in the same wake is dropped") << Schedule{"30,100", "k ~100 d +1000", "ticks 34,0 next 1110"};
        QTest::newRow("a stop in a tick ends the wake") << Schedule{"20,40", "s ~40 d +1000", "ticks 1,0 next 60"};
        QTest::newRow("nothing after a stop, not the ticks due") << Schedule{"30,1", "+100 stop ~50 d +10000", "ticks 3,6 next 120"};
        QTest::newRow("slower timers ride on the fastest one's wakes") << Schedule{"1,30,275", "w3000", "ticks 192,100,10 next 3015.625 wakes 192"};
        QTest::newRow("unseen: a wake a second, each tick at its deadline") << Schedule{"1,30,1000", "h w3000", "ticks 192,100,3 next 3015.625 wakes 3 early 0 late 0"};
        QTest::newRow("unseen with only a slow timer: at its deadline") << Schedule{"9000", "h w20000", "ticks 2 next 27000 wakes 2 early 0 late 0"};
        QTest::newRow("seen again: the ticks due at once, none early") << Schedule{"1,30,1000", "h w2500 v", "ticks 160,83,2 next 2515.625 wakes 2 early 0 late 0"};
        QTest::newRow("hidden, shown, a stall, hidden again") << Schedule{"1,30,1000", "h w1500 v +500 ~100 d h w1400", "ticks 193,100,3 next 3109.375 wakes 2 early 0 late 2"};
        QTest::newRow("a minute asleep: the last three seconds caught up") << Schedule{"1,30,1000", "h ~60000 d", "ticks 193,101,4 next 60015.625 early 0 late 0"};
    }

    void timers()
    {
        QFETCH(Schedule, row);
        rt::ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)));
        rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
        std::vector<std::unique_ptr<rt::Timer>> timers;
        QString order;
        bool disablesSecond = false, stops = false;
        for (const QString& interval : row.intervals.split(u',')) {
            timers.push_back(std::make_unique<rt::Timer>(hub, interval.toDouble(), true, [&, i = timers.size()] {
                order += QString::number(i);
                if (i == 0 && disablesSecond)
                    timers[1]->setEnabled(false);
                if (i == 0 && stops)
                    hub.stopAll();
            }));
        }
        int wakes = 0, early = 0, late = 0;
        hub.afterTick = [&](const rt::Timer&, nanoseconds due, nanoseconds entered) {
            early += entered < due;
            late += entered > due;
        };
        for (const QString& step : row.script.split(u' ')) {
            const nanoseconds span(std::llround(step.mid(1).toDouble() * 1e6));
            const nanoseconds end = clock.steadyNow() + span;
            if (step == u"d")
                hub.deliverDue();
            else if (step == u"off" || step == u"on")
                timers[0]->setEnabled(step == u"on");
            else if (step == u"stop")
                hub.stopAll();
            else if (step == u"k" || step == u"s")
                (step == u"k" ? disablesSecond : stops) = true;
            else if (step == u"h" || step == u"v")
                hub.setSeen(step == u"v");
            else if (step[0] == u'+')
                test::advance(hub, clock, span);
            else if (step[0] == u'~')
                clock.advance(span);
            else if (step[0] == u'j')
                clock.setWall(clock.wallNow().addMSecs(step.mid(1).toLongLong()));
            for (auto wake = hub.nextWake(); step[0] == u'w' && wake && *wake <= end; wake = hub.nextWake(), ++wakes) {
                clock.advance(*wake - clock.steadyNow());
                hub.deliverDue();
            }
            if (step[0] == u'w')
                clock.advance(end - clock.steadyNow());
        }
        QStringList seen;
        for (std::size_t i = 0; i < timers.size(); ++i)
            seen << QString::number(order.count(QString::number(i)));
        QString result = "ticks " + seen.join(u',') + " next " + QString::number(timers[0]->nextDeadline().count() / 1e6, 'g', 10);
        result += (row.seen.contains("order") ? " order " + order : "") + (wakes ? " wakes " + QString::number(wakes) : "");
        if (row.seen.contains("late"))
            result += QStringLiteral(" early %1 late %2").arg(early).arg(late);
        QCOMPARE(result, row.seen);
    }

    void framesPerTick_data()
    {
        QTest::addColumn<double>("refreshHz");
        QTest::addColumn<int>("frames");
        QTest::newRow("60 Hz: each frame") << 60.0 << 1;
        QTest::newRow("75 Hz: each frame") << 75.0 << 1;
        QTest::newRow("80 Hz: each frame") << 80.0 << 1;
        QTest::newRow("81 Hz: every 2nd") << 81.0 << 2;
        QTest::newRow("120 Hz: every 2nd") << 120.0 << 2;
        QTest::newRow("144 Hz: every 2nd") << 144.0 << 2;
        QTest::newRow("155 Hz: every 3rd, 51.7 nearer 64 than 77.5") << 155.0 << 3;
        QTest::newRow("165 Hz: every 3rd") << 165.0 << 3;
        QTest::newRow("240 Hz: every 4th") << 240.0 << 4;
        QTest::newRow("360 Hz: every 6th") << 360.0 << 6;
        QTest::newRow("2000 Hz: every 26th") << 2000.0 << 26;
        QTest::newRow("30 Hz: each frame") << 30.0 << 1;
        QTest::newRow("unknown: as 60 Hz") << 0.0 << 1;
    }

    void framesPerTick()
    {
        QFETCH(double, refreshHz);
        QFETCH(int, frames);
        QCOMPARE(rt::FramePacer::framesPerTick(refreshHz), frames);
    }

    void pacing_data()
    {
        QTest::addColumn<Pacing>("row");
        // The timers wait for the first frame; the period would tick 1 ms before it.
        QTest::newRow("60 Hz: a tick and a paint each frame") << Pacing{60, "+1000", "ticks 60,33 presents 60 twice 0 wakes 0 asks 61 frames"};
        // The compositor slow to show the first paint: nothing painted before
        // it, where the period would paint twice for nobody.
        QTest::newRow("the first frame 30 ms late: a paint from it on") << Pacing{60, "stop +30 go +70", "ticks 5,3 presents 5 twice 0 wakes 0 asks 6 frames"};
        QTest::newRow("144 Hz: every 2nd frame") << Pacing{144, "+1000", "ticks 72,33 presents 72 twice 0 wakes 0 asks 73 frames"};
        // Frames 20.8 ms apart: the 30 ms timer waits for the next one.
        QTest::newRow("48 Hz: the slower timer rides on frames") << Pacing{48, "+1000", "ticks 48,33 presents 48 twice 0 wakes 0 asks 49 frames"};
        QTest::newRow("144 Hz told frame by frame: every 2nd") << Pacing{144, "each +1000", "ticks 72,33 presents 72 twice 0 wakes 0 asks 145 frames"};
        QTest::newRow("a screen of 144 Hz after 60: every 2nd from then") << Pacing{60, "+100 r144 +100", "ticks 13,6 presents 13 twice 0 wakes 0 asks 15 frames"};
        // No frame after 100 ms: one tick at 150, then 64 a second.
        QTest::newRow("frames stop: the period takes over") << Pacing{60, "+100 stop +200", "ticks 16,9 presents 16 twice 0 wakes 11 asks 7 period"};
        QTest::newRow("frames come again: the next one ticks") << Pacing{60, "+100 stop +200 go +100", "ticks 23,13 presents 23 twice 0 wakes 12 asks 13 frames"};
        // Hidden for 100 ms: no wake, no paint; shown, every tick due at once.
        QTest::newRow("hidden: asleep, then caught up") << Pacing{60, "+108 hide +100 show +92", "ticks 18,10 presents 12 twice 0 wakes 0 asks 14 frames"};
        QTest::newRow("a stall of five frames: one tick each") << Pacing{60, "+100 b5 +100", "ticks 13,7 presents 13 twice 0 wakes 0 asks 14 frames"};
        // Off, each tick of the 30 ms timer is painted; on, the next frame ticks.
        QTest::newRow("the frame timer off and on again") << Pacing{60, "+100 off +50 on +50", "ticks 9,6 presents 11 twice 0 wakes 0 asks 13 frames"};
    }

    void pacing()
    {
        QFETCH(Pacing, row);
        rt::ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)));
        rt::TimerHub hub(clock, rt::TimerHub::Drive::Manual);
        int ticks[2] = {}, presents = 0, inFrame = 0, twice = 0;
        rt::Timer fast(hub, 1, true, [&] { ++ticks[0]; });
        rt::Timer slow(hub, 30, true, [&] { ++ticks[1]; });
        test::Display display(clock, hub, row.rate);
        hub.present = [&] { ++presents; ++inFrame; };
        display.beforeFrame = [&] {
            twice += inFrame > 1;
            inFrame = 0;
        };
        for (const QString& step : row.script.split(u' ')) {
            const double n = step.mid(1).toDouble();
            if (step == u"each" || step == u"stop" || step == u"go" || step == u"hide" || step == u"show") {
                (step == u"each" ? display.each : step == u"stop" || step == u"go" ? display.flowing : display.shown) = step != u"stop" && step != u"hide";
                // Paints while no frame comes are shown by none.
                inFrame = 0;
                if (step == u"hide" || step == u"show") {
                    hub.setSeen(display.shown);
                    display.onChange();
                }
            } else if (step[0] == u'r') {
                display.moveTo(n);
            } else if (step[0] == u'b') {
                display.stall(int(n));
            } else if (step == u"off" || step == u"on") {
                fast.setEnabled(step == u"on");
            } else {
                display.run(nanoseconds(std::llround(n * 1e6)));
            }
        }
        QCOMPARE(QStringLiteral("ticks %1,%2 presents %3 twice %4 wakes %5 asks %6 %7").arg(ticks[0]).arg(ticks[1])
                     .arg(presents).arg(twice).arg(display.wakes).arg(display.asks).arg(hub.onFrames() ? "frames" : "period"),
                 row.seen);
    }

    // 100 000 draws: all in [0, 1), both ends nearly reached, an even
    // spread over ten bins (six standard deviations), and hardly a number
    // twice, also when reseeded before every draw with an unmoved clock.
    void randomNumbers_data()
    {
        QTest::addColumn<Draws>("row");
        QTest::newRow("never reseeded") << Draws{0};
        QTest::newRow("reseeded before every draw, clock standing still") << Draws{1};
    }

    void randomNumbers()
    {
        QFETCH(Draws, row);
        rt::MersenneRandom random(2026);
        std::array<int, 10> bins{};
        std::set<float> seen;
        for (int i = 0; i < 100'000; ++i) {
            if (row.reseedEvery && i % row.reseedEvery == 0)
                random.reseed(37230.25);
            const float r = random.next();
            QVERIFY2(r >= 0 && r < 1, qPrintable(QString::number(r)));
            ++bins[std::size_t(r * 10)];
            seen.insert(r);
        }
        for (int n : bins)
            QVERIFY2(std::abs(n - 10'000) < 600, qPrintable(QString::number(n)));
        QVERIFY(*seen.begin() < 1e-3f && *seen.rbegin() > 1 - 1e-3f);
        QVERIFY2(seen.size() > 99'000, qPrintable(QString::number(seen.size())));
    }

    // The local time in the user's zone (TZ, so no zone files are needed),
    // hours and minutes ahead of UTC.
    void localTime_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("aheadMinutes");
        QTest::newRow("UTC") << QByteArray("UTC0") << 0;
        QTest::newRow("5:30 ahead") << QByteArray("IST-5:30") << 330;
        QTest::newRow("3:30 behind") << QByteArray("NST3:30") << -210;
        QTest::newRow("12:45 ahead, a date ahead at times") << QByteArray("CHAST-12:45") << 765;
        QTest::newRow("summer time all year: 4 behind") << QByteArray("EST5EDT,J1/0,J365/25") << -240;
        QTest::newRow("a made-up zone 20 hours ahead") << QByteArray("XST-20") << 1200;
    }

    void localTime()
    {
        QFETCH(QByteArray, zone);
        QFETCH(int, aheadMinutes);
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        const QDateTime wall = rt::SystemClock().wallNow();
        const QDateTime utc = QDateTime::currentDateTimeUtc();
        before.isNull() ? qunsetenv("TZ") : qputenv("TZ", before);
        tzset();
        const QDateTime shown(wall.date(), wall.time(), QTimeZone::utc());
        QVERIFY2(shown.isValid() && std::abs(shown.msecsTo(utc.addSecs(aheadMinutes * 60))) < 1000,
                 qPrintable(shown.toString(Qt::ISODate)));
    }

    // The settings portal's answer for the colour scheme, as it comes in a
    // reply: Read wraps the value in two variants, ReadOne in one.
    void portalPreference_data()
    {
        const auto in = [](const QVariant& v) { return QVariant::fromValue(QDBusVariant(v)); };
        QTest::addColumn<QVariantList>("reply");
        QTest::addColumn<bool>("dark");
        QTest::newRow("dark, from Read") << QVariantList{in(in(1u))} << true;
        QTest::newRow("dark, from ReadOne") << QVariantList{in(1u)} << true;
        QTest::newRow("no preference") << QVariantList{in(in(0u))} << false;
        QTest::newRow("light") << QVariantList{in(in(2u))} << false;
        QTest::newRow("a value from a later scheme") << QVariantList{in(in(3u))} << false;
        QTest::newRow("not a number") << QVariantList{in(in(QStringLiteral("1")))} << false;
        QTest::newRow("nothing") << QVariantList{} << false;
    }

    void portalPreference()
    {
        QFETCH(QVariantList, reply);
        QFETCH(bool, dark);
        QCOMPARE(rt::SettingsPortal::saysDark(reply), dark);
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "test_runtime.moc"
