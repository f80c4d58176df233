// The confetti: the red figure, the random sprinkle, and the effect menu
// that switches them. Squares are looked for on the surface as shown, on a
// ground colour outside the eight-colour table, with the label moved below
// the painters' area (660 x 460 pixels).

#include "rig.h"

#include <QAction>
#include <QBitmap>
#include <cmath>

struct Figure { QPoint counters; QRect corners; QPoint next; };
struct Sprinkle { std::deque<float> draws; QString square; };

namespace {

constexpr rt::Colour kGround = rt::rgb(17, 34, 51);
constexpr float kTop = test::kLargestBelowOne;

// One handler's tick on a cleared surface with scripted numbers: the one
// square drawn, as its colour and its top-left corner in twips to the
// pixel, or "none".
QString squareAfter(test::Rig& rig, void (Form1::*handler)(), std::deque<float> draws)
{
    rig.form->Label1.setTop(7000);
    rig.form->form.setBackColor(kGround);
    rig.random.queued = draws;
    (*rig.form.*handler)();
    const QImage shown = rig.form->form.surface()->grab(QRect(0, 0, 660, 460)).toImage().convertToFormat(QImage::Format_RGB32);
    // The mask's ground pixels come out as the bitmap's clear ones.
    const QRect box = QRegion(QBitmap::fromImage(shown.createMaskFromColor(rt::toQColor(kGround).rgb(), Qt::MaskInColor))).boundingRect();
    if (box.isNull() || box.width() < 3 || box.width() > 4 || box.height() < 3 || box.height() > 4)
        return QStringLiteral("none or a box of %1x%2 pixels").arg(box.width()).arg(box.height());
    return QStringLiteral("%1 at %2,%3").arg(rt::fromQColor(shown.pixelColor(box.center()))).arg(box.left() * 15).arg(box.top() * 15);
}

QString square(rt::Colour colour, QPoint corner)
{
    return QStringLiteral("%1 at %2,%3").arg(colour).arg(std::lround(corner.x() / 15.0) * 15).arg(std::lround(corner.y() / 15.0) * 15);
}

} // namespace

class TestConfetti : public QObject {
    Q_OBJECT

private slots:
    // A figure tick at each pair of counters, with the numbers (0, just
    // below 1) and then (just below 1, 0): the first picks the top edge,
    // the second the left, within the stroke's range of corners ("left,top
    // width x height" in twips). Pairs without a stroke draw nothing and
    // take no number; either way both counters step on, wrapping to 1.
    void figure_data()
    {
        QTest::addColumn<Figure>("row");
        QTest::newRow("E stem") << Figure{{1, 1}, {300, 500, 200, 2000}, {2, 2}};
        QTest::newRow("E top bar") << Figure{{1, 2}, {300, 500, 750, 200}, {2, 3}};
        QTest::newRow("E bottom bar") << Figure{{1, 3}, {300, 2300, 750, 200}, {2, 4}};
        QTest::newRow("E middle bar") << Figure{{1, 4}, {300, 1200, 750, 200}, {2, 1}};
        QTest::newRow("O left side") << Figure{{2, 1}, {1600, 500, 200, 2000}, {3, 2}};
        QTest::newRow("O right side") << Figure{{2, 2}, {2500, 500, 200, 2000}, {3, 3}};
        QTest::newRow("O top bar") << Figure{{2, 3}, {1750, 500, 750, 200}, {3, 4}};
        QTest::newRow("O bottom bar") << Figure{{2, 4}, {1750, 2300, 750, 200}, {3, 1}};
        QTest::newRow("L stem") << Figure{{3, 1}, {2900, 500, 200, 2000}, {4, 2}};
        QTest::newRow("L bottom bar") << Figure{{3, 2}, {2900, 2300, 950, 200}, {4, 3}};
        QTest::newRow("A left side") << Figure{{4, 1}, {4000, 500, 200, 2000}, {5, 2}};
        QTest::newRow("A right side") << Figure{{4, 2}, {4700, 500, 200, 2000}, {5, 3}};
        QTest::newRow("A top bar") << Figure{{4, 3}, {4150, 500, 750, 200}, {5, 4}};
        QTest::newRow("A cross bar") << Figure{{4, 4}, {4150, 1200, 750, 200}, {5, 1}};
        QTest::newRow("F stem") << Figure{{5, 1}, {5200, 500, 200, 2000}, {6, 2}};
        QTest::newRow("F top bar") << Figure{{5, 2}, {5200, 500, 950, 200}, {6, 3}};
        QTest::newRow("F middle bar") << Figure{{5, 3}, {5200, 1200, 750, 200}, {6, 4}};
        QTest::newRow("I stem") << Figure{{6, 1}, {6875, 500, 200, 2000}, {7, 2}};
        QTest::newRow("I top bar") << Figure{{6, 2}, {6500, 500, 950, 200}, {7, 3}};
        QTest::newRow("I bottom bar") << Figure{{6, 3}, {6500, 2300, 950, 200}, {7, 4}};
        QTest::newRow("last E stem") << Figure{{7, 1}, {7700, 500, 200, 2000}, {1, 2}};
        QTest::newRow("last E middle bar") << Figure{{7, 2}, {7890, 1200, 400, 200}, {1, 3}};
        QTest::newRow("last E top bar") << Figure{{7, 3}, {7700, 500, 950, 200}, {1, 4}};
        QTest::newRow("last E bottom bar: both wrap") << Figure{{7, 4}, {7700, 2300, 950, 200}, {1, 1}};
        QTest::newRow("L has no third stroke") << Figure{{3, 3}, {}, {4, 4}};
        QTest::newRow("F has no fourth") << Figure{{5, 4}, {}, {6, 1}};
        QTest::newRow("letter 9") << Figure{{9, 1}, {}, {1, 2}};
        QTest::newRow("letter 0") << Figure{{0, 1}, {}, {1, 2}};
        QTest::newRow("stroke 0") << Figure{{1, 0}, {}, {2, 1}};
        QTest::newRow("both at 32767") << Figure{{32767, 32767}, {}, {1, 1}};
    }

