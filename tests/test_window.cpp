// The window as the user meets it: what it shows at start, which timers
// drive what, and which input ends the program.

// Mouse presses go through the window, as the window system delivers them,
// so a press lands on whatever widget lies under the pointer.
#define QTEST_QPA_MOUSE_HANDLING

#include "rig.h"
#include "runtime/label_widget.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <set>

struct Drive { int timer; double period; QString changes; };
struct Input {
    Qt::Key key = Qt::Key_unknown;
    QString text = {}, where = {};
    Qt::KeyboardModifiers modifiers = {};
    QPoint at = {};
    Qt::MouseButton button = Qt::NoButton;
    bool ends;
};

namespace {

// Calls back at each paint of the widgets it watches.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            onPaint_();
        return false;
    }

private:
    std::function<void()> onPaint_;
};

// What the timers' handlers leave behind, by name.
QStringList traces(const test::Rig& rig)
{
    const Form1& f = *rig.form;
    return QStringLiteral("left %1|back %2|fore %3|caption %4|figure %5|draws %6|reseeds %7").arg(f.Label1.left())
        .arg(f.Label1.backColor()).arg(f.Label1.foreColor()).arg(rig.caption()).arg(f.num1).arg(rig.random.draws)
        .arg(rig.random.reseeds).split(u'|');
}

