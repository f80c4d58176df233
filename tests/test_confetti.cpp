// The two confetti painters: Timer6's red figure and Timer1's random
// sprinkle, observed on the window surface and through the shared random
// generator.

#include "rig.h"
#include "runtime/surface_widget.h"

#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

using test::kLargestBelowOne;

// A ground colour outside the eight-colour table, so every square shows.
constexpr rt::Colour kGround = rt::rgb(17, 34, 51);
constexpr rt::Colour kRed = 255;
constexpr double kTwipsPerPixel = 15;
constexpr int kSide = 50;

// The figure as the program draws it: ranges of top-left corners.
struct StrokeRange {
    int letter, number;
    int xOffset, xSpan, yOffset, ySpan;
};

constexpr std::array<StrokeRange, 24> kFigure{{
    {1, 1, 300, 200, 500, 2000},  {1, 2, 300, 750, 500, 200},   {1, 3, 300, 750, 2300, 200},
    {1, 4, 300, 750, 1200, 200},  {2, 1, 1600, 200, 500, 2000}, {2, 2, 2500, 200, 500, 2000},
    {2, 3, 1750, 750, 500, 200},  {2, 4, 1750, 750, 2300, 200}, {3, 1, 2900, 200, 500, 2000},
    {3, 2, 2900, 950, 2300, 200}, {4, 1, 4000, 200, 500, 2000}, {4, 2, 4700, 200, 500, 2000},
    {4, 3, 4150, 750, 500, 200},  {4, 4, 4150, 750, 1200, 200}, {5, 1, 5200, 200, 500, 2000},
    {5, 2, 5200, 950, 500, 200},  {5, 3, 5200, 750, 1200, 200}, {6, 1, 6875, 200, 500, 2000},
    {6, 2, 6500, 950, 500, 200},  {6, 3, 6500, 950, 2300, 200}, {7, 1, 7700, 200, 500, 2000},
    {7, 2, 7890, 400, 1200, 200}, {7, 3, 7700, 950, 500, 200},  {7, 4, 7700, 950, 2300, 200},
}};

const StrokeRange* strokeOf(int letter, int number)
{
    for (const StrokeRange& s : kFigure)
        if (s.letter == letter && s.number == number)
            return &s;
    return nullptr;
}

// The order in which the counters visit the pairs from (1, 1).
constexpr std::array<std::pair<int, int>, 28> kCycle{{
    {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 1}, {6, 2}, {7, 3}, {1, 4}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 1}, {7, 2},
    {1, 3}, {2, 4}, {3, 1}, {4, 2}, {5, 3}, {6, 4}, {7, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 1}, {5, 2}, {6, 3}, {7, 4},
}};

// Pixels that a box from twip a to twip b covers for sure, and the pixels it
// may touch at all (a partly covered pixel may go either way).
struct Span {
    int first, last;   // inclusive
};

Span surelyCovered(double a, double b)
{
    return {static_cast<int>(std::ceil(a / kTwipsPerPixel)), static_cast<int>(std::floor(b / kTwipsPerPixel)) - 1};
}

Span possiblyTouched(double a, double b)
{
    return {static_cast<int>(std::floor(a / kTwipsPerPixel)), static_cast<int>(std::ceil(b / kTwipsPerPixel)) - 1};
}

// The bounds of the one patch of non-ground pixels on the surface, found on
// a 3-pixel grid (a square is at least 3 pixels wide) over the whole area the
// painters reach. Empty when nothing is drawn; several patches are a failure.
struct Found {
    QRect box;
    rt::Colour colour = 0;
    int patches = 0;
};

