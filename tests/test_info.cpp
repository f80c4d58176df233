// The "Options" menu and what the label says: the three Show options, the
// nine-second rotation of date, weekday and time, and the once-a-second
// clock refresh with its reseeding.

#include "rig.h"

#include <QAction>
#include <QTest>
#include <array>
#include <random>

namespace {

using namespace std::chrono_literals;

// The three options, in menu order.
enum Option { kDate = 0, kTime = 1, kDay = 2 };
constexpr std::array kOptions{kDate, kTime, kDay};

rt::MenuItem& item(Form1& f, Option o)
{
    return o == kDate ? f.dates : o == kTime ? f.times : f.days;
}

bool flag(const Form1& f, Option o)
{
    return o == kDate ? f.date1 : o == kTime ? f.time1 : f.day1;
}

// The three ways a choice reaches the handler: the handler itself, the
// runtime's choose(), and Qt's own menu action (which toggles the mark
// before the handler sees it).
enum class Via { Handler, Choose, Action };

void click(Form1& f, Option o, Via via)
{
    switch (via) {
    case Via::Handler:
        if (o == kDate)
            f.dates_Click();
        else if (o == kTime)
            f.times_Click();
        else
            f.days_Click();
        break;
    case Via::Choose: item(f, o).choose(); break;
    case Via::Action: item(f, o).action()->trigger(); break;
    }
}

bool anyOn(const Form1& f)
{
    return f.dates.checked() || f.times.checked() || f.days.checked();
}

// What must hold between any two events.
void expectConsistent(Form1& f)
{
    for (const Option o : kOptions) {
        const rt::MenuItem& it = item(f, o);
        QCOMPARE(flag(f, o), it.checked());
        QCOMPARE(it.action()->isChecked(), it.checked());
    }
    QCOMPARE(f.Label1.visible(), anyOn(f));
    QCOMPARE(f.Timer5.enabled(), anyOn(f));
}

// Stops the test function at the first broken agreement.
#define EXPECT_CONSISTENT(f)                  \
    do {                                      \
        expectConsistent(f);                  \
        if (QTest::currentTestFailed())       \
            return;                           \
    } while (false)

// The texts expected in the C locale, worked out from the wall clock.
std::string cDate(const QDate& d)
{
    return QLocale::c().toString(d, QStringLiteral("d MMM yyyy")).toStdString();
}
std::string cTime(const QTime& t)
{
    return t.toString(QStringLiteral("HH:mm:ss")).toStdString();
}
std::string englishWeekday(const QDate& d)
{
    static const std::array<const char*, 7> names{"Monday", "Tuesday", "Wednesday", "Thursday",
                                                 "Friday", "Saturday", "Sunday"};
    return names.at(static_cast<std::size_t>(d.dayOfWeek() - 1));
}

// 'D', 'W' or 'T' when the caption is the date, the weekday or the time of
// the rig's present moment; '?' otherwise.
char pieceOnLabel(const test::Rig& rig)
{
    const QDateTime now = rig.clock.wallNow();
    const std::string caption = rig.form->Label1.caption();
    if (caption == cDate(now.date()))
        return 'D';
    if (caption == englishWeekday(now.date()))
        return 'W';
    if (caption == cTime(now.time()))
        return 'T';
    return '?';
}

int testAfter(char piece)
{
    return piece == 'D' ? 1 : piece == 'W' ? 2 : 0;
}

// One Timer5 period, delivered second by second.
void nineSeconds(test::Rig& rig)
{
    for (int s = 0; s < 9; ++s)
        rig.advance(1s);
}

} // namespace

class TestInfo : public QObject {
    Q_OBJECT

private slots:
    void startState();
    void captionCycles_data();
    void captionCycles();
    void rotationCarriedAcrossOptionChanges();
    void onlyDayFromWeekdayTakesFourPasses();
    void allOffHidesAndStopsRotation();
    void allOffDropsTickAlreadyDue();
    void switchingOnAfterAllOffKeepsOldCaption();
    void timeFreezesWhenSwitchedOffAndRunsAgain();
    void dateAndWeekdayReadAfreshAfterMidnight();
    void localeForms_data();
    void localeForms();
    void weekdayNamesEnglishEveryDay();
    void timer2ReseedsEverySecond();
    void randomClicksKeepMarksFlagsLabelAndTimer();
    void rotationTickWithEveryOptionOffReturns();
};

