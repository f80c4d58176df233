// What the label says: the Show Date, Show Time and Show Day options, the
// rotation of date, weekday and time, the refresh of the time, and the
// texts of several locales. Options are written D (date), T (time) and
// W (weekday); the clock starts on Monday 7 December 2026 at 10:20:30.

#include "rig.h"
#include "runtime/label_widget.h"

#include <QAction>

namespace {

QDateTime at(int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second, msec));
}

} // namespace

struct Option { QString before; int click; QString after; };
struct Rotation { QString options; std::int16_t test; QString captions, positions; };
struct Refresh { QString options; std::int16_t test; QString caption; };
struct Texts { QString locale; QDateTime start; QString captions; };

class TestInfo : public QObject {
    Q_OBJECT

private slots:
    // One choice from the Options menu as Qt delivers it (with the mark
    // already flipped): after it the menu's marks, Qt's marks and the flags
    // (date, time, weekday), then whether the label shows and rotates, and
    // whether red painted under it shows (a hidden label leaves no picture).
    // The caption and the rotation position stay.
    void options_data()
    {
        QTest::addColumn<Option>("row");
        QTest::newRow("date off, others on") << Option{"DTW", 0, "011 011 011 11 0"};
        QTest::newRow("time off, others on") << Option{"DTW", 1, "101 101 101 11 0"};
        QTest::newRow("the last one off hides the label") << Option{"W", 2, "000 000 000 00 0"};
        QTest::newRow("the last one off, the date") << Option{"D", 0, "000 000 000 00 0"};
        QTest::newRow("date off, the weekday left") << Option{"DW", 0, "001 001 001 11 0"};
        QTest::newRow("one on from none shows it") << Option{"", 1, "010 010 010 11 0"};
        QTest::newRow("one on beside another") << Option{"D", 2, "101 101 101 11 0"};
    }

    void options()
    {
        QFETCH(Option, row);
        test::Rig rig;
        Form1& f = *rig.form;
        rig.keepOnly(row.before);
        f.test = 2;
        f.form.fillBox(2160, 2280, 7215, 3495, rt::rgb(255, 0, 0));
        rt::MenuItem* items[] = {&f.dates, &f.times, &f.days};
        items[row.click]->action()->trigger();
        const QString marks = test::bits({f.dates.checked(), f.times.checked(), f.days.checked()}) + ' ' +
                              test::bits({f.dates.action()->isChecked(), f.times.action()->isChecked(), f.days.action()->isChecked()}) +
                              ' ' + test::bits({f.date1, f.time1, f.day1}) + ' ' + test::bits({f.Label1.visible(), f.Timer5.enabled()}) +
                              ' ' + test::bits({rig.shownAt({145, 153}) == rt::rgb(255, 0, 0)});
        QCOMPARE(marks, row.after);
        QCOMPARE(rig.caption(), "10:20:30");
        QCOMPARE(f.test, 2);
    }

    // Four rotation ticks nine seconds apart from a rotation position: the
    // captions, and the position after each ("" where it is not looked at).
    void rotation_data()
    {
        QTest::addColumn<Rotation>("row");
        QTest::newRow("all, from start") << Rotation{"DTW", 0, "7 Dec 2026|Monday|10:20:57|7 Dec 2026", "1201"};
        QTest::newRow("date and weekday") << Rotation{"DW", 0, "7 Dec 2026|Monday|7 Dec 2026|Monday", "1212"};
        QTest::newRow("date and time") << Rotation{"DT", 0, "7 Dec 2026|10:20:48|7 Dec 2026|10:21:06", "1010"};
        QTest::newRow("weekday and time") << Rotation{"TW", 0, "Monday|10:20:48|Monday|10:21:06", "2020"};
        QTest::newRow("date only") << Rotation{"D", 0, "7 Dec 2026|7 Dec 2026|7 Dec 2026|7 Dec 2026", "1111"};
        QTest::newRow("weekday only") << Rotation{"W", 0, "Monday|Monday|Monday|Monday", "2222"};
        QTest::newRow("time only") << Rotation{"T", 0, "10:20:39|10:20:48|10:20:57|10:21:06", "0000"};
        QTest::newRow("all, date shown last") << Rotation{"DTW", 1, "Monday|10:20:48|7 Dec 2026|Monday", "2012"};
        QTest::newRow("all, weekday shown last") << Rotation{"DTW", 2, "10:20:39|7 Dec 2026|Monday|10:21:06", "0120"};
        QTest::newRow("none: a stray tick returns") << Rotation{"", 1, "10:20:30|10:20:30|10:20:30|10:20:30", ""};
    }

