// Date and time texts under several locales: the date alone, the time with
// seconds, the weekday in English, and every text inside the label's box at
// the label's font.

#include "rig.h"

#include "runtime/label_widget.h"

#include <QFontMetrics>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

// The label's box in logical pixels: 5055 x 1215 twips.
constexpr int kBoxWidth = 337;
constexpr int kBoxHeight = 81;

bool twentyFourHour(const QLocale& locale)
{
    return locale.timeFormat(QLocale::LongFormat).contains(u'H');
}

} // namespace

class LocalesTest : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
};

void LocalesTest::texts_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"C", "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "ar_EG", "hi_IN"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void LocalesTest::texts()
{
    QFETCH(QString, name);
    const QLocale locale(name);
    QVERIFY2(name == u"C" || locale.language() != QLocale::C, "locale not known to Qt");
    const rt::LocaleText text(locale);

    // Monday 7 December 2026, 21:43:58.
    test::Rig rig(QDateTime(QDate(2026, 12, 7), QTime(21, 43, 58)), locale);
    Form1& f = rig.loaded();

    // The date alone: it reads back as the date and holds no time.
    const QString date = QString::fromStdString(text.date({2026, 12, 7}));
    const QDate back = locale.toDate(date, locale.dateFormat(QLocale::ShortFormat));
    QVERIFY2(back.isValid(), qPrintable(date));
    QCOMPARE(back.month(), 12);
    QCOMPARE(back.day(), 7);
    QCOMPARE(back.year() % 100, 26);
    QVERIFY2(!date.contains(locale.toString(43)) && !date.contains(locale.toString(58)), qPrintable(date));

    // The time alone, with seconds, 12- or 24-hour as the locale has it.
    const QString time = QString::fromStdString(text.time({21, 43, 58, 0}));
    QVERIFY2(time.contains(locale.toString(43)), qPrintable(time));
    QVERIFY2(time.contains(locale.toString(58)), qPrintable(time));
    QVERIFY2(time.contains(locale.toString(twentyFourHour(locale) ? 21 : 9)), qPrintable(time));
    QVERIFY2(!time.contains(locale.toString(2026)) && !time.contains(locale.toString(26)), qPrintable(time));
    if (!twentyFourHour(locale))
        QVERIFY2(!time.contains(locale.toString(21)), qPrintable(time));

    // On the label: the time from the start, then date, weekday and time
    // at the rotation's ticks; the weekday in English.
    QCOMPARE(QString::fromStdString(f.Label1.caption()), time);
    rig.advance(9s);
    QCOMPARE(QString::fromStdString(f.Label1.caption()), date);
    rig.advance(9s);
    QCOMPARE(QString::fromStdString(f.Label1.caption()), QStringLiteral("Monday"));
    rig.advance(9s);
    QCOMPARE(QString::fromStdString(f.Label1.caption()), QString::fromStdString(text.time({21, 44, 25, 0})));

    // Every text fits the box: all hours of the day with the widest
    // minutes and seconds, dates with two-digit days and months, and the
    // longest weekday name. The label's 48-point font is kept wherever the
    // text fits at it; a wider text (a 12-hour time with its marker, a
    // time spelt with CJK signs) is drawn a little smaller, never cut.
    rt::LabelWidget& label = *f.Label1.widget();
    QCOMPARE(label.size(), QSize(kBoxWidth, kBoxHeight));
    const QFont full = label.font();
    QVERIFY(QFontMetrics(full).height() <= kBoxHeight);
    QStringList texts{QStringLiteral("Wednesday")};
    for (int hour = 0; hour < 24; ++hour)
        texts << QString::fromStdString(text.time({hour, 58, 58, 0}));
    for (const QDate d : {QDate(2026, 12, 28), QDate(2026, 11, 30), QDate(2027, 10, 20), QDate(2026, 1, 1)})
        texts << QString::fromStdString(text.date({d.year(), d.month(), d.day()}));
    int shrunk = 0;
    for (const QString& t : texts) {
        const QFont drawn = label.fontFor(t);
        const QFontMetrics metrics(drawn);
        const int width = metrics.horizontalAdvance(t);
        QVERIFY2(width <= kBoxWidth, qPrintable(QStringLiteral("\"%1\" is %2 px wide").arg(t).arg(width)));
        QVERIFY2(metrics.boundingRect(t).height() <= kBoxHeight, qPrintable(t));
        if (QFontMetrics(full).horizontalAdvance(t) <= kBoxWidth) {
            QCOMPARE(drawn, full);
        } else {
            ++shrunk;
            QVERIFY2(drawn.pixelSize() >= full.pixelSize() * 8 / 10, qPrintable(t));
            QVERIFY(width > kBoxWidth - 10);
        }
    }
    // The Latin 24-hour forms all fit at the full size.
    if (twentyFourHour(locale) && name != u"ja_JP")
        QCOMPARE(shrunk, 0);
}

QTEST_MAIN(LocalesTest)
#include "test_locales.moc"
