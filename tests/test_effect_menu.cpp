// The "Screen Saver" menu: Confettii and Vantrel as a pair of radio
// choices that switch the confetti painters, and what the window shows
// after each switch.

#include "rig.h"
#include "runtime/surface_widget.h"

#include <QAction>
#include <QTest>
#include <functional>

namespace {

using namespace std::chrono_literals;

// Everything the two handlers must leave alone.
struct Untouched {
    std::int16_t num, num1, test, test1, dir, x, y, z;
    std::string hor, ver;
    bool time1, date1, day1;
    bool dates, times, days;
    bool timer2, timer3, timer4, timer5;
    std::string caption;
    bool labelVisible;
    float left, top;
    rt::Colour labelBack, labelFore, formBack;

    static Untouched of(const Form1& f)
    {
        return {f.num,   f.num1,  f.test,  f.test1, f.dir,   f.x,        f.y,       f.z,
                f.hor,   f.ver,   f.time1, f.date1, f.day1,  f.dates.checked(), f.times.checked(), f.days.checked(),
                f.Timer2.enabled(), f.Timer3.enabled(), f.Timer4.enabled(), f.Timer5.enabled(),
                f.Label1.caption(), f.Label1.visible(), f.Label1.left(), f.Label1.top(),
                f.Label1.backColor(), f.Label1.foreColor(), f.form.backColor()};
    }
    bool operator==(const Untouched&) const = default;
};

enum class Effect { Confettii, Vantrel };

void expectEffect(const Form1& f, Effect e)
{
    const bool confetti = e == Effect::Confettii;
    QCOMPARE(f.confettii.checked(), confetti);
    QCOMPARE(f.vantrel.checked(), !confetti);
    QCOMPARE(f.Timer1.enabled(), confetti);
    QCOMPARE(f.Timer6.enabled(), confetti);
    // The marks the user sees agree with the ones the program holds.
    QCOMPARE(f.confettii.action()->isChecked(), confetti);
    QCOMPARE(f.vantrel.action()->isChecked(), !confetti);
}

// Some pixel of the drawing area differs from the background colour.
int pixelsOffBackground(const rt::SurfaceWidget& s)
{
    int off = 0;
    for (int py = 0; py < 452; ++py)
        for (int px = 0; px < 645; ++px)
            off += s.colourAt(QPoint(px, py)) != s.backColor();
    return off;
}

} // namespace

class TestEffectMenu : public QObject {
    Q_OBJECT

private slots:
    void transitions_data()
    {
        QTest::addColumn<bool>("startInVantrel");
        QTest::addColumn<bool>("chooseVantrel");
        QTest::addColumn<bool>("throughQt");
        QTest::addColumn<bool>("allOptionsOff");
        for (const bool off : {false, true}) {
            for (const bool qt : {false, true}) {
                const char* how = qt ? "action" : "choose";
                const char* options = off ? "no option" : "one option off";
                QTest::addRow("Confettii -> Vantrel, %s, %s", how, options) << false << true << qt << off;
                QTest::addRow("Vantrel -> Confettii, %s, %s", how, options) << true << false << qt << off;
                QTest::addRow("Confettii again, %s, %s", how, options) << false << false << qt << off;
                QTest::addRow("Vantrel again, %s, %s", how, options) << true << true << qt << off;
            }
        }
    }

    void transitions()
    {
        QFETCH(bool, startInVantrel);
        QFETCH(bool, chooseVantrel);
        QFETCH(bool, throughQt);
        QFETCH(bool, allOptionsOff);
        test::Rig rig;
        Form1& f = rig.loaded();
        // Some history first, so the state is not all start values: the label
        // has moved, the fade has run, the figure has advanced, and one
        // option is off, or all three with the label hidden and Timer5 off.
        rig.advance(1234ms);
        f.times.choose();
        if (allOptionsOff) {
            f.dates.choose();
            f.days.choose();
            QVERIFY(!f.Timer5.enabled());
            QVERIFY(!f.Label1.visible());
        }
        if (startInVantrel) {
            f.vantrel.choose();
            rig.advance(500ms);
        }
        expectEffect(f, startInVantrel ? Effect::Vantrel : Effect::Confettii);

        const Untouched before = Untouched::of(f);
        const int draws = rig.random.draws, reseeds = rig.random.reseeds;
        rt::MenuItem& item = chooseVantrel ? f.vantrel : f.confettii;
        if (throughQt)
            item.action()->trigger();
        else
            item.choose();
        expectEffect(f, chooseVantrel ? Effect::Vantrel : Effect::Confettii);
        QVERIFY(Untouched::of(f) == before);
        QCOMPARE(rig.random.draws, draws);
        QCOMPARE(rig.random.reseeds, reseeds);
        QCOMPARE(rig.ends, 0);
    }

