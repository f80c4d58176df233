// The bouncing label: its path and turns, its fading background (and the
// window's in the Vantrel effect), and its text colour.

#include "rig.h"
#include "runtime/label_widget.h"

#include <QPainter>
#include <QStaticText>
#include <cmath>

struct Bounce { float left, top; QString dirs; int ticks; QString to; bool hidden = false; };
struct Fade { int ticks; QString options; rt::Colour colour; };
struct TextColour { rt::Colour back; QList<float> draws; rt::Colour fore; };

class TestLabel : public QObject {
    Q_OBJECT

private slots:
    // From a place ("left,top" and the directions, horizontal then
    // vertical), after some ticks. From the start place the label turns at
    // ticks 31, 32, 93, 105, 154, 179 and 253; a step that lands on a limit
    // turns it, one that stops a twip short does not. The corner it left
    // behind shows the window's plain colour again, not the red drawn there;
    // a hidden label (every option off) covers nothing and uncovers nothing.
    void bounce_data()
    {
        QTest::addColumn<Bounce>("row");
        QTest::newRow("start, tick 31: down") << Bounce{2160, 2280, "ru", 31, "4485,-45 rd plain"};
        QTest::newRow("start, tick 32: left") << Bounce{2160, 2280, "ru", 32, "4560,30 ld plain"};
        QTest::newRow("start, tick 93: right") << Bounce{2160, 2280, "ru", 93, "-15,4605 rd plain"};
        QTest::newRow("start, tick 105: up") << Bounce{2160, 2280, "ru", 105, "885,5505 ru plain"};
        QTest::newRow("start, tick 154: left") << Bounce{2160, 2280, "ru", 154, "4560,1830 lu plain"};
        QTest::newRow("start, tick 179: down") << Bounce{2160, 2280, "ru", 179, "2685,-45 ld plain"};
        QTest::newRow("start, tick 253: up") << Bounce{2160, 2280, "ru", 253, "2835,5505 ru plain"};
        QTest::newRow("top reaches 0") << Bounce{2000, 75, "ru", 1, "2075,0 rd plain"};
        QTest::newRow("top stops at 1") << Bounce{2000, 76, "ru", 1, "2075,1 ru plain"};
        QTest::newRow("top reaches 5500") << Bounce{2000, 5425, "rd", 1, "2075,5500 ru plain"};
        QTest::newRow("top stops at 5499") << Bounce{2000, 5424, "rd", 1, "2075,5499 rd plain"};
        QTest::newRow("left reaches 0") << Bounce{75, 3000, "ld", 1, "0,3075 rd plain"};
        QTest::newRow("left stops at 1") << Bounce{76, 3000, "ld", 1, "1,3075 ld plain"};
        QTest::newRow("left reaches 4500") << Bounce{4425, 3000, "ru", 1, "4500,2925 lu plain"};
        QTest::newRow("left stops at 4499") << Bounce{4424, 3000, "ru", 1, "4499,2925 ru plain"};
        QTest::newRow("hidden label, ticks 1 to 31: the red stays") << Bounce{2160, 2280, "ru", 31, "4485,-45 rd red", true};
    }

    void bounce()
    {
        QFETCH(Bounce, row);
        test::Rig rig;
        Form1& f = *rig.form;
        f.Label1.setLeft(row.left);
        f.Label1.setTop(row.top);
        f.hor = row.dirs.left(1).toStdString();
        f.ver = row.dirs.mid(1).toStdString();
        if (row.hidden)
            rig.keepOnly("");
        const rt::Colour plain = f.form.backColor();
        const QRect before = f.Label1.widget()->geometry();
        const QPoint leftBehind(f.hor == "r" ? before.left() : before.right(), f.ver == "u" ? before.bottom() : before.top());
        f.form.fillBox(0, 0, 9650, 6750, rt::rgb(255, 0, 0));
        QRect last;
        for (int i = 0; i < row.ticks; ++i) {
            last = f.Label1.widget()->geometry();
            f.Timer4_Timer();
        }
        // Also the pixels just behind the label's new place on each axis.
        const QRect now = f.Label1.widget()->geometry();
        QStringList behind;
        for (QPoint p : {leftBehind, QPoint(now.left() > last.left() ? now.left() - 1 : now.right() + 1, now.center().y()),
                         QPoint(now.center().x(), now.top() < last.top() ? now.bottom() + 1 : now.top() - 1)}) {
            const rt::Colour c = rig.shownAt(p);
            behind << (c == plain ? "plain" : c == rt::rgb(255, 0, 0) ? "red" : "other");
        }
        behind.removeDuplicates();
        QCOMPARE(QStringLiteral("%1,%2 %3%4 %5").arg(f.Label1.left()).arg(f.Label1.top()).arg(f.hor.c_str(), f.ver.c_str(), behind.join(' ')),
                 row.to);
    }

    // The fade colour after some ticks, on the label as drawn, hidden or
    // not, and on the whole window while Vantrel is chosen.
    void fade_data()
    {
        QTest::addColumn<Fade>("row");
        QTest::newRow("tick 1") << Fade{1, "", 5};
        QTest::newRow("tick 51: red") << Fade{51, "", 255};
        QTest::newRow("tick 52: green starts") << Fade{52, "", 1535};
        QTest::newRow("tick 102: yellow, in Vantrel") << Fade{102, "Vantrel", 65535};
        QTest::newRow("tick 153: white") << Fade{153, "", 16777215};
        QTest::newRow("tick 154: red falls, label hidden") << Fade{154, "hidden", 16777210};
        QTest::newRow("tick 204: cyan") << Fade{204, "", 16776960};
        QTest::newRow("tick 255: blue, label hidden") << Fade{255, "hidden", 16711680};
        QTest::newRow("tick 306: black, in Vantrel") << Fade{306, "Vantrel", 0};
        QTest::newRow("tick 307: round again") << Fade{307, "", 5};
    }