    void figure()
    {
        QFETCH(Figure, row);
        test::Rig rig;
        Form1& f = *rig.form;
        for (const bool topFirst : {true, false}) {
            f.num1 = std::int16_t(row.counters.x());
            f.num = std::int16_t(row.counters.y());
            const QString drawn = squareAfter(rig, &Form1::Timer6_Timer, {topFirst ? 0 : kTop, topFirst ? kTop : 0});
            const QPoint corner = topFirst ? row.corners.topRight() : row.corners.bottomLeft();
            QCOMPARE(drawn, row.corners.isNull() ? "none or a box of 0x0 pixels" : square(255, corner));
            QCOMPARE(rig.random.queued.size(), row.corners.isNull() ? 2u : 0u);
            QCOMPARE(QPoint(f.num1, f.num), row.next);
        }
        QCOMPARE(rig.random.reseeds, 0);
    }

    // A sprinkle tick reseeds from the clock (10:20:30 is 37230 s), then
    // takes three numbers: the colour, the left edge, the top edge.
    void sprinkle_data()
    {
        QTest::addColumn<Sprinkle>("row");
        QTest::newRow("all 0: black in the corner") << Sprinkle{{0, 0, 0}, square(0, {0, 0})};
        QTest::newRow("all just below 1: white, far corner") << Sprinkle{{kTop, kTop, kTop}, square(16777215, {9599, 6699})};
        QTest::newRow("colour, then left, then top") << Sprinkle{{0, kTop, 0}, square(0, {9599, 0})};
        QTest::newRow("1/2, 1/4, 3/4: blue") << Sprinkle{{0.5f, 0.25f, 0.75f}, square(16711680, {2400, 5025})};
    }

    void sprinkle()
    {
        QFETCH(Sprinkle, row);
        test::Rig rig;
        QCOMPARE(squareAfter(rig, &Form1::Timer1_Timer, row.draws), row.square);
        QCOMPARE(rig.random.draws, 3);
        QCOMPARE(rig.random.reseeds, 1);
        QCOMPARE(rig.random.lastSeed, 37230.0);
    }

    // A choice from the Screen Saver menu as Qt delivers it: the marks
    // (Confettii's and Vantrel's, the menu's and Qt's) and the painters'
    // timers (1, 6); the other timers (2 to 5), the options (Show Time off)
    // and the figure's counters untouched;
    // at the next label tick the window takes the fade colour, wiping a
    // green square drawn before, or keeps the colour it has.
    void effects_data()
    {
        QTest::addColumn<bool>("fromVantrel");
        QTest::addColumn<bool>("toVantrel");
        QTest::addColumn<QString>("switches");
        QTest::newRow("Confettii to Vantrel") << false << true << "001100 1111101";
        QTest::newRow("Vantrel to Confettii") << true << false << "110011 1111101";
        QTest::newRow("Confettii again") << false << false << "110011 1111101";
        QTest::newRow("Vantrel again") << true << true << "001100 1111101";
    }

    void effects()
    {
        QFETCH(bool, fromVantrel);
        QFETCH(bool, toVantrel);
        QFETCH(QString, switches);
        test::Rig rig;
        Form1& f = *rig.form;
        f.times.choose();
        rig.advance(1234ms);
        if (fromVantrel)
            f.vantrel.choose();
        rig.advance(500ms);
        const QString counters = QStringLiteral(" %1,%2").arg(f.num1).arg(f.num);
        const rt::Colour window = f.form.backColor();
        f.form.fillBox(10500, 6000, 10550, 6050, rt::rgb(0, 255, 0));
        (toVantrel ? f.vantrel : f.confettii).action()->trigger();
        const QString seen = test::bits({f.confettii.checked(), f.confettii.action()->isChecked(), f.vantrel.checked(),
                                         f.vantrel.action()->isChecked(), f.Timer1.enabled(), f.Timer6.enabled()}) + ' ' +
                             test::bits({f.Timer2.enabled(), f.Timer3.enabled(), f.Timer4.enabled(), f.Timer5.enabled(),
                                         f.dates.checked(), f.times.checked(), f.days.checked()}) + QStringLiteral(" %1,%2").arg(f.num1).arg(f.num);
        QCOMPARE(seen, switches + counters);
        f.Timer4_Timer();
        QCOMPARE(f.form.backColor(), toVantrel ? f.Label1.backColor() : window);
        QCOMPARE(rig.shownAt(QPoint(701, 401)), toVantrel ? f.Label1.backColor() : rt::rgb(0, 255, 0));
    }

};

QTEST_MAIN(TestConfetti)
#include "test_confetti.moc"