// All the state that lasts between events, by name.
QStringList state(const test::Rig& rig)
{
    const Form1& f = *rig.form;
    QStringList seen{QStringLiteral("label %1,%2 back %3 fore %4 \"%5\" shown %6 window %7").arg(f.Label1.left()).arg(f.Label1.top())
                         .arg(f.Label1.backColor()).arg(f.Label1.foreColor()).arg(rig.caption()).arg(f.Label1.visible()).arg(f.form.backColor()),
                     QStringLiteral("num %1 num1 %2 hor %3 ver %4 test %5 flags %6 test1 %7 dir %8 x %9 y %10 z %11").arg(f.num).arg(f.num1)
                         .arg(f.hor.c_str(), f.ver.c_str()).arg(f.test).arg(test::bits({f.date1, f.time1, f.day1})).arg(f.test1).arg(f.dir)
                         .arg(f.x).arg(f.y).arg(f.z)};
    for (const rt::Timer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4, &f.Timer5, &f.Timer6})
        seen << QStringLiteral("%1 next %2").arg(t->enabled() ? "on" : "off").arg(t->nextDeadline().count());
    return seen;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    // The menus, the label and the state as the program starts (the title
    // and the maximised window are the window manager's, seen end to end).
    void atStart_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("shown");
        QTest::newRow("menus") << 0 << "&Screen Saver: Confettii+ | &Screen Saver: Vantrel- | &Options: Show Date+ | "
                                       "&Options: Show Time+ | &Options: Show Day+";
        QTest::newRow("label") << 1 << "\"10:20:30\" at 144,152 337x81, Times New Roman 64 px weight 400";
        QTest::newRow("figure counters, directions") << 2 << "num 1 num1 1 hor r ver u";
    }

    void atStart()
    {
        QFETCH(int, part);
        QFETCH(QString, shown);
        test::Rig rig;
        const Form1& f = *rig.form;
        QStringList menus;
        for (const QAction* menu : f.form.widget()->menuBar()->actions())
            for (const QAction* item : menu->menu()->actions())
                menus << menu->text() + ": " + item->text() + (item->isChecked() ? u'+' : u'-');
        const rt::LabelWidget& w = *f.Label1.widget();
        const QFont drawn = w.fontFor(w.text());
        const QString parts[] = {
            menus.join(" | "),
            QStringLiteral("\"%1\" at %2,%3 %4x%5, %6 %7 px weight %8").arg(w.text()).arg(w.x()).arg(w.y()).arg(w.width())
                .arg(w.height()).arg(drawn.family()).arg(drawn.pixelSize()).arg(drawn.weight()),
            QStringLiteral("num %1 num1 %2 hor %3 ver %4").arg(f.num).arg(f.num1).arg(f.hor.c_str(), f.ver.c_str())};
        QCOMPARE(parts[part], shown);
    }

    // The window's colour at start, on a light and on a dark desktop: where
    // nothing has been drawn yet, and where the label stood and has left.
    void startColour_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no preference") << false << "239 239 239, left behind 239 239 239";
        QTest::newRow("dark") << true << "48 48 48, left behind 48 48 48";
    }

    void startColour()
    {
        QFETCH(bool, dark);
        QFETCH(QString, shown);
        test::Rig rig;
        rig.desktop.dark = dark;
        rig.form = std::make_unique<Form1>(rig.services);
        rig.form->start();
        QVERIFY(QTest::qWaitForWindowExposed(rig.form->form.widget()));
        rig.advance(100ms);
        const auto rgb = [&](QPoint at) {
            const rt::Colour c = rig.shownAt(at);
            return QStringLiteral("%1 %2 %3").arg(rt::redOf(c)).arg(rt::greenOf(c)).arg(rt::blueOf(c));
        };
        QCOMPARE(rgb({630, 440}) + ", left behind " + rgb({145, 230}), shown);
    }

    // Each timer alone: nothing just before its first period ends, its
    // handler's traces right at it.
    void timersDriveTheirHandlers_data()
    {
        QTest::addColumn<Drive>("row");
        QTest::newRow("Timer1: a square") << Drive{1, 30.0, "draws reseeds"};
        QTest::newRow("Timer2: the time again") << Drive{2, 1000.0, "caption reseeds"};
        QTest::newRow("Timer3: the text colour") << Drive{3, 900.0, "fore draws reseeds"};
        QTest::newRow("Timer4: a step, held at 64 a second") << Drive{4, 15.625, "left back"};
        QTest::newRow("Timer5: the next caption") << Drive{5, 9000.0, "caption"};
        QTest::newRow("Timer6: a figure square") << Drive{6, 275.0, "figure draws"};
    }

    void timersDriveTheirHandlers()
    {
        QFETCH(Drive, row);
        test::Rig rig;
        Form1& f = *rig.form;
        rt::Timer* timers[] = {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4, &f.Timer5, &f.Timer6};
        for (int i = 0; i < 6; ++i)
            timers[i]->setEnabled(i + 1 == row.timer);
        rig.random.queued = {0.5f, 0.5f, 0.5f};
        const QStringList before = traces(rig);
        rig.advance(std::chrono::nanoseconds(std::llround(row.period * 1e6)) - 1ms);
        QCOMPARE(traces(rig), before);
        rig.advance(1ms);
        QStringList changed;
        for (int i = 0; i < before.size(); ++i)
            if (traces(rig)[i] != before[i])
                changed << before[i].section(u' ', 0, 0);
        QCOMPARE(changed.join(u' '), row.changes);
    }

    // A second on a 60 Hz display, after the first frames: the handlers
    // change the window between frames (confetti, text colours, captions),
    // yet it is painted only on frames, at most once each.
    void paintsOnFrames_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("painted");
        QTest::newRow("Confettii: the label steps each frame") << "" << "frames 60 painted 60 between 0";
        QTest::newRow("Vantrel") << "Vantrel" << "frames 60 painted 60 between 0";
        // Squares come due between frames and are drawn there.
        QTest::newRow("48 frames a second from a screen that claims 60") << "48 Hz" << "frames 48 painted 48 between 0";
        // Squares every 30 ms (in 34 frames); figure squares at 275 and
        // 550 ms in two of them, none at 825 (the letter L's third stroke).
        QTest::newRow("every option off: only frames after new squares") << "hidden" << "frames 60 painted 34 between 0";
    }

    void paintsOnFrames()
    {
        QFETCH(QString, options);
        QFETCH(QString, painted);
        test::Rig rig;
        test::Display display(rig.clock, rig.timers, options == u"48 Hz" ? 48 : 60, 60);
        if (options == u"Vantrel")
            rig.form->vantrel.choose();
        if (options == u"hidden")
            rig.keepOnly("");
        display.run(50ms);
        std::set<std::chrono::nanoseconds> frames, paints;
        display.beforeFrame = [&] { frames.insert(rig.clock.steadyNow()); };
        PaintWatch watch([&] { paints.insert(rig.clock.steadyNow()); });
        for (QWidget* w : {static_cast<QWidget*>(rig.form->form.surface()), static_cast<QWidget*>(rig.form->Label1.widget())})
            w->installEventFilter(&watch);
        display.run(1s);
        std::vector<std::chrono::nanoseconds> between;
        std::set_difference(paints.begin(), paints.end(), frames.begin(), frames.end(), std::back_inserter(between));
        QCOMPARE(QStringLiteral("frames %1 painted %2 between %3").arg(frames.size()).arg(paints.size() - between.size()).arg(between.size()),
                 painted);
    }

    // The same stretch twice from one start and one seed: on a window shown
    // all along, and on one hidden for it (as minimised), which sleeps but
    // for a wake a second and catches up tick by tick, each at its deadline.
    // Shown again, both are in the same state: the label, the window, the
    // window-level state, every timer's phase and the stored squares.
    void hiddenWindow_data()
    {
        QTest::addColumn<QString>("effect");
        QTest::addColumn<int>("hiddenMs");
        QTest::newRow("for one tick") << "Confettii" << 16;
        QTest::newRow("for an hour") << "Confettii" << 3'600'000;
        QTest::newRow("for a rotation and a half, in Vantrel") << "Vantrel" << 13'500;
    }

    void hiddenWindow()
    {
        QFETCH(QString, effect);
        QFETCH(int, hiddenMs);
        test::Rig shown, hidden;
        QMainWindow& frame = *hidden.form->form.widget();
        for (test::Rig* rig : {&shown, &hidden}) {
            if (effect == u"Vantrel")
                rig->form->vantrel.choose();
            rig->advance(1s);
        }
        frame.hide();
        QTRY_VERIFY(!hidden.form->form.seen());
        for (test::Rig* rig : {&shown, &hidden})
            rig->advance(std::chrono::milliseconds(hiddenMs));
        frame.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(state(hidden), state(shown));
        QCOMPARE(frame.grab().toImage(), shown.form->form.widget()->grab().toImage());
        for (test::Rig* rig : {&shown, &hidden})
            rig->form->Label1.widget()->hide();
        QCOMPARE(hidden.form->form.surface()->grab().toImage(), shown.form->form.surface()->grab().toImage());
    }

    // A key or a press goes down with ticks already due: the end comes at
    // once, and after it no handler runs, those ticks neither. Presses land
    // on the surface at a pixel, on the label shown or hidden, or the window
    // manager closes the window.
    void inputsThatEnd_data()
    {
        QTest::addColumn<Input>("row");
        QTest::newRow("a") << Input{.key = Qt::Key_A, .text = "a", .ends = true};
        QTest::newRow("space") << Input{.key = Qt::Key_Space, .text = " ", .ends = true};
        QTest::newRow("Return") << Input{.key = Qt::Key_Return, .text = "\r", .ends = true};
        QTest::newRow("Tab") << Input{.key = Qt::Key_Tab, .text = "\t", .ends = true};
        QTest::newRow("Escape") << Input{.key = Qt::Key_Escape, .text = "\x1b", .ends = true};
        QTest::newRow("Backspace") << Input{.key = Qt::Key_Backspace, .text = "\b", .ends = true};
        QTest::newRow("Ctrl+C") << Input{.key = Qt::Key_C, .text = "\x03", .modifiers = Qt::ControlModifier, .ends = true};
        QTest::newRow("Shift alone") << Input{.key = Qt::Key_Shift, .modifiers = Qt::ShiftModifier, .ends = false};
        QTest::newRow("Left") << Input{.key = Qt::Key_Left, .ends = false};
        QTest::newRow("Delete") << Input{.key = Qt::Key_Delete, .text = "\x7f", .ends = false};
        QTest::newRow("Alt+S, the menu's") << Input{.key = Qt::Key_S, .text = "s", .modifiers = Qt::AltModifier, .ends = false};
        QTest::newRow("right button beside the label") << Input{.where = "surface", .at = {140, 180}, .button = Qt::RightButton, .ends = true};
        QTest::newRow("middle button far right") << Input{.where = "surface", .at = {700, 400}, .button = Qt::MiddleButton, .ends = true};
        QTest::newRow("right button on the label") << Input{.where = "label", .button = Qt::RightButton, .ends = false};
        QTest::newRow("middle button on the label") << Input{.where = "label", .button = Qt::MiddleButton, .ends = false};
        QTest::newRow("right button where the hidden label stands") << Input{.where = "hidden label", .button = Qt::RightButton, .ends = true};
        QTest::newRow("closed by the window manager") << Input{.where = "close", .ends = true};
    }

    void inputsThatEnd()
    {
        QFETCH(Input, row);
        test::Rig rig;
        rt::SurfaceWidget* surface = rig.form->form.surface();
        const QPoint at = row.where == u"surface" ? row.at : rig.form->Label1.widget()->geometry().center();
        if (row.where == u"hidden label")
            rig.keepOnly("");
        rig.clock.advance(100ms);
        if (row.where.isEmpty())
            QTest::sendKeyEvent(QTest::Press, surface, row.key, row.text, row.modifiers);
        else if (row.where == u"close")
            rig.form->form.widget()->close();
        else
            QTest::mousePress(surface, row.button, {}, at);
        QCOMPARE(rig.ends, int(row.ends));
        rig.advance(1s);
        QCOMPARE(rig.form->Label1.left() == 2160.0f, row.ends);
        QCOMPARE(rig.form->form.widget()->isVisible(), !row.ends);
        QCOMPARE(rig.ends, int(row.ends));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