Found findSquares(const rt::SurfaceWidget& s)
{
    Found found;
    const int right = static_cast<int>(std::ceil(9700 / kTwipsPerPixel));
    const int bottom = static_cast<int>(std::ceil(6800 / kTwipsPerPixel));
    for (int py = 0; py <= bottom; py += 3) {
        for (int px = 0; px <= right; px += 3) {
            if (s.colourAt(QPoint(px, py)) == kGround || found.box.contains(px, py))
                continue;
            ++found.patches;
            // Grow the box to the whole patch around the hit.
            QRect box(px, py, 1, 1);
            for (int y = py - 5; y <= py + 5; ++y)
                for (int x = px - 5; x <= px + 5; ++x)
                    if (x >= 0 && y >= 0 && s.colourAt(QPoint(x, y)) != kGround)
                        box |= QRect(x, y, 1, 1);
            found.box |= box;
            found.colour = s.colourAt(QPoint(px, py));
        }
    }
    return found;
}

// The square with top-left corner (x, y) twips: the pixels it surely covers
// have its colour, and a ring of pixels just beyond the ones it may touch
// still shows the ground.
void expectSquareAt(const rt::SurfaceWidget& s, int x, int y, rt::Colour colour)
{
    const Span cx = surelyCovered(x, x + kSide), cy = surelyCovered(y, y + kSide);
    QVERIFY(cx.last - cx.first >= 1 && cy.last - cy.first >= 1);
    for (int py = cy.first; py <= cy.last; ++py)
        for (int px = cx.first; px <= cx.last; ++px)
            QVERIFY2(s.colourAt(QPoint(px, py)) == colour,
                     qPrintable(QString("pixel (%1, %2) of the square at (%3, %4)").arg(px).arg(py).arg(x).arg(y)));
    const Span tx = possiblyTouched(x, x + kSide), ty = possiblyTouched(y, y + kSide);
    for (int py = ty.first - 1; py <= ty.last + 1; ++py) {
        for (int px = tx.first - 1; px <= tx.last + 1; ++px) {
            const bool ring = py == ty.first - 1 || py == ty.last + 1 || px == tx.first - 1 || px == tx.last + 1;
            if (ring && px >= 0 && py >= 0)
                QVERIFY2(s.colourAt(QPoint(px, py)) == kGround,
                         qPrintable(QString("pixel (%1, %2) beyond the square at (%3, %4)").arg(px).arg(py).arg(x).arg(y)));
        }
    }
}

// The patch lies where some square of the stroke may reach and covers what
// any square there surely covers around its corner.
bool patchFitsStroke(const QRect& patch, const StrokeRange& s)
{
    const Span hx = possiblyTouched(s.xOffset, s.xOffset + s.xSpan - 1 + kSide);
    const Span hy = possiblyTouched(s.yOffset, s.yOffset + s.ySpan - 1 + kSide);
    return patch.left() >= hx.first && patch.right() <= hx.last && patch.top() >= hy.first && patch.bottom() <= hy.last &&
           patch.width() >= 3 && patch.width() <= 5 && patch.height() >= 3 && patch.height() <= 5;
}

double chiSquare(const std::vector<int>& counts, double expected)
{
    double sum = 0;
    for (int c : counts)
        sum += (c - expected) * (c - expected) / expected;
    return sum;
}

} // namespace

class TestConfetti : public QObject {
    Q_OBJECT

private slots:
    // ---- Timer6: the red figure ----