void TestInfo::startState()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    for (const Option o : kOptions)
        QVERIFY(item(f, o).checked());
    EXPECT_CONSISTENT(f);
    QCOMPARE(f.Label1.caption(), std::string("10:20:30"));
    QCOMPARE(f.test, std::int16_t(0));
}

void TestInfo::captionCycles_data()
{
    QTest::addColumn<bool>("date");
    QTest::addColumn<bool>("time");
    QTest::addColumn<bool>("day");
    QTest::addColumn<QString>("cycle");

    QTest::newRow("date, day, time") << true << true << true << "DWT";
    QTest::newRow("date, day") << true << false << true << "DW";
    QTest::newRow("date, time") << true << true << false << "DT";
    QTest::newRow("day, time") << false << true << true << "WT";
    QTest::newRow("date only") << true << false << false << "D";
    QTest::newRow("day only") << false << false << true << "W";
    QTest::newRow("time only") << false << true << false << "T";
}

// Every combination from start-up: the sequence of captions, the rotation
// position after each, and the time kept running between ticks exactly
// while it stands on the label with "Show Time" on.
void TestInfo::captionCycles()
{
    QFETCH(bool, date);
    QFETCH(bool, time);
    QFETCH(bool, day);
    QFETCH(QString, cycle);

    test::Rig rig;
    Form1& f = rig.loaded();
    const std::array<bool, 3> wanted{date, time, day};
    int n = 0;
    for (const Option o : kOptions) {
        if (!wanted[o])
            click(f, o, static_cast<Via>(n++ % 3));
    }
    EXPECT_CONSISTENT(f);
    QVERIFY(f.Label1.visible());
    QCOMPARE(f.test, std::int16_t(0));

    std::string seen;
    std::string expected;
    char shown = 'T'; // Form_Load put the time there
    std::string standing = f.Label1.caption();
    for (int tick = 0; tick < 7; ++tick) {
        // The seconds between two rotation ticks.
        for (int s = 1; s < 9; ++s) {
            rig.advance(1s);
            if (shown == 'T' && time)
                QCOMPARE(f.Label1.caption(), cTime(rig.clock.wallNow().time()));
            else
                QCOMPARE(f.Label1.caption(), standing);
        }
        rig.advance(1s);
        shown = pieceOnLabel(rig);
        standing = f.Label1.caption();
        seen += shown;
        expected += cycle.at(tick % cycle.size()).toLatin1();
        QCOMPARE(f.test, std::int16_t(testAfter(shown)));
        EXPECT_CONSISTENT(f);
    }
    QCOMPARE(seen, expected);
}

// The position in the rotation survives any option change; each tick goes
// on from the piece shown last.
void TestInfo::rotationCarriedAcrossOptionChanges()
{
    test::Rig rig;
    Form1& f = rig.loaded();

    nineSeconds(rig);
    QCOMPARE(pieceOnLabel(rig), 'D');

    // Date shown last, weekday off: the time comes next.
    click(f, kDay, Via::Action);
    QCOMPARE(f.test, std::int16_t(1));
    nineSeconds(rig);
    QCOMPARE(pieceOnLabel(rig), 'T');
    QCOMPARE(f.test, std::int16_t(0));

    // Time shown last, date off and weekday back: the weekday.
    click(f, kDay, Via::Choose);
    click(f, kDate, Via::Handler);
    QCOMPARE(f.test, std::int16_t(0));
    nineSeconds(rig);
    QCOMPARE(pieceOnLabel(rig), 'W');
    QCOMPARE(f.test, std::int16_t(2));

    // Weekday shown last, only the date on: time skipped, wrap to the date.
    click(f, kDate, Via::Action);
    click(f, kDay, Via::Action);
    click(f, kTime, Via::Action);
    QCOMPARE(f.test, std::int16_t(2));
    nineSeconds(rig);
    QCOMPARE(pieceOnLabel(rig), 'D');
    QCOMPARE(f.test, std::int16_t(1));

    // Off and on again: nothing changes, the rotation neither.
    click(f, kTime, Via::Choose);
    click(f, kDay, Via::Handler);
    const std::string caption = f.Label1.caption();
    click(f, kDay, Via::Action);
    QCOMPARE(f.test, std::int16_t(1));
    QVERIFY(!f.days.checked());
    click(f, kDay, Via::Action);
    QCOMPARE(f.test, std::int16_t(1));
    QVERIFY(f.days.checked());
    QCOMPARE(f.Label1.caption(), caption);
    EXPECT_CONSISTENT(f);

    // All on again, date shown last: the weekday, then the time.
    nineSeconds(rig);
    QCOMPARE(pieceOnLabel(rig), 'W');
    nineSeconds(rig);
    QCOMPARE(pieceOnLabel(rig), 'T');
    QCOMPARE(f.test, std::int16_t(0));
}

