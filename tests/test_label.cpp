// The bouncing label: its diagonal path and turns, the background fade, the
// window colour in the Vantrel effect, and the text colour that must never
// match the background.

#include "confetti/pure_colours.h"
#include "rig.h"
#include "runtime/label_widget.h"
#include "runtime/surface_widget.h"

#include "runtime/qt_colour.h"

#include <QMainWindow>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto kTick = rt::TimerHub::kShortestPeriod;   // Timer4's 1 ms, as held

struct Step {
    float left, top;
    std::string hor, ver;
    rt::Colour back;
};

Step stepOf(const Form1& f)
{
    return {f.Label1.left(), f.Label1.top(), f.hor, f.ver, f.Label1.backColor()};
}

// Ticks 1 to n of Timer4, handler called directly; element i is the state
// after tick i (element 0 the start).
std::vector<Step> run(Form1& f, int n)
{
    std::vector<Step> steps{stepOf(f)};
    for (int i = 0; i < n; ++i) {
        f.Timer4_Timer();
        steps.push_back(stepOf(f));
    }
    return steps;
}

// r that draws table index i (1 to 8): the middle of its eighth.
float rFor(int index)
{
    return (static_cast<float>(index) - 0.5f) / 8.0f;
}

// Turns off all three options: the label is hidden.
void hideLabel(Form1& f)
{
    f.dates.choose();
    f.times.choose();
    f.days.choose();
}

QColor drawnLabelBack(const Form1& f)
{
    // The box's corner is background; the text sits in the middle.
    return f.Label1.widget()->grab().toImage().pixelColor(1, 1);
}

} // namespace

class TestLabel : public QObject {
    Q_OBJECT

private slots:
    // From the design-time position the label turns at fixed ticks: Top at
    // -45 on tick 31 and then every 74 ticks, Left at 4560 on tick 32 and
    // then every 61 ticks, 75 twips per tick on both axes in between.
    void pathFromDesignPosition()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        QCOMPARE(f.Label1.left(), 2160.0f);
        QCOMPARE(f.Label1.top(), 2280.0f);
        const int n = 2000;
        const std::vector<Step> s = run(f, n);

        QCOMPARE(s[30].ver, std::string("u"));
        QCOMPARE(s[31].top, -45.0f);
        QCOMPARE(s[31].ver, std::string("d"));
        QCOMPARE(s[31].hor, std::string("r"));
        QCOMPARE(s[32].left, 4560.0f);
        QCOMPARE(s[32].hor, std::string("l"));
        QCOMPARE(s[93].left, -15.0f);
        QCOMPARE(s[105].top, 5505.0f);
        QCOMPARE(s[154].left, 4560.0f);
        QCOMPARE(s[179].top, -45.0f);