    void vantrelStopsThePaintersAndWipesAtTheNextFadeTick()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        // Timer3 and Timer2 draw and reseed too; without them every number
        // taken belongs to the painters.
        f.Timer2.setEnabled(false);
        f.Timer3.setEnabled(false);
        rig.advance(2s);
        QVERIFY(f.form.surface()->backingBytes() > 0);
        QVERIFY(pixelsOffBackground(*f.form.surface()) > 0);
        const std::int16_t num = f.num, num1 = f.num1;

        f.vantrel.choose();
        // Until Timer4 ticks the squares stay.
        QVERIFY(f.form.surface()->backingBytes() > 0);
        const auto nextFade = f.Timer4.nextDeadline() - rig.clock.steadyNow();
        rig.advance(nextFade);
        QCOMPARE(f.form.surface()->backingBytes(), qsizetype(0));
        QCOMPARE(f.form.backColor(), rt::rgb(f.x, f.y, f.z));
        QCOMPARE(f.form.backColor(), f.Label1.backColor());
        QCOMPARE(pixelsOffBackground(*f.form.surface()), 0);

        // Five seconds on: no number taken, no square drawn, the figure's
        // counters where they stopped; the window follows the fade.
        const int draws = rig.random.draws;
        rig.advance(5s);
        QCOMPARE(rig.random.draws, draws);
        QCOMPARE(f.num, num);
        QCOMPARE(f.num1, num1);
        QCOMPARE(f.form.surface()->backingBytes(), qsizetype(0));
        QCOMPARE(f.form.backColor(), rt::rgb(f.x, f.y, f.z));
    }

    void confettiiResumesOnTheLastFadeColour()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        f.Timer2.setEnabled(false);
        f.Timer3.setEnabled(false);
        // Ten figure ticks: the counters stand at (4, 3).
        rig.advance(2800ms);
        QCOMPARE(f.num1, 4);
        QCOMPARE(f.num, 3);
        f.vantrel.choose();
        rig.advance(3s);
        const rt::Colour last = f.form.backColor();
        QCOMPARE(last, rt::rgb(f.x, f.y, f.z));
        QCOMPARE(f.num1, 4);
        QCOMPARE(f.num, 3);

        f.confettii.choose();
        // The fade runs on, but the window keeps the colour it last got.
        rig.advance(20ms);
        QVERIFY(f.Label1.backColor() != last);
        QCOMPARE(f.form.backColor(), last);

        // The figure picks up at (4, 3): 275 ms after the choice the A's top
        // bar gets a square, and the counters step to (5, 4).
        const int draws = rig.random.draws;
        rig.advance(255ms);
        QCOMPARE(f.num1, 5);
        QCOMPARE(f.num, 4);
        // Nine sprinkled squares (three numbers each) and one figure square (two).
        QCOMPARE(rig.random.draws, draws + 9 * 3 + 2);
        QCOMPARE(f.form.backColor(), last);
        QVERIFY(f.form.surface()->backingBytes() > 0);
        QVERIFY(pixelsOffBackground(*f.form.surface()) > 0);
        // Untouched places still show the last fade colour: sample well below
        // the figure, where at most a few squares can have landed.
        int ground = 0;
        for (int py = 200; py < 440; py += 10)
            for (int px = 0; px < 640; px += 10)
                ground += f.form.surface()->colourAt(QPoint(px, py)) == last;
        QVERIFY2(ground > 1400, qPrintable(QString::number(ground)));
    }

    void marksCannotBeFlippedByQt()
    {
        // Triggering a checked action would flip it in Qt; the program's
        // mark wins and the choice still runs.
        test::Rig rig;
        Form1& f = rig.loaded();
        f.confettii.action()->trigger();
        expectEffect(f, Effect::Confettii);
        f.vantrel.action()->trigger();
        f.vantrel.action()->trigger();
        expectEffect(f, Effect::Vantrel);
        f.confettii.action()->trigger();
        expectEffect(f, Effect::Confettii);
    }

    void optionsMenuLeavesTheEffectAlone()
    {
        test::Rig rig;
        Form1& f = rig.loaded();
        f.vantrel.choose();
        f.dates.choose();
        f.times.choose();
        f.days.choose();
        expectEffect(f, Effect::Vantrel);
        f.days.choose();
        f.confettii.choose();
        expectEffect(f, Effect::Confettii);
        QCOMPARE(f.dates.checked(), false);
        QCOMPARE(f.times.checked(), false);
        QCOMPARE(f.days.checked(), true);
    }
};

QTEST_MAIN(TestEffectMenu)
#include "test_effect_menu.moc"