// From the weekday with only "Show Day" on, the search passes the time,
// the end of the list and the date before it comes round to the weekday;
// crossing midnight on the way shows that the caption was written afresh.
void TestInfo::onlyDayFromWeekdayTakesFourPasses()
{
    test::Rig rig(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 40)));
    Form1& f = rig.loaded();
    nineSeconds(rig);
    nineSeconds(rig);
    QCOMPARE(f.Label1.caption(), std::string("Monday"));
    QCOMPARE(f.test, std::int16_t(2));

    click(f, kDate, Via::Action);
    click(f, kTime, Via::Action);
    nineSeconds(rig); // 00:00:07
    QCOMPARE(f.Label1.caption(), std::string("Tuesday"));
    QCOMPARE(f.test, std::int16_t(2));
    nineSeconds(rig);
    QCOMPARE(f.Label1.caption(), std::string("Tuesday"));
    QCOMPARE(f.test, std::int16_t(2));
    EXPECT_CONSISTENT(f);
}

// With every option off the label is hidden, Timer5 stopped and the caption
// kept; nothing writes the caption any more.
void TestInfo::allOffHidesAndStopsRotation()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    rig.advance(4500ms);
    const std::string caption = f.Label1.caption();
    QCOMPARE(caption, std::string("10:20:34"));

    click(f, kDate, Via::Action);
    click(f, kDay, Via::Choose);
    QVERIFY(f.Label1.visible());
    QVERIFY(f.Timer5.enabled());
    click(f, kTime, Via::Handler);
    QVERIFY(!f.Label1.visible());
    QVERIFY(!f.Timer5.enabled());
    QCOMPARE(f.Label1.caption(), caption);
    EXPECT_CONSISTENT(f);

    // Rotation ticks would show up in `test`. The handler quietly returns
    // when every flag is off, so raise one behind the menu's back: only a
    // delivered tick could then move the rotation.
    f.date1 = true;
    rig.advance(40s);
    QCOMPARE(f.test, std::int16_t(0));
    QCOMPARE(f.Label1.caption(), caption);
    f.date1 = false;
    QVERIFY(!f.Label1.visible());
}

// A rotation tick already due when the last option goes off is dropped.
void TestInfo::allOffDropsTickAlreadyDue()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    rig.advance(8s);
    const std::string caption = f.Label1.caption();
    // Past the 9 s deadline, nothing delivered yet.
    rig.clock.advance(1500ms);
    QVERIFY(f.Timer5.nextDeadline() <= rig.clock.steadyNow());
    QCOMPARE(f.test, std::int16_t(0));

    click(f, kDate, Via::Choose);
    click(f, kDay, Via::Choose);
    click(f, kTime, Via::Action);
    QVERIFY(!f.Timer5.enabled());
    f.date1 = true; // see allOffHidesAndStopsRotation
    rig.timers.deliverDue();
    QCOMPARE(f.test, std::int16_t(0));
    QCOMPARE(f.Label1.caption(), caption);
    f.date1 = false;
    EXPECT_CONSISTENT(f);
}