    void rotation()
    {
        QFETCH(Rotation, row);
        test::Rig rig;
        Form1& f = *rig.form;
        rig.keepOnly(row.options);
        f.test = row.test;
        QStringList seen;
        QString after;
        for (int tick = 0; tick < 4; ++tick) {
            rig.clock.advance(9s);
            f.Timer5_Timer();
            seen << rig.caption();
            after += QString::number(f.test);
        }
        QCOMPARE(seen.join(u'|'), row.captions);
        QCOMPARE(row.positions.isEmpty() ? "" : after, row.positions);
    }

    // One clock refresh a second after 10:20:30.250 on a label reading "X":
    // the time is written only where it stands with Show Time on; the
    // generator is reseeded each time with the seconds since midnight.
    void clockRefresh_data()
    {
        QTest::addColumn<Refresh>("row");
        QTest::newRow("the time shown, Show Time on") << Refresh{"DTW", 0, "10:20:31"};
        QTest::newRow("the time shown, Show Time off") << Refresh{"DW", 0, "X"};
        QTest::newRow("the date shown") << Refresh{"DTW", 1, "X"};
        QTest::newRow("the weekday shown") << Refresh{"T", 2, "X"};
    }

    void clockRefresh()
    {
        QFETCH(Refresh, row);
        test::Rig rig(at(7, 10, 20, 30, 250));
        rig.keepOnly(row.options);
        rig.form->test = row.test;
        rig.form->Label1.setCaption("X");
        rig.clock.advance(1s);
        rig.form->Timer2_Timer();
        QCOMPARE(rig.caption(), row.caption);
        QCOMPARE(rig.random.reseeds, 1);
        QCOMPARE(rig.random.lastSeed, 37231.25);
    }

    // Through the timers: the time at start, then at 9, 18 and 27 s the
    // date, the weekday (in English in every locale) and the time, each
    // read when shown, each fitting the label's box.
    void texts_data()
    {
        QTest::addColumn<Texts>("row");
        QTest::newRow("Sunday, German") << Texts{"de_DE", at(6, 10, 20, 30), "10:20:30|06.12.26|Sunday|10:20:57"};
        QTest::newRow("Monday, American, to midnight") << Texts{"en_US", at(7, 23, 59, 40), "11:59:40 PM|12/7/26|Monday|12:00:07 AM"};
        QTest::newRow("Tuesday after midnight, C") << Texts{"C", at(7, 23, 59, 50), "23:59:50|7 Dec 2026|Tuesday|00:00:17"};
        QTest::newRow("Wednesday, French") << Texts{"fr_FR", at(9, 10, 20, 30), "10:20:30|09/12/2026|Wednesday|10:20:57"};
        QTest::newRow("Thursday, British") << Texts{"en_GB", at(10, 10, 20, 30), "10:20:30|10/12/2026|Thursday|10:20:57"};
        QTest::newRow("Friday, Japanese") << Texts{"ja_JP", at(11, 22, 20, 30), "22時20分30秒|2026/12/11|Friday|22時20分57秒"};
        QTest::newRow("Saturday, American, noon") << Texts{"en_US", at(12, 12, 0, 0), "12:00:00 PM|12/12/26|Saturday|12:00:27 PM"};
    }

    void texts()
    {
        QFETCH(Texts, row);
        test::Rig rig(row.start, QLocale(row.locale));
        QStringList seen;
        for (int tick = 0; tick < 4; ++tick) {
            seen << rig.caption();
            const rt::LabelWidget& label = *rig.form->Label1.widget();
            QVERIFY(QFontMetrics(label.fontFor(label.text())).horizontalAdvance(label.text()) <= 337);
            rig.advance(9s);
        }
        QCOMPARE(seen.join(u'|'), row.captions);
    }
};

QTEST_MAIN(TestInfo)
#include "test_info.moc"
