// The wall clock misbehaving under a running window: midnight, daylight
// saving changes and the clock set back or forward by hours. The timers run
// on the steady line and keep their rates; the rotation goes on and shows
// the date and weekday of the moment it ticks.

#include "rig.h"

#include <QtTest>
#include <array>

using namespace std::chrono_literals;

namespace {

const std::array<const char*, 7> kWeekdays{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// Steps the rig one millisecond at a time, counts each timer's ticks per
// whole second of the steady line and checks what every tick of Timer2
// and Timer5 left on the label against the wall clock of that moment.
// No period is shorter than a millisecond, so a step holds at most one
// tick of each timer, seen as its next deadline moving on.
class Watch {
public:
    explicit Watch(test::Rig& rig)
        : rig_(rig), f_(*rig.form),
          timers_{&f_.Timer1, &f_.Timer2, &f_.Timer3, &f_.Timer4, &f_.Timer5, &f_.Timer6}
    {
        for (std::size_t i = 0; i < timers_.size(); ++i)
            deadlines_[i] = timers_[i]->nextDeadline();
    }

    // Runs whole seconds; false (with a message) on the first fault.
    bool run(int seconds)
    {
        for (int s = 0; s < seconds; ++s) {
            std::array<int, 6> ticks{};
            for (int ms = 0; ms < 1000; ++ms) {
                const float leftBefore = f_.Label1.left();
                const float topBefore = f_.Label1.top();
                rig_.advance(1ms);
                std::array<bool, 6> ticked{};
                for (std::size_t i = 0; i < timers_.size(); ++i) {
                    ticked[i] = timers_[i]->nextDeadline() != deadlines_[i];
                    ticks[i] += ticked[i];
                    deadlines_[i] = timers_[i]->nextDeadline();
                }
                if (ticked[3] && (f_.Label1.left() == leftBefore || f_.Label1.top() == topBefore))
                    return failed(QStringLiteral("the label did not move at a tick"));
                if (!checkCaption(ticked[4], ticked[1]))
                    return false;
                minSeed = std::min(minSeed, rig_.random.lastSeed);
            }
            // Steady rates: 64 a second, 1000/30, 1000/275, 1000/900, one a
            // second; at most one Timer5 tick in any second.
            if (ticks[3] != 64 || ticks[1] != 1 || ticks[0] < 33 || ticks[0] > 34 || ticks[5] < 3 || ticks[5] > 4
                || ticks[2] < 1 || ticks[2] > 2 || ticks[4] > 1)
                return failed(QStringLiteral("ticks in a second: T1 %1 T2 %2 T3 %3 T4 %4 T5 %5 T6 %6")
                                  .arg(ticks[0]).arg(ticks[1]).arg(ticks[2]).arg(ticks[3]).arg(ticks[4]).arg(ticks[5]));
            for (std::size_t i = 0; i < ticks.size(); ++i)
                total[i] += ticks[i];
        }
        return true;
    }

    std::array<long, 6> total{};
    int datesShown = 0;
    int weekdaysShown = 0;
    double minSeed = 1e9;
    QString message;

private:
    bool checkCaption(bool rotated, bool refreshed)
    {
        if (!rotated && !refreshed)
            return true;
        const QString caption = QString::fromStdString(f_.Label1.caption());
        QString expected;
        if (f_.test == 1 && rotated) {
            expected = QString::fromStdString(rig_.text.date(rig_.clock.today()));
            ++datesShown;
        } else if (f_.test == 2 && rotated) {
            expected = QString::fromUtf8(kWeekdays[std::size_t(rt::weekday(rig_.clock.today()) - 1)]);
            ++weekdaysShown;
        } else if (f_.test == 0 && f_.time1) {
            expected = QString::fromStdString(rig_.text.time(rig_.clock.timeOfDay()));
        } else {
            return true;
        }
        if (caption != expected)
            return failed(QStringLiteral("label shows \"%1\", expected \"%2\"").arg(caption, expected));
        return true;
    }

    bool failed(const QString& what)
    {
        message = what + QStringLiteral(" (wall %1)").arg(rig_.clock.wallNow().toString(Qt::ISODateWithMs));
        return false;
    }

    test::Rig& rig_;
    Form1& f_;
    std::array<rt::Timer*, 6> timers_;
    std::array<std::chrono::nanoseconds, 6> deadlines_{};
};

QDateTime berlin(qint64 utcSecs)
{
    return QDateTime::fromSecsSinceEpoch(utcSecs, QTimeZone::utc()).toTimeZone(QTimeZone("Europe/Berlin"));
}

} // namespace

class HostileTimeTest : public QObject {
    Q_OBJECT
private slots:
    void midnightPassesWithoutAStall();
    void daylightSavingChangesPassWithoutAStall_data();
    void daylightSavingChangesPassWithoutAStall();
    void wallClockSetBackAndForward();
};

void HostileTimeTest::midnightPassesWithoutAStall()
{
    test::Rig rig(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 40)));
    Form1& f = rig.loaded();
    Watch watch(rig);
    QVERIFY2(watch.run(19), qPrintable(watch.message));
    QCOMPARE(rig.clock.today(), (rt::Date{2026, 12, 7}));
    watch.minSeed = 1e9;
    const int datesBefore = watch.datesShown;
    const int weekdaysBefore = watch.weekdaysShown;
    QVERIFY2(watch.run(40), qPrintable(watch.message));
    QCOMPARE(rig.clock.today(), (rt::Date{2026, 12, 8}));
    // The seconds since midnight started again from nothing.
    QVERIFY(watch.minSeed >= 0 && watch.minSeed < 1.0);
    // The rotation went on past midnight and showed Tuesday's date and name.
    QVERIFY(watch.datesShown > datesBefore);
    QVERIFY(watch.weekdaysShown > weekdaysBefore);
    QCOMPARE(watch.total[4], 59 / 9);
    QCOMPARE(rig.ends, 0);
    QCOMPARE(f.Timer4.enabled(), true);
}