void TestInfo::switchingOnAfterAllOffKeepsOldCaption()
{
    // The date was shown last; switching "Show Day" on shows the date still.
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        nineSeconds(rig);
        const std::string date = f.Label1.caption();
        QCOMPARE(date, std::string("7 Dec 2026"));
        for (const Option o : kOptions)
            click(f, o, Via::Action);
        QVERIFY(!f.Label1.visible());
        rig.advance(20s);

        click(f, kDay, Via::Action);
        QVERIFY(f.Label1.visible());
        QVERIFY(f.Timer5.enabled());
        QCOMPARE(f.Label1.caption(), date);
        EXPECT_CONSISTENT(f);
        // The next change comes from the rotation, at most nine seconds on.
        rig.advance(8s);
        QCOMPARE(f.Label1.caption(), date);
        rig.advance(1s);
        QCOMPARE(f.Label1.caption(), std::string("Monday"));
        QCOMPARE(f.test, std::int16_t(2));
    }
    // The time was shown last: switching "Show Time" on lets the clock
    // refresh it within a second.
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        rig.advance(2500ms);
        for (const Option o : kOptions)
            click(f, o, Via::Choose);
        rig.advance(2500ms);
        QCOMPARE(f.Label1.caption(), std::string("10:20:32"));

        click(f, kTime, Via::Choose);
        QVERIFY(f.Label1.visible());
        QCOMPARE(f.Label1.caption(), std::string("10:20:32"));
        rig.advance(1s);
        QCOMPARE(f.Label1.caption(), std::string("10:20:36"));
        EXPECT_CONSISTENT(f);
    }
}

// "Show Time" off while the time is shown: the time stands still until the
// next rotation tick; on again before that tick, the clock runs on.
void TestInfo::timeFreezesWhenSwitchedOffAndRunsAgain()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    rig.advance(2500ms);
    QCOMPARE(f.Label1.caption(), std::string("10:20:32"));

    click(f, kTime, Via::Action);
    QVERIFY(f.Label1.visible());
    rig.advance(3s);
    QCOMPARE(f.Label1.caption(), std::string("10:20:32"));

    click(f, kTime, Via::Action);
    QCOMPARE(f.Label1.caption(), std::string("10:20:32"));
    rig.advance(1s); // 6.5 s: the tick at 6 s
    QCOMPARE(f.Label1.caption(), std::string("10:20:36"));
    rig.advance(2s);
    QCOMPARE(f.Label1.caption(), std::string("10:20:38"));
    rig.advance(1s); // the rotation moves on to the date
    QCOMPARE(f.Label1.caption(), std::string("7 Dec 2026"));
}

void TestInfo::dateAndWeekdayReadAfreshAfterMidnight()
{
    test::Rig rig(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 50)));
    Form1& f = rig.loaded();
    nineSeconds(rig); // 23:59:59
    QCOMPARE(f.Label1.caption(), std::string("7 Dec 2026"));
    rig.advance(6s); // 00:00:05: the label keeps yesterday
    QCOMPARE(rig.clock.wallNow().date(), QDate(2026, 12, 8));
    QCOMPARE(f.Label1.caption(), std::string("7 Dec 2026"));
    rig.advance(3s);
    QCOMPARE(f.Label1.caption(), std::string("Tuesday"));
    nineSeconds(rig);
    QCOMPARE(f.Label1.caption(), std::string("00:00:17"));
    nineSeconds(rig);
    QCOMPARE(f.Label1.caption(), std::string("8 Dec 2026"));

    // The same with only the weekday on, across the next midnight.
    rig.clock.setWall(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 55)));
    click(f, kDate, Via::Handler);
    click(f, kTime, Via::Handler);
    nineSeconds(rig);
    QCOMPARE(f.Label1.caption(), std::string("Wednesday"));
    QCOMPARE(f.test, std::int16_t(2));
}

void TestInfo::localeForms_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("atLoad");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("weekday");
    QTest::addColumn<QString>("time");

    QTest::newRow("de_DE, Sunday") << "de_DE" << QDate(2026, 12, 6) << "10:20:30" << "06.12.26" << "Sunday"
                                   << "10:20:57";
    QTest::newRow("fr_FR, Saturday") << "fr_FR" << QDate(2026, 12, 12) << "10:20:30" << "12/12/2026"
                                     << "Saturday" << "10:20:57";
    QTest::newRow("en_US, Monday") << "en_US" << QDate(2026, 12, 7) << "10:20:30 AM" << "12/7/26" << "Monday"
                                   << "10:20:57 AM";
}

// Date and time follow the locale; weekday names stay English.
void TestInfo::localeForms()
{
    QFETCH(QString, locale);
    QFETCH(QDate, day);
    QFETCH(QString, atLoad);
    QFETCH(QString, date);
    QFETCH(QString, weekday);
    QFETCH(QString, time);

    test::Rig rig(QDateTime(day, QTime(10, 20, 30)), QLocale(locale));
    Form1& f = rig.loaded();
    QCOMPARE(QString::fromStdString(f.Label1.caption()), atLoad);
    nineSeconds(rig);
    QCOMPARE(QString::fromStdString(f.Label1.caption()), date);
    nineSeconds(rig);
    QCOMPARE(QString::fromStdString(f.Label1.caption()), weekday);
    nineSeconds(rig);
    QCOMPARE(QString::fromStdString(f.Label1.caption()), time);
}