    void figureCycleFillsEveryStrokeOnceInOrder()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        std::vector<int> hits(kFigure.size(), 0);
        for (const auto& [letter, number] : kCycle) {
            QCOMPARE(f.num1, letter);
            QCOMPARE(f.num, number);
            f.form.setBackColor(kGround);
            const int drawsBefore = rig.random.draws;
            f.Timer6_Timer();
            const Found found = findSquares(*f.form.surface());
            const StrokeRange* stroke = strokeOf(letter, number);
            if (!stroke) {
                QCOMPARE(found.patches, 0);
                QCOMPARE(f.form.surface()->backingBytes(), qsizetype(0));
                QCOMPARE(rig.random.draws, drawsBefore);
                continue;
            }
            QCOMPARE(rig.random.draws, drawsBefore + 2);
            QCOMPARE(found.patches, 1);
            QCOMPARE(found.colour, kRed);
            QVERIFY2(patchFitsStroke(found.box, *stroke),
                     qPrintable(QString("(%1, %2) drew at pixels %3,%4 %5x%6")
                                    .arg(letter)
                                    .arg(number)
                                    .arg(found.box.x())
                                    .arg(found.box.y())
                                    .arg(found.box.width())
                                    .arg(found.box.height())));
            ++hits[static_cast<std::size_t>(stroke - kFigure.data())];
        }
        for (int h : hits)
            QCOMPARE(h, 1);
        QCOMPARE(f.num1, 1);
        QCOMPARE(f.num, 1);
    }

    void figureSquaresPileUpAndAreNeverErased()
    {
        // Three cycles: 72 squares, all red, all within the figure's band.
        test::Rig rig;
        Form1& f = rig.loaded();
        f.form.setBackColor(kGround);
        for (int i = 0; i < 3 * 28; ++i)
            f.Timer6_Timer();
        QCOMPARE(rig.random.draws, 3 * 24 * 2);
        int red = 0;
        const rt::SurfaceWidget& s = *f.form.surface();
        const Span bandX = possiblyTouched(300, 8699 + kSide), bandY = possiblyTouched(500, 2499 + kSide);
        for (int py = 0; py < 460; ++py) {
            for (int px = 0; px < 660; ++px) {
                const rt::Colour c = s.colourAt(QPoint(px, py));
                if (c == kGround)
                    continue;
                QCOMPARE(c, kRed);
                // Corners x 300 to 8699, y 500 to 2499 twips.
                QVERIFY(px >= bandX.first && px <= bandX.last && py >= bandY.first && py <= bandY.last);
                ++red;
            }
        }
        QVERIFY2(red > 72 * 4, qPrintable(QString::number(red)));
    }

    void figureCornersAtBothEndsOfEveryStroke()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        for (const StrokeRange& s : kFigure) {
            // The first number is y, the second x: mixing the two ends shows
            // which is which.
            const struct {
                float ry, rx;
                int x, y;
            } cases[] = {
                {0.0f, 0.0f, s.xOffset, s.yOffset},
                {kLargestBelowOne, kLargestBelowOne, s.xOffset + s.xSpan - 1, s.yOffset + s.ySpan - 1},
                {0.0f, kLargestBelowOne, s.xOffset + s.xSpan - 1, s.yOffset},
                {kLargestBelowOne, 0.0f, s.xOffset, s.yOffset + s.ySpan - 1},
            };
            for (const auto& c : cases) {
                f.num1 = static_cast<std::int16_t>(s.letter);
                f.num = static_cast<std::int16_t>(s.number);
                f.form.setBackColor(kGround);
                rig.random.script({c.ry, c.rx});
                const int drawsBefore = rig.random.draws;
                f.Timer6_Timer();
                QCOMPARE(rig.random.draws, drawsBefore + 2);
                expectSquareAt(*f.form.surface(), c.x, c.y, kRed);
                if (QTest::currentTestFailed()) {
                    qWarning("stroke (%d, %d), corner (%d, %d)", s.letter, s.number, c.x, c.y);
                    return;
                }
                QCOMPARE(findSquares(*f.form.surface()).patches, 1);
            }
        }
    }

    void figureEmptyPairsDrawNothingAndTakeNoNumber_data()
    {
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("nextLetter");
        QTest::addColumn<int>("nextNumber");
        QTest::newRow("(3,3)") << 3 << 3 << 4 << 4;
        QTest::newRow("(3,4)") << 3 << 4 << 4 << 1;
        QTest::newRow("(5,4)") << 5 << 4 << 6 << 1;
        QTest::newRow("(6,4)") << 6 << 4 << 7 << 1;
    }

    void figureEmptyPairsDrawNothingAndTakeNoNumber()
    {
        QFETCH(int, letter);
        QFETCH(int, number);
        QFETCH(int, nextLetter);
        QFETCH(int, nextNumber);
        test::Rig rig;
        Form1& f = rig.loaded();
        f.form.setBackColor(kGround);
        f.num1 = static_cast<std::int16_t>(letter);
        f.num = static_cast<std::int16_t>(number);
        // A scripted number left over proves none was taken.
        rig.random.script({0.5f});
        f.Timer6_Timer();
        QCOMPARE(rig.random.draws, 0);
        QCOMPARE(rig.random.reseeds, 0);
        QCOMPARE(f.form.surface()->backingBytes(), qsizetype(0));
        QCOMPARE(f.num1, nextLetter);
        QCOMPARE(f.num, nextNumber);
        QCOMPARE(rig.random.next(), 0.5f);
    }

    void figureWrapsAtTheEndOfTheCycle()
    {
        // (7, 4) draws in the last E's bottom bar, then both counters wrap.
        test::Rig rig;
        Form1& f = rig.loaded();
        f.form.setBackColor(kGround);
        f.num1 = 7;
        f.num = 4;
        rig.random.script({0.0f, 0.0f});
        f.Timer6_Timer();
        expectSquareAt(*f.form.surface(), 7700, 2300, kRed);
        QCOMPARE(f.num1, 1);
        QCOMPARE(f.num, 1);

        // (4, 4) draws in the A's cross bar and leaves (5, 1).
        f.form.setBackColor(kGround);
        f.num1 = 4;
        f.num = 4;
        rig.random.script({0.0f, 0.0f});
        f.Timer6_Timer();
        expectSquareAt(*f.form.surface(), 4150, 1200, kRed);
        QCOMPARE(f.num1, 5);
        QCOMPARE(f.num, 1);
    }

    void figureCountersOutOfRange_data()
    {
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("nextLetter");
        QTest::addColumn<int>("nextNumber");
        QTest::newRow("num1 9") << 9 << 1 << 1 << 2;
        QTest::newRow("num1 8") << 8 << 2 << 1 << 3;
        QTest::newRow("num1 0") << 0 << 1 << 1 << 2;
        QTest::newRow("num 0") << 1 << 0 << 2 << 1;
        QTest::newRow("num 5") << 2 << 5 << 3 << 1;
        QTest::newRow("num 9") << 2 << 9 << 3 << 1;
        QTest::newRow("num1 32767") << 32767 << 2 << 1 << 3;
        QTest::newRow("num 32767") << 4 << 32767 << 5 << 1;
        QTest::newRow("both 32767") << 32767 << 32767 << 1 << 1;
        QTest::newRow("num1 -5") << -5 << 1 << -4 << 2;
        QTest::newRow("num -3") << 1 << -3 << 2 << -2;
        QTest::newRow("both -32768") << -32768 << -32768 << -32767 << -32767;
    }

    void figureCountersOutOfRange()
    {
        QFETCH(int, letter);
        QFETCH(int, number);
        QFETCH(int, nextLetter);
        QFETCH(int, nextNumber);
        test::Rig rig;
        Form1& f = rig.loaded();
        f.form.setBackColor(kGround);
        f.num1 = static_cast<std::int16_t>(letter);
        f.num = static_cast<std::int16_t>(number);
        f.Timer6_Timer();
        QCOMPARE(rig.random.draws, 0);
        QCOMPARE(f.form.surface()->backingBytes(), qsizetype(0));
        QCOMPARE(f.num1, nextLetter);
        QCOMPARE(f.num, nextNumber);
    }

    void figureNegativeCountersClimbOneATickIntoTheCycle()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        f.form.setBackColor(kGround);
        f.num1 = -2;
        f.num = -1;
        // (-2,-1) (-1,0) (0,1): nothing drawn; then (1,2), the first E's top bar.
        const std::pair<int, int> after[] = {{-1, 0}, {0, 1}, {1, 2}};
        for (const auto& [letter, number] : after) {
            f.Timer6_Timer();
            QCOMPARE(f.num1, letter);
            QCOMPARE(f.num, number);
            QCOMPARE(rig.random.draws, 0);
            QCOMPARE(f.form.surface()->backingBytes(), qsizetype(0));
        }
        rig.random.script({0.0f, 0.0f});
        f.Timer6_Timer();
        QCOMPARE(rig.random.draws, 2);
        expectSquareAt(*f.form.surface(), 300, 500, kRed);
        QCOMPARE(f.num1, 2);
        QCOMPARE(f.num, 3);
    }

    void figureStaysRedBetweenSprinkledSquares()
    {
        // Timer1 and Timer6 interleaved; each sprinkled square is scripted to
        // a non-red colour at the very place of the next figure square, so
        // only the figure's own colour can show there afterwards.
        test::Rig rig;
        Form1& f = rig.loaded();
        for (int i = 0; i < 28; ++i) {
            const StrokeRange* s = strokeOf(f.num1, f.num);
            if (!s) {
                f.Timer6_Timer();
                continue;
            }
            f.form.setBackColor(kGround);
            // Index 5 (blue) at the stroke's first corner; the figure square
            // goes to the same corner.
            rig.random.script({0.5f, static_cast<float>((s->xOffset + 0.5) / 9600), static_cast<float>((s->yOffset + 0.5) / 6700)});
            f.Timer1_Timer();
            const Span cx = surelyCovered(s->xOffset, s->xOffset + kSide);
            const Span cy = surelyCovered(s->yOffset, s->yOffset + kSide);
            QCOMPARE(f.form.surface()->colourAt(QPoint(cx.first, cy.first)), rt::rgb(0, 0, 255));
            rig.random.script({0.0f, 0.0f});
            f.Timer6_Timer();
            expectSquareAt(*f.form.surface(), s->xOffset, s->yOffset, kRed);
        }
    }

    // ---- Timer1: the random sprinkle ----

    void sprinkleExtremes()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        const rt::SurfaceWidget& s = *f.form.surface();

        f.form.setBackColor(kGround);
        rig.random.script({0.0f, 0.0f, 0.0f});
        f.Timer1_Timer();
        expectSquareAt(s, 0, 0, rt::rgb(0, 0, 0));
        QCOMPARE(findSquares(s).patches, 1);

        // In single precision r * 8 + 1 would come to 9 here: one past the table.
        f.form.setBackColor(kGround);
        rig.random.script({kLargestBelowOne, kLargestBelowOne, kLargestBelowOne});
        f.Timer1_Timer();
        expectSquareAt(s, 9599, 6699, rt::rgb(255, 255, 255));
        QCOMPARE(findSquares(s).patches, 1);

        // Colour first, then x, then y.
        f.form.setBackColor(kGround);
        rig.random.script({0.0f, kLargestBelowOne, 0.0f});
        f.Timer1_Timer();
        expectSquareAt(s, 9599, 0, rt::rgb(0, 0, 0));
        f.form.setBackColor(kGround);
        rig.random.script({kLargestBelowOne, 0.0f, kLargestBelowOne});
        f.Timer1_Timer();
        expectSquareAt(s, 0, 6699, rt::rgb(255, 255, 255));
    }

    void sprinkleColourTable_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("colour");
        const std::array<rt::Colour, 8> table{0, 255, 65280, 65535, 16711680, 16711935, 16776960, 16777215};
        for (int i = 0; i < 8; ++i) {
            // Both ends of each eighth of [0, 1).
            const float low = static_cast<float>(i) / 8;
            const float high = std::nextafter(static_cast<float>(i + 1) / 8, 0.0f);
            QTest::addRow("index %d low", i + 1) << low << table[static_cast<std::size_t>(i)];
            QTest::addRow("index %d high", i + 1) << high << table[static_cast<std::size_t>(i)];
        }
    }

    void sprinkleColourTable()
    {
        QFETCH(float, r);
        QFETCH(int, colour);
        test::Rig rig;
        Form1& f = rig.loaded();
        f.form.setBackColor(kGround);
        rig.random.script({r, 0.5f, 0.5f});
        f.Timer1_Timer();
        expectSquareAt(*f.form.surface(), 4800, 3350, colour);
    }

    void sprinkleReseedsFromTheClockBeforeItsThreeNumbers()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        // A twin of the rig's generator predicts every square: it only
        // agrees if the tick reseeds with the clock before its first number.
        rt::MersenneRandom twin(12345);
        const std::array<rt::Colour, 8> table{0, 255, 65280, 65535, 16711680, 16711935, 16776960, 16777215};
        for (int tick = 0; tick < 40; ++tick) {
            // Every other tick the clock has not moved: it must still reseed.
            if (tick % 2 == 0)
                rig.clock.advance(std::chrono::milliseconds(30));
            f.form.setBackColor(kGround);
            const int reseedsBefore = rig.random.reseeds, drawsBefore = rig.random.draws;
            f.Timer1_Timer();
            QCOMPARE(rig.random.reseeds, reseedsBefore + 1);
            QCOMPARE(rig.random.draws, drawsBefore + 3);
            QCOMPARE(rig.random.lastSeed, static_cast<double>(rig.clock.secondsSinceMidnight()));

            twin.reseed(rig.clock.secondsSinceMidnight());
            const int index = static_cast<int>(std::floor(static_cast<double>(twin.next()) * 8 + 1));
            const int x = static_cast<int>(std::floor(static_cast<double>(twin.next()) * 9600));
            const int y = static_cast<int>(std::floor(static_cast<double>(twin.next()) * 6700));
            expectSquareAt(*f.form.surface(), x, y, table[static_cast<std::size_t>(index - 1)]);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void sprinkleIsEvenOverColoursAndPlaces()
    {
        // 4000 ticks 30 ms apart on the rig's seeded generator, each square
        // found alone on a cleared surface. Bounds are the chi-square values
        // with a chance of 1 in a million of being passed by a sound
        // sprinkle; an index that misses one colour scores over 500, one
        // confined to half the area over 4000.
        test::Rig rig;
        Form1& f = rig.loaded();
        const std::array<rt::Colour, 8> table{0, 255, 65280, 65535, 16711680, 16711935, 16776960, 16777215};
        constexpr int kTicks = 4000;
        std::vector<int> colours(8, 0), places(64, 0);
        for (int i = 0; i < kTicks; ++i) {
            rig.clock.advance(std::chrono::milliseconds(30));
            f.form.setBackColor(kGround);
            f.Timer1_Timer();
            const Found found = findSquares(*f.form.surface());
            QCOMPARE(found.patches, 1);
            const auto it = std::find(table.begin(), table.end(), found.colour);
            QVERIFY(it != table.end());
            ++colours[static_cast<std::size_t>(it - table.begin())];
            // Eighths of 9600 x 6700 by the square's left and top pixels.
            const int col = std::min(7, static_cast<int>(found.box.left() * kTwipsPerPixel / 1200));
            const int row = std::min(7, static_cast<int>(found.box.top() * kTwipsPerPixel / 837.5));
            ++places[static_cast<std::size_t>(row * 8 + col)];
        }
        const double colourChi = chiSquare(colours, kTicks / 8.0);
        const double placeChi = chiSquare(places, kTicks / 64.0);
        qInfo("chi-square: colours %.1f (df 7), places %.1f (df 63)", colourChi, placeChi);
        QVERIFY2(colourChi < 40.5, qPrintable(QString::number(colourChi)));
        QVERIFY2(placeChi < 131.4, qPrintable(QString::number(placeChi)));
        QCOMPARE(rig.random.reseeds, kTicks);
        QCOMPARE(rig.random.draws, 3 * kTicks);
    }

    void sprinkleThroughItsTimer()
    {
        // Driven by the timers: one square every 30 ms, each after a reseed.
        test::Rig rig;
        Form1& f = rig.loaded();
        f.Timer2.setEnabled(false);
        f.Timer3.setEnabled(false);
        f.Timer4.setEnabled(false);
        f.Timer5.setEnabled(false);
        f.Timer6.setEnabled(false);
        f.form.setBackColor(kGround);
        rig.advance(std::chrono::milliseconds(300));
        QCOMPARE(rig.random.reseeds, 10);
        QCOMPARE(rig.random.draws, 30);
        QVERIFY(findSquares(*f.form.surface()).patches >= 1);
    }
};

QTEST_MAIN(TestConfetti)
#include "test_confetti.moc"