    void fade()
    {
        QFETCH(Fade, row);
        test::Rig rig;
        Form1& f = *rig.form;
        const rt::Colour grey = f.form.backColor();
        if (row.options == u"Vantrel")
            f.vantrel.choose();
        if (row.options == u"hidden")
            rig.keepOnly("");
        for (int i = 0; i < row.ticks; ++i)
            f.Timer4_Timer();
        QCOMPARE(f.Label1.backColor(), row.colour);
        QCOMPARE(rt::fromQColor(f.Label1.widget()->grab().toImage().pixelColor(1, 1)), row.colour);
        QCOMPARE(rig.shownAt(QPoint(700, 500)), row.options == u"Vantrel" ? row.colour : grey);
    }

    // The label shown after each of some changes of its caption, colours
    // ("caption|fore|back") and pixel ratio, in turn: at the last, pixel for
    // pixel its box with the text drawn straight on it, centred, in the
    // label's font (made smaller where the text would not fit).
    void textDrawn_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<qreal>("lastRatio");
        QTest::newRow("the time, white on black") << QStringList{"10:20:30|16777215|0"} << 1.0;
        QTest::newRow("at scale 2") << QStringList{"10:20:30|16777215|0"} << 2.0;
        QTest::newRow("then a new caption") << QStringList{"10:20:30|255|0", "Wednesday|255|0"} << 1.0;
        QTest::newRow("then a new text colour") << QStringList{"Wednesday|255|0", "Wednesday|65280|0"} << 2.0;
        QTest::newRow("then a new background only") << QStringList{"Wednesday|255|0", "Wednesday|255|16776960"} << 1.0;
        QTest::newRow("scale 1, then 2") << QStringList{"12/7/26|0|255", "12/7/26|0|255"} << 2.0;
        QTest::newRow("too long for the box") << QStringList{"Wednesday 9 December 2026, 10:20:30|16711680|65535"} << 2.0;
    }

    void textDrawn()
    {
        QFETCH(QStringList, shown);
        QFETCH(qreal, lastRatio);
        test::Rig rig;
        rt::Label& label = rig.form->Label1;
        QImage drawn;
        for (int i = 0; i < shown.size(); ++i) {
            const QStringList state = shown[i].split(u'|');
            label.setCaption(state[0].toStdString());
            label.setForeColor(state[1].toInt());
            label.setBackColor(state[2].toInt());
            const qreal ratio = i + 1 == shown.size() ? lastRatio : 1;
            drawn = QImage(label.widget()->size() * ratio, QImage::Format_RGB32);
            drawn.setDevicePixelRatio(ratio);
            label.widget()->render(&drawn);
        }
        QImage expected(drawn.size(), QImage::Format_RGB32);
        expected.setDevicePixelRatio(lastRatio);
        expected.fill(rt::toQColor(label.backColor()));
        const QString caption = rig.caption();
        const QFont font = label.widget()->fontFor(caption);
        QStaticText text(caption);
        text.prepare(QTransform(), font);
        QPainter p(&expected);
        p.setFont(font);
        p.setPen(rt::toQColor(label.foreColor()));
        p.drawStaticText(QPointF(label.widget()->width() - text.size().width(), label.widget()->height() - text.size().height()) / 2, text);
        p.end();
        QCOMPARE(drawn, expected);
    }

    // One text colour tick on a background, with scripted numbers: a pass
    // that gives the background is drawn again, each pass after a reseed
    // from the clock (10:20:30 is 37230 s).
    void textColour_data()
    {
        QTest::addColumn<TextColour>("row");
        const float black = 1 / 16.f, red = 3 / 16.f, blue = 9 / 16.f;
        QTest::newRow("r 0: black") << TextColour{5, {0}, 0};
        QTest::newRow("just below 1/8: black") << TextColour{5, {std::nextafter(0.125f, 0.f)}, 0};
        QTest::newRow("1/8: red") << TextColour{5, {0.125f}, 255};
        QTest::newRow("1/4: green") << TextColour{5, {0.25f}, 65280};
        QTest::newRow("3/8: yellow") << TextColour{5, {0.375f}, 65535};
        QTest::newRow("1/2: blue") << TextColour{5, {0.5f}, 16711680};
        QTest::newRow("5/8: magenta") << TextColour{5, {0.625f}, 16711935};
        QTest::newRow("3/4: cyan") << TextColour{5, {0.75f}, 16776960};
        QTest::newRow("largest below 1: white") << TextColour{5, {test::kLargestBelowOne}, 16777215};
        QTest::newRow("black on black: again") << TextColour{0, {black, red}, 255};
        QTest::newRow("red on red, twice: again") << TextColour{255, {red, red, blue}, 16711680};
        QTest::newRow("on a colour outside the table: once") << TextColour{130, {black}, 0};
    }

    void textColour()
    {
        QFETCH(TextColour, row);
        test::Rig rig;
        rig.form->Label1.setBackColor(row.back);
        rig.random.queued.assign(row.draws.begin(), row.draws.end());
        rig.form->Timer3_Timer();
        QCOMPARE(rig.form->Label1.foreColor(), row.fore);
        QCOMPARE(rig.random.draws, row.draws.size());
        QCOMPARE(rig.random.reseeds, row.draws.size());
        QCOMPARE(rig.random.lastSeed, 37230.0);
    }
};

QTEST_MAIN(TestLabel)
#include "test_label.moc"