// A week of days under two locales: each tick with only "Show Day" on shows
// that day's English name.
void TestInfo::weekdayNamesEnglishEveryDay()
{
    const std::array<const char*, 7> sundayFirst{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                 "Thursday", "Friday", "Saturday"};
    for (const char* name : {"de_DE", "fr_FR"}) {
        test::Rig rig(test::defaultStart(), QLocale(QString::fromLatin1(name)));
        Form1& f = rig.loaded();
        click(f, kDate, Via::Action);
        click(f, kTime, Via::Action);
        for (int d = 0; d < 7; ++d) {
            // 6 Dec 2026 is a Sunday.
            rig.clock.setWall(QDateTime(QDate(2026, 12, 6 + d), QTime(12, 0, 0)));
            nineSeconds(rig);
            QCOMPARE(f.Label1.caption(), std::string(sundayFirst.at(static_cast<std::size_t>(d))));
        }
    }
}

// Every Timer2 tick reseeds from the seconds since midnight, fraction and
// all, whatever the label shows and also while it is hidden.
void TestInfo::timer2ReseedsEverySecond()
{
    test::Rig rig(QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30, 250)));
    Form1& f = rig.loaded();
    // The other reseeders stand still, so every reseed below is Timer2's.
    f.Timer1.setEnabled(false);
    f.Timer3.setEnabled(false);
    const double base = (10 * 60 + 20) * 60 + 30.25;

    int second = 0;
    auto oneSecond = [&] {
        const int before = rig.random.reseeds;
        rig.advance(1s);
        ++second;
        QCOMPARE(rig.random.reseeds, before + 1);
        QCOMPARE(rig.random.lastSeed, static_cast<double>(static_cast<float>(base + second)));
    };

    std::string pieces;
    for (int i = 0; i < 27; ++i) {
        oneSecond();
        if (QTest::currentTestFailed())
            return;
        if (second % 9 == 0)
            pieces += pieceOnLabel(rig);
    }
    QCOMPARE(pieces, std::string("DWT"));
    for (const Option o : kOptions)
        click(f, o, Via::Action);
    QVERIFY(!f.Label1.visible());
    for (int i = 0; i < 12 && !QTest::currentTestFailed(); ++i)
        oneSecond();
}

// Thousands of clicks through all three paths, with time passing now and
// then: marks, flags, Qt's marks, the label and Timer5 always agree, and
// each click toggles its option exactly once.
void TestInfo::randomClicksKeepMarksFlagsLabelAndTimer()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    std::mt19937 gen(20261207);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> which(0, 2);
    std::uniform_int_distribution<int> path(0, 2);
    std::uniform_int_distribution<int> wait(1, 12000);

    std::array<bool, 3> model{true, true, true};
    int clicks = 0;
    int hiddenStates = 0;
    for (int step = 0; step < 4000; ++step) {
        if (kind(gen) == 0) {
            rig.advance(std::chrono::milliseconds(wait(gen)));
            QVERIFY(f.test >= 0 && f.test <= 2);
        } else {
            const auto o = static_cast<Option>(which(gen));
            click(f, o, static_cast<Via>(path(gen)));
            model[o] = !model[o];
            ++clicks;
        }
        for (const Option o : kOptions)
            QCOMPARE(item(f, o).checked(), model[o]);
        EXPECT_CONSISTENT(f);
        hiddenStates += !f.Label1.visible();
    }
    QVERIFY(clicks > 3000);
    QVERIFY(hiddenStates > 0); // the all-off state was visited
}

// A rotation tick that finds every option off returns.
void TestInfo::rotationTickWithEveryOptionOffReturns()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    for (const Option o : kOptions)
        click(f, o, Via::Handler);
    for (const std::int16_t start : {0, 1, 2, 3, 4, -1}) {
        f.test = start;
        f.Timer5_Timer();
        QVERIFY(!f.date1 && !f.time1 && !f.day1);
        QVERIFY(!f.Label1.visible());
        QVERIFY(!f.Timer5.enabled());
    }
}

QTEST_MAIN(TestInfo)
#include "test_info.moc"