void HostileTimeTest::daylightSavingChangesPassWithoutAStall_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<int>("hourBefore");
    QTest::addColumn<int>("hourAfter");
    // 2026-03-29 01:00 UTC: 02:00 winter time becomes 03:00 summer time.
    QTest::newRow("spring forward") << berlin(1774746000 - 40) << 1 << 3;
    // 2026-10-25 01:00 UTC: 03:00 summer time becomes 02:00 winter time.
    QTest::newRow("fall back") << berlin(1792890000 - 40) << 2 << 2;
}

void HostileTimeTest::daylightSavingChangesPassWithoutAStall()
{
    QFETCH(QDateTime, start);
    QFETCH(int, hourBefore);
    QFETCH(int, hourAfter);
    QVERIFY2(start.timeZone().isValid(), "no time zone data for Europe/Berlin");

    test::Rig rig(start);
    Form1& f = rig.loaded();
    QCOMPARE(rig.clock.timeOfDay().hour, hourBefore);
    QCOMPARE(rig.clock.timeOfDay().minute, 59);
    const float secondsBefore = rig.clock.secondsSinceMidnight();

    Watch watch(rig);
    QVERIFY2(watch.run(60), qPrintable(watch.message));
    QCOMPARE(rig.clock.timeOfDay().hour, hourAfter);
    QCOMPARE(rig.clock.timeOfDay().minute, 0);
    // An hour was skipped or repeated on the wall; the steady line ran one
    // minute.
    QVERIFY(std::abs(rig.clock.secondsSinceMidnight() - secondsBefore) > 3000);
    QCOMPARE(watch.total[3], 60L * 64);
    QCOMPARE(watch.total[1], 60L);
    QCOMPARE(watch.total[4], 60L / 9);
    // The rotation ends on the time, refreshed with the new wall time.
    while (f.test != 0)
        QVERIFY2(watch.run(1), qPrintable(watch.message));
    QVERIFY2(watch.run(1), qPrintable(watch.message));
    QCOMPARE(QString::fromStdString(f.Label1.caption()),
             QString::fromStdString(rig.text.time(rig.clock.timeOfDay())));
    QVERIFY(QString::fromStdString(f.Label1.caption()).startsWith(QStringLiteral("0%1:0").arg(hourAfter)));
}

void HostileTimeTest::wallClockSetBackAndForward()
{
    test::Rig rig(QDateTime(QDate(2026, 12, 7), QTime(1, 30, 0)));
    Form1& f = rig.loaded();
    Watch watch(rig);
    QVERIFY2(watch.run(10), qPrintable(watch.message));

    // Back by three hours, into Sunday evening.
    rig.clock.setWall(rig.clock.wallNow().addSecs(-3 * 3600));
    QCOMPARE(rig.clock.today(), (rt::Date{2026, 12, 6}));
    const int datesBefore = watch.datesShown;
    const int weekdaysBefore = watch.weekdaysShown;
    QVERIFY2(watch.run(30), qPrintable(watch.message));
    QVERIFY(watch.datesShown > datesBefore);
    QVERIFY(watch.weekdaysShown > weekdaysBefore);

    // Forward by thirty hours, into Tuesday morning.
    rig.clock.setWall(rig.clock.wallNow().addSecs(30 * 3600));
    QCOMPARE(rig.clock.today(), (rt::Date{2026, 12, 8}));
    const int datesMid = watch.datesShown;
    const int weekdaysMid = watch.weekdaysShown;
    QVERIFY2(watch.run(30), qPrintable(watch.message));
    QVERIFY(watch.datesShown > datesMid);
    QVERIFY(watch.weekdaysShown > weekdaysMid);

    // Small jumps every second, back and forth, do not disturb the rates.
    for (int i = 0; i < 20; ++i) {
        rig.clock.setWall(rig.clock.wallNow().addSecs(i % 2 ? 7200 : -5400));
        QVERIFY2(watch.run(1), qPrintable(watch.message));
    }

    QCOMPARE(watch.total[3], 90L * 64);
    QCOMPARE(watch.total[1], 90L);
    QCOMPARE(watch.total[4], 90L / 9);
    QCOMPARE(rig.ends, 0);
    QVERIFY(f.Label1.visible());
}

QTEST_MAIN(HostileTimeTest)
#include "test_hostile_time.moc"