        std::vector<int> verTurns, horTurns;
        for (int t = 1; t <= n; ++t) {
            QCOMPARE(std::fabs(s[t].top - s[t - 1].top), 75.0f);
            QCOMPARE(std::fabs(s[t].left - s[t - 1].left), 75.0f);
            // The step follows the direction held before the tick.
            QCOMPARE(s[t].top - s[t - 1].top, s[t - 1].ver == "d" ? 75.0f : -75.0f);
            QCOMPARE(s[t].left - s[t - 1].left, s[t - 1].hor == "r" ? 75.0f : -75.0f);
            if (s[t].ver != s[t - 1].ver)
                verTurns.push_back(t);
            if (s[t].hor != s[t - 1].hor)
                horTurns.push_back(t);
        }
        std::vector<int> wantVer, wantHor;
        for (int t = 31; t <= n; t += 74)
            wantVer.push_back(t);
        for (int t = 32; t <= n; t += 61)
            wantHor.push_back(t);
        QCOMPARE(verTurns, wantVer);
        QCOMPARE(horTurns, wantHor);
        for (std::size_t k = 0; k < verTurns.size(); ++k)
            QCOMPARE(s[verTurns[k]].top, k % 2 == 0 ? -45.0f : 5505.0f);
        for (std::size_t k = 0; k < horTurns.size(); ++k)
            QCOMPARE(s[horTurns[k]].left, k % 2 == 0 ? 4560.0f : -15.0f);
    }

    // The runtime delivers Timer4 64 times a second, and the ticks do what
    // direct calls do.
    void pathThroughTheTimers()
    {
        test::Rig timed;
        Form1& f = timed.loaded();
        timed.advance(31 * kTick);
        QCOMPARE(f.Label1.top(), -45.0f);
        QCOMPARE(f.ver, std::string("d"));
        QCOMPARE(f.hor, std::string("r"));
        QCOMPARE(f.Label1.backColor(), rt::Colour(155));
        timed.advance(kTick);
        QCOMPARE(f.Label1.left(), 4560.0f);
        QCOMPARE(f.hor, std::string("l"));

        // Two seconds in all: 128 ticks.
        timed.advance(2s - 32 * kTick);
        test::Rig direct;
        Form1& g = direct.loaded();
        run(g, 128);
        QCOMPARE(f.Label1.left(), g.Label1.left());
        QCOMPARE(f.Label1.top(), g.Label1.top());
        QCOMPARE(f.Label1.backColor(), g.Label1.backColor());
        QCOMPARE(f.hor, g.hor);
        QCOMPARE(f.ver, g.ver);
        QCOMPARE(f.test1, g.test1);
        QCOMPARE(f.dir, g.dir);
        g.Timer4_Timer();
        QVERIFY(f.Label1.backColor() != g.Label1.backColor());
    }

    // A step that lands exactly on a limit turns the label; one that stops
    // a twip short does not.
    void turnsOnTheLimit_data()
    {
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<char>("hor");
        QTest::addColumn<char>("ver");
        QTest::addColumn<char>("wantHor");
        QTest::addColumn<char>("wantVer");
        QTest::addRow("top reaches 0") << 2000.0f << 75.0f << 'r' << 'u' << 'r' << 'd';
        QTest::addRow("top stops at 1") << 2000.0f << 76.0f << 'r' << 'u' << 'r' << 'u';
        QTest::addRow("top reaches 5500") << 2000.0f << 5425.0f << 'r' << 'd' << 'r' << 'u';
        QTest::addRow("top stops at 5499") << 2000.0f << 5424.0f << 'r' << 'd' << 'r' << 'd';
        QTest::addRow("left reaches 0") << 75.0f << 3000.0f << 'l' << 'd' << 'r' << 'd';
        QTest::addRow("left stops at 1") << 76.0f << 3000.0f << 'l' << 'd' << 'l' << 'd';
        QTest::addRow("left reaches 4500") << 4425.0f << 3000.0f << 'r' << 'u' << 'l' << 'u';
        QTest::addRow("left stops at 4499") << 4424.0f << 3000.0f << 'r' << 'u' << 'r' << 'u';
        QTest::addRow("corner 0, 0") << 75.0f << 75.0f << 'l' << 'u' << 'r' << 'd';
        QTest::addRow("corner 4500, 5500") << 4425.0f << 5425.0f << 'r' << 'd' << 'l' << 'u';
        // The tests do not look at the direction: past a limit, moving
        // away, it stays.
        QTest::addRow("already turned at top") << 2000.0f << -45.0f << 'r' << 'd' << 'r' << 'd';
    }

    void turnsOnTheLimit()
    {
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(char, hor);
        QFETCH(char, ver);
        QFETCH(char, wantHor);
        QFETCH(char, wantVer);
        test::Rig rig;
        Form1& f = rig.loaded();
        f.Label1.setLeft(left);
        f.Label1.setTop(top);
        f.hor = std::string(1, hor);
        f.ver = std::string(1, ver);
        f.Timer4_Timer();
        QCOMPARE(f.hor, std::string(1, wantHor));
        QCOMPARE(f.ver, std::string(1, wantVer));
        // A turn changes the direction only: the label stays where it went.
        QCOMPARE(f.Label1.left(), left + (hor == 'r' ? 75.0f : -75.0f));
        QCOMPARE(f.Label1.top(), top + (ver == 'd' ? 75.0f : -75.0f));
    }

    // Over a long run the 5055 x 1215 box reaches exactly 9615 twips from
    // the left and 6720 from the top, and pokes out at most 15 and 45 twips
    // past the left and top edges.
    void staysWithinItsArea()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        float minLeft = 1e9f, minTop = 1e9f, maxRight = -1e9f, maxBottom = -1e9f;
        for (int t = 0; t < 20000; ++t) {
            f.Timer4_Timer();
            minLeft = std::min(minLeft, f.Label1.left());
            minTop = std::min(minTop, f.Label1.top());
            maxRight = std::max(maxRight, f.Label1.left() + 5055);
            maxBottom = std::max(maxBottom, f.Label1.top() + 1215);
        }
        QCOMPARE(maxRight, 9615.0f);
        QCOMPARE(maxBottom, 6720.0f);
        QCOMPARE(minLeft, -15.0f);
        QCOMPARE(minTop, -45.0f);
        // The widget follows: 15 twips to a pixel.
        QCOMPARE(f.Label1.widget()->pos(), QPoint(qRound(f.Label1.left() / 15), qRound(f.Label1.top() / 15)));
        QCOMPARE(f.Label1.widget()->size(), QSize(337, 81));
    }

    void fadeColours_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<int>("colour");
        QTest::addRow("tick 1") << 1 << 5;
        QTest::addRow("tick 51, red") << 51 << 255;
        QTest::addRow("tick 102, yellow") << 102 << 65535;
        QTest::addRow("tick 153, white") << 153 << 16777215;
        QTest::addRow("tick 204, cyan") << 204 << 16776960;
        QTest::addRow("tick 255, blue") << 255 << 16711680;
        QTest::addRow("tick 306, black") << 306 << 0;
        QTest::addRow("tick 307") << 307 << 5;
        QTest::addRow("tick 613") << 613 << 5;
    }

    void fadeColours()
    {
        QFETCH(int, tick);
        QFETCH(int, colour);
        test::Rig rig;
        Form1& f = rig.loaded();
        const std::vector<Step> s = run(f, tick);
        QCOMPARE(s[tick].back, rt::Colour(colour));
        QCOMPARE(drawnLabelBack(f), rt::toQColor(colour));
    }

    // Over whole periods: one level moves by 5 each tick, the levels stay
    // multiples of 5 in 0 to 255, the colour repeats every 306 ticks and is
    // never pure green or magenta.
    void fadeOverFullPeriods()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        const int periods = 4;
        const std::vector<Step> s = run(f, 306 * periods);
        for (std::size_t t = 1; t < s.size(); ++t) {
            const rt::Colour c = s[t].back;
            QVERIFY2(c != 65280 && c != 16711935, qPrintable(QString("tick %1: %2").arg(t).arg(c)));
            for (const int level : {rt::redOf(c), rt::greenOf(c), rt::blueOf(c)})
                QVERIFY(level % 5 == 0 && level >= 0 && level <= 255);
            // Before the first tick the levels are all 0.
            const rt::Colour p = t == 1 ? rt::rgb(0, 0, 0) : s[t - 1].back;
            const int moved = std::abs(rt::redOf(c) - rt::redOf(p)) + std::abs(rt::greenOf(c) - rt::greenOf(p)) +
                              std::abs(rt::blueOf(c) - rt::blueOf(p));
            QCOMPARE(moved, 5);
            if (t > 306)
                QCOMPARE(c, s[t - 306].back);
        }
        QCOMPARE(f.x, std::int16_t(0));
        QCOMPARE(f.y, std::int16_t(0));
        QCOMPARE(f.z, std::int16_t(0));
        QCOMPARE(f.test1, std::int16_t(1));
        QCOMPARE(f.dir, std::int16_t(1));
    }

    // Hidden or not, the label's background follows the fade at every tick,
    // and the text colour still changes.
    void hiddenLabelStillFades()
    {
        test::Rig hidden;
        Form1& f = hidden.loaded();
        hideLabel(f);
        QVERIFY(!f.Label1.visible());
        QVERIFY(!f.Label1.widget()->isVisibleTo(f.form.widget()));
        test::Rig shown;
        Form1& g = shown.loaded();
        for (int t = 1; t <= 400; ++t) {
            const rt::Colour before = f.Label1.backColor();
            f.Timer4_Timer();
            g.Timer4_Timer();
            QVERIFY(f.Label1.backColor() != before);
            QCOMPARE(f.Label1.backColor(), g.Label1.backColor());
            QCOMPARE(f.Label1.left(), g.Label1.left());
            QCOMPARE(f.Label1.top(), g.Label1.top());
        }
        QCOMPARE(drawnLabelBack(f), rt::toQColor(f.Label1.backColor()));

        f.Label1.setForeColor(rt::rgb(1, 2, 3));
        const int reseeds = hidden.random.reseeds;
        f.Timer3_Timer();
        QVERIFY(f.Label1.foreColor() != rt::rgb(1, 2, 3));
        QVERIFY(hidden.random.reseeds > reseeds);
    }

    // The window takes the fade colour from the first tick after Vantrel is
    // chosen, at every tick while its mark is set, and keeps the last one
    // after Confettii is chosen.
    void windowFollowsTheFadeInVantrel()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        const rt::Colour grey = f.form.backColor();
        run(f, 40);
        QCOMPARE(f.form.backColor(), grey);

        f.vantrel.choose();
        QVERIFY(f.vantrel.checked());
        QCOMPARE(f.form.backColor(), grey);
        for (int t = 0; t < 320; ++t) {
            f.Timer4_Timer();
            QCOMPARE(f.form.backColor(), f.Label1.backColor());
        }

        const rt::Colour last = f.form.backColor();
        f.confettii.choose();
        QVERIFY(!f.vantrel.checked());
        for (int t = 0; t < 320; ++t) {
            f.Timer4_Timer();
            QCOMPARE(f.form.backColor(), last);
        }
        QVERIFY(f.Label1.backColor() != last);

        // The mark is read at every tick, however it got set.
        f.vantrel.setChecked(true);
        f.Timer4_Timer();
        QCOMPARE(f.form.backColor(), f.Label1.backColor());
    }

    // A square that the label passes over is gone once it moves on; one it
    // never touched stays; the Vantrel colour wipes them all.
    void squaresUnderTheLabelAndInVantrel()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        rt::SurfaceWidget& surface = *f.form.surface();
        const rt::Colour grey = f.form.backColor();
        const rt::Colour red = rt::rgb(255, 0, 0), blue = rt::rgb(0, 0, 255);
        // Pixel (200, 200) lies under the label at its start; (20, 440)
        // stays clear of it for the next ten ticks.
        f.form.fillBox(3000, 3000, 3050, 3050, red);
        f.form.fillBox(300, 6600, 350, 6650, blue);
        QCOMPARE(surface.colourAt(QPoint(200, 200)), red);
        QCOMPARE(surface.colourAt(QPoint(20, 440)), blue);

        run(f, 10);
        QVERIFY(!f.Label1.widget()->geometry().contains(QPoint(200, 200)));
        QCOMPARE(surface.colourAt(QPoint(200, 200)), grey);
        QCOMPARE(surface.colourAt(QPoint(20, 440)), blue);
        QVERIFY(surface.backingBytes() > 0);

        f.vantrel.choose();
        QVERIFY(surface.backingBytes() > 0);
        f.Timer4_Timer();
        QCOMPARE(surface.backingBytes(), qsizetype(0));
        QCOMPARE(surface.colourAt(QPoint(20, 440)), f.Label1.backColor());
        QCOMPARE(surface.colourAt(QPoint(200, 200)), f.Label1.backColor());
    }

    // At each table colour as background, a first draw of that colour is
    // drawn again from a fresh reseed, with the clock standing still; the
    // tick ends on a different colour. One reseed per pass.
    void textColourRetriesOnTheBackground_data()
    {
        QTest::addColumn<int>("backIndex");
        for (int i = 1; i <= 8; ++i)
            QTest::addRow("background %d", i) << i;
    }

    void textColourRetriesOnTheBackground()
    {
        QFETCH(int, backIndex);
        test::Rig rig;
        Form1& f = rig.loaded();
        const rt::Colour back = pureColour(backIndex);
        f.Label1.setBackColor(back);
        const int other = backIndex % 8 + 1;
        // Three matching draws in a row, then a different one.
        rig.random.script({rFor(backIndex), rFor(backIndex), rFor(backIndex), rFor(other)});
        const float seconds = rig.clock.secondsSinceMidnight();
        f.Timer3_Timer();
        QCOMPARE(f.Label1.foreColor(), pureColour(other));
        QCOMPARE(f.Label1.backColor(), back);
        QCOMPARE(rig.random.draws, 4);
        QCOMPARE(rig.random.reseeds, 4);
        QCOMPARE(rig.random.lastSeed, double(seconds));
    }

    // With the clock standing still and the real generator behind, the
    // repeat still finds a new colour: ticks end, never on the background,
    // and every pass reseeds once.
    void textColourNeverMatchesTheBackground_data()
    {
        QTest::addColumn<int>("back");
        for (int i = 1; i <= 8; ++i)
            QTest::addRow("table %d", i) << pureColour(i);
        QTest::addRow("fade colour outside the table") << rt::rgb(130, 0, 0);
    }

    void textColourNeverMatchesTheBackground()
    {
        QFETCH(int, back);
        test::Rig rig;
        Form1& f = rig.loaded();
        f.Label1.setBackColor(back);
        const int ticks = 400;
        for (int t = 0; t < ticks; ++t) {
            f.Timer3_Timer();
            QVERIFY(f.Label1.foreColor() != back);
            QVERIFY(std::find(kPureColours.begin(), kPureColours.end(), f.Label1.foreColor()) != kPureColours.end());
            QCOMPARE(rig.random.reseeds, rig.random.draws);
        }
        const bool inTable = std::find(kPureColours.begin(), kPureColours.end(), back) != kPureColours.end();
        if (inTable)
            QVERIFY(rig.random.draws > ticks);   // some passes were repeated
        else
            QCOMPARE(rig.random.draws, ticks);   // exactly one pass each
    }

    // Outside the table no draw can match: exactly one pass, whatever it
    // draws.
    void oneTextPassOutsideTheTable()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        f.Label1.setBackColor(rt::rgb(255, 255, 95));
        for (int i = 1; i <= 8; ++i) {
            rig.random.script({rFor(i)});
            const int draws = rig.random.draws, reseeds = rig.random.reseeds;
            f.Timer3_Timer();
            QCOMPARE(f.Label1.foreColor(), pureColour(i));
            QCOMPARE(rig.random.draws, draws + 1);
            QCOMPARE(rig.random.reseeds, reseeds + 1);
        }
    }

    // The ends of r's range: 0 is black, the largest float below 1 white,
    // never an index past the table.
    void textColourAtTheEndsOfR()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        f.Label1.setBackColor(rt::rgb(5, 0, 0));
        rig.random.script({0.0f});
        f.Timer3_Timer();
        QCOMPARE(f.Label1.foreColor(), rt::rgb(0, 0, 0));
        rig.random.script({test::kLargestBelowOne});
        f.Timer3_Timer();
        QCOMPARE(f.Label1.foreColor(), rt::rgb(255, 255, 255));
        QCOMPARE(rig.random.draws, 2);

        QCOMPARE(pureColourIndex(0.0f), 1);
        float r = test::kLargestBelowOne;
        for (int k = 0; k < 1000; ++k, r = std::nextafter(r, 0.0f))
            QCOMPARE(pureColourIndex(r), 8);
        QCOMPARE(pureColourIndex(std::nextafter(0.125f, 0.0f)), 1);
        QCOMPARE(pureColourIndex(0.125f), 2);
    }

    // With the fade's own red at tick 51 as background, a red draw is
    // replaced. Delivered by the timers, with the fade held on white, every
    // Timer3 tick leaves a colour other than white.
    void textColourAgainstTheFade()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        run(f, 51);
        QCOMPARE(f.Label1.backColor(), rt::Colour(255));
        rig.random.script({rFor(2), rFor(5)});
        f.Timer3_Timer();
        QCOMPARE(f.Label1.foreColor(), rt::rgb(0, 0, 255));
        QCOMPARE(rig.random.reseeds, 2);

        test::Rig timed;
        Form1& g = timed.loaded();
        g.Timer4.setEnabled(false);
        g.Label1.setBackColor(rt::rgb(255, 255, 255));
        int changes = 0;
        for (int k = 0; k < 50; ++k) {
            const rt::Colour before = g.Label1.foreColor();
            timed.advance(900ms);
            QVERIFY(g.Label1.foreColor() != rt::rgb(255, 255, 255));
            changes += g.Label1.foreColor() != before;
        }
        // Same colour twice in a row is allowed, but not fifty times.
        QVERIFY(changes > 10);
    }
};

QTEST_MAIN(TestLabel)
#include "test_label.moc"
