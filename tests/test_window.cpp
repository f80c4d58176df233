// The main window on the offscreen platform: how it is made, what
// Form_Load leaves, the exit path by key, mouse and close, and the drawing
// surface.

// Mouse presses go through the window, as the window system delivers
// them, so a press lands on whatever widget lies under the pointer.
#define QTEST_QPA_MOUSE_HANDLING

#include "rig.h"

#include "runtime/label_widget.h"
#include "runtime/qt_colour.h"
#include "runtime/surface_widget.h"
#include "runtime/twips.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QtTest>
#include <chrono>

using namespace std::chrono_literals;

namespace {

const QString kTitle = QStringLiteral("Brisora") + QString(4, u' ') + QStringLiteral("by: Eolafie Quenwick") +
                       QString(50, u' ') + QStringLiteral("Click") + QString(2, u' ') + QStringLiteral("Mouse to end");

// Starts the form as the program does and waits for the window to show.
bool started(test::Rig& rig)
{
    rig.form->start();
    return QTest::qWaitForWindowExposed(rig.form->form.widget());
}

QColor shown(const QImage& image, QPoint at)
{
    return image.pixelColor(at);
}

QColor qc(rt::Colour c)
{
    return rt::toQColor(c);
}

// Notes the area of every paint event a widget gets.
class PaintLog final : public QObject {
public:
    explicit PaintLog(QWidget* watched) { watched->installEventFilter(this); }
    QRegion painted;
    int events = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++events;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

void flushPaints()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

Q_DECLARE_METATYPE(Qt::Key)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)
Q_DECLARE_METATYPE(Qt::MouseButton)

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    // As created.
    void titleKeepsEverySpace();
    void menuBarOrderCaptionsAndMarks();
    void choosingItemDoesNotFlipItsMark();
    void timersAsCreated();
    void labelAsCreated();

    // Form_Load and the first frame.
    void formLoadStartValues();
    void formLoadReadsTheClockAndLocale();
    void firstFrameShowsTheTime();

    // Exit path.
    void keysThatEnd_data();
    void keysThatEnd();
    void altLetterOpensMenu();
    void keyCodeAndMouseArguments();
    void mouseButtonsEndOnPress_data();
    void mouseButtonsEndOnPress();
    void pressOnLabelDoesNotEnd();
    void pressOnMenuBarDoesNotEnd();
    void noHandlerAfterExit();
    void closingTheWindowEnds();

    // Drawing surface.
    void boxStaysThroughRepaint();
    void setBackColorWipesEverything();
    void movingLabelUncoversPlainBackground();
    void fillRepaintsOnlyItsBox();
};

void TestWindow::cleanup()
{
    // A menu opened by Alt+letter must not outlive its test.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

void TestWindow::titleKeepsEverySpace()
{
    test::Rig rig;
    const QString title = rig.form->form.widget()->windowTitle();
    QCOMPARE(title, kTitle);
    QCOMPARE(title.size(), 7 + 4 + 20 + 50 + 5 + 2 + 12);
    QCOMPARE(title.indexOf(QString(50, u' ') + QStringLiteral("Click")), 31);
    QVERIFY(!title.contains(QString(51, u' ')));
    // Showing the window does not change it.
    QVERIFY(started(rig));
    QCOMPARE(rig.form->form.widget()->windowTitle(), kTitle);
}

void TestWindow::menuBarOrderCaptionsAndMarks()
{
    test::Rig rig;
    Form1& f = *rig.form;
    const QList<QAction*> top = f.form.widget()->menuBar()->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("&Screen Saver"));
    QCOMPARE(top[1]->text(), QStringLiteral("&Options"));
    QCOMPARE(top[0]->menu(), f.screen.widget());
    QCOMPARE(top[1]->menu(), f.options.widget());

    struct Expected {
        QString text;
        bool checked;
        rt::MenuItem* item;
    };
    const QList<QList<Expected>> items{
        {{"Confettii", true, &f.confettii}, {"Vantrel", false, &f.vantrel}},
        {{"Show Date", true, &f.dates}, {"Show Time", true, &f.times}, {"Show Day", true, &f.days}},
    };
    for (int m = 0; m < 2; ++m) {
        QVERIFY(top[m]->isEnabled());
        QVERIFY(top[m]->isVisible());
        QVERIFY(top[m]->shortcut().isEmpty());
        const QList<QAction*> entries = top[m]->menu()->actions();
        QCOMPARE(entries.size(), items[m].size());
        for (int i = 0; i < entries.size(); ++i) {
            const Expected& e = items[m][i];
            QCOMPARE(entries[i]->text(), e.text);
            QCOMPARE(entries[i], e.item->action());
            QCOMPARE(entries[i]->isChecked(), e.checked);
            QCOMPARE(e.item->checked(), e.checked);
            QVERIFY(entries[i]->isEnabled());
            QVERIFY(entries[i]->isVisible());
            QVERIFY2(entries[i]->shortcut().isEmpty(), qPrintable(e.text));
            QVERIFY(entries[i]->shortcuts().isEmpty());
        }
    }
}

void TestWindow::choosingItemDoesNotFlipItsMark()
{
    test::Rig rig;
    int calls = 0;
    rt::Menu extra(rig.form->form, "&Extra");
    rt::MenuItem on(extra, "On", true, [&] { ++calls; });
    rt::MenuItem off(extra, "Off", false, [&] { ++calls; });
    QVERIFY(on.action()->isCheckable());

    // Chosen through Qt: the handler runs, the marks stay as they were.
    on.action()->trigger();
    off.action()->trigger();
    QCOMPARE(calls, 2);
    QVERIFY(on.checked());
    QVERIFY(on.action()->isChecked());
    QVERIFY(!off.checked());
    QVERIFY(!off.action()->isChecked());

    // The handler sees the mark as it was before the choice.
    bool seen = false;
    rt::MenuItem watched(extra, "Watched", true, [&] { seen = watched.checked() && watched.action()->isChecked(); });
    watched.action()->trigger();
    QVERIFY(seen);

    // A real item: "Vantrel" chosen twice stays checked, since its handler
    // sets the mark rather than toggling it.
    Form1& f = *rig.form;
    f.vantrel.action()->trigger();
    QVERIFY(f.vantrel.checked() && f.vantrel.action()->isChecked());
    QVERIFY(!f.confettii.checked() && !f.confettii.action()->isChecked());
    f.vantrel.action()->trigger();
    QVERIFY(f.vantrel.checked() && f.vantrel.action()->isChecked());
    QVERIFY(!f.confettii.action()->isChecked());

    // Setting the mark from the program shows on the action.
    on.setChecked(false);
    QVERIFY(!on.action()->isChecked());
    QCOMPARE(calls, 2);
}

void TestWindow::timersAsCreated()
{
    test::Rig rig;
    Form1& f = *rig.form;
    const struct {
        rt::Timer* timer;
        double interval;
    } expected[] = {{&f.Timer1, 30}, {&f.Timer2, 1000}, {&f.Timer3, 900},
                    {&f.Timer4, 1}, {&f.Timer5, 9000}, {&f.Timer6, 275}};
    for (const auto& e : expected) {
        QCOMPARE(e.timer->interval(), e.interval);
        QVERIFY(e.timer->enabled());
    }
    QCOMPARE(f.Timer4.period(), rt::TimerHub::kShortestPeriod);
    QCOMPARE(f.Timer1.period(), std::chrono::nanoseconds(30ms));
    // No tick before the first period has run.
    QCOMPARE(f.Timer4.nextDeadline(), rt::TimerHub::kShortestPeriod);
    QCOMPARE(f.Timer5.nextDeadline(), std::chrono::nanoseconds(9s));
}

void TestWindow::labelAsCreated()
{
    test::Rig rig;
    Form1& f = *rig.form;
    QCOMPARE(f.Label1.caption(), std::string("HELLO"));
    QCOMPARE(f.Label1.left(), 2160.0f);
    QCOMPARE(f.Label1.top(), 2280.0f);
    QVERIFY(f.Label1.visible());

    rt::LabelWidget* w = f.Label1.widget();
    QCOMPARE(w->parentWidget(), f.form.surface());
    QCOMPARE(w->pos(), QPoint(144, 152));
    QCOMPARE(w->size(), QSize(337, 81));
    const QFont font = w->font();
    QCOMPARE(font.family(), QStringLiteral("Times New Roman"));
    QCOMPARE(font.pixelSize(), 64);
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.italic());
    QVERIFY(!font.underline());
    QVERIFY(!font.strikeOut());

    QVERIFY(started(rig));
    QVERIFY(w->isVisible());
    QCOMPARE(w->geometry(), QRect(144, 152, 337, 81));
}

void TestWindow::formLoadStartValues()
{
    test::Rig rig;
    Form1& f = rig.loaded();
    QCOMPARE(f.num, std::int16_t(1));
    QCOMPARE(f.num1, std::int16_t(1));
    QCOMPARE(f.hor, std::string("r"));
    QCOMPARE(f.ver, std::string("u"));
    QCOMPARE(f.test, std::int16_t(0));
    QCOMPARE(f.time1, true);
    QCOMPARE(f.date1, true);
    QCOMPARE(f.day1, true);
    QCOMPARE(f.test1, std::int16_t(1));
    QCOMPARE(f.dir, std::int16_t(1));
    QCOMPARE(f.x, std::int16_t(0));
    QCOMPARE(f.y, std::int16_t(0));
    QCOMPARE(f.z, std::int16_t(0));
    QCOMPARE(f.Label1.caption(), std::string("10:20:30"));
    QCOMPARE(f.Label1.widget()->text(), QStringLiteral("10:20:30"));

    // It touches nothing else: timers, marks, label place, random numbers.
    for (rt::Timer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4, &f.Timer5, &f.Timer6})
        QVERIFY(t->enabled());
    QVERIFY(f.confettii.checked() && !f.vantrel.checked());
    QVERIFY(f.dates.checked() && f.times.checked() && f.days.checked());
    QCOMPARE(f.Label1.left(), 2160.0f);
    QCOMPARE(f.Label1.top(), 2280.0f);
    QVERIFY(f.Label1.visible());
    QCOMPARE(rig.random.draws, 0);
    QCOMPARE(rig.random.reseeds, 0);
    QCOMPARE(rig.ends, 0);
}

void TestWindow::formLoadReadsTheClockAndLocale()
{
    // Late on a leap day, in a 12-hour locale, a few seconds after the
    // form was made.
    test::Rig rig(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 51)), QLocale("en_US"));
    rig.clock.advance(7s);
    Form1& f = rig.loaded();
    QCOMPARE(f.Label1.caption(), std::string("11:59:58 PM"));

    test::Rig german(QDateTime(QDate(2026, 12, 7), QTime(7, 5, 9)), QLocale("de_DE"));
    QCOMPARE(german.loaded().Label1.caption(), std::string("07:05:09"));
}

void TestWindow::firstFrameShowsTheTime()
{
    test::Rig rig;
    QVERIFY(started(rig));
    Form1& f = *rig.form;
    QVERIFY(f.form.widget()->isMaximized());
    QCOMPARE(f.Label1.caption(), std::string("10:20:30"));
    QCOMPARE(rig.random.draws, 0);

    const QImage frame = f.form.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    rt::LabelWidget* w = f.Label1.widget();
    const QRect where(w->mapTo(f.form.widget(), QPoint(0, 0)), w->size());
    const QImage onScreen = frame.copy(where);

    // The same label drawn by itself with a given text.
    auto drawn = [&](const QString& text) {
        rt::LabelWidget reference(nullptr);
        reference.setFont(w->font());
        reference.resize(w->size());
        reference.setColours(qc(f.Label1.backColor()), qc(f.Label1.foreColor()));
        reference.setText(text);
        return reference.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage withTime = drawn(QStringLiteral("10:20:30"));
    const QImage withHello = drawn(QStringLiteral("HELLO"));
    QVERIFY(withTime != withHello);
    QVERIFY(onScreen == withTime);
    QVERIFY(onScreen != withHello);
}

void TestWindow::keysThatEnd_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("ends");

    const Qt::KeyboardModifiers none;
    // Texts as the window system gives them with each key.
    QTest::newRow("letter a") << Qt::Key_A << "a" << none << true;
    QTest::newRow("Shift+Z") << Qt::Key_Z << "Z" << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("digit 7") << Qt::Key_7 << "7" << none << true;
    QTest::newRow("space") << Qt::Key_Space << " " << none << true;
    QTest::newRow("Return") << Qt::Key_Return << "\r" << none << true;
    QTest::newRow("keypad Enter") << Qt::Key_Enter << "\r" << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
    QTest::newRow("Tab") << Qt::Key_Tab << "\t" << none << true;
    QTest::newRow("Escape") << Qt::Key_Escape << "\x1b" << none << true;
    QTest::newRow("Backspace") << Qt::Key_Backspace << "\b" << none << true;
    QTest::newRow("Ctrl+A") << Qt::Key_A << "\x01" << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
    QTest::newRow("punctuation") << Qt::Key_Comma << "," << none << true;

    QTest::newRow("Shift alone") << Qt::Key_Shift << "" << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
    QTest::newRow("Control alone") << Qt::Key_Control << "" << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
    QTest::newRow("Alt alone") << Qt::Key_Alt << "" << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    QTest::newRow("Left") << Qt::Key_Left << "" << none << false;
    QTest::newRow("Right") << Qt::Key_Right << "" << none << false;
    QTest::newRow("Up") << Qt::Key_Up << "" << none << false;
    QTest::newRow("Down") << Qt::Key_Down << "" << none << false;
    QTest::newRow("F1") << Qt::Key_F1 << "" << none << false;
    QTest::newRow("Insert") << Qt::Key_Insert << "" << none << false;
    QTest::newRow("Delete") << Qt::Key_Delete << "\x7f" << none << false;
    QTest::newRow("Home") << Qt::Key_Home << "" << none << false;
    QTest::newRow("End") << Qt::Key_End << "" << none << false;
    QTest::newRow("PageUp") << Qt::Key_PageUp << "" << none << false;
    QTest::newRow("PageDown") << Qt::Key_PageDown << "" << none << false;
    QTest::newRow("Alt+S") << Qt::Key_S << "s" << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    QTest::newRow("Alt+O") << Qt::Key_O << "o" << Qt::KeyboardModifiers(Qt::AltModifier) << false;
}

void TestWindow::keysThatEnd()
{
    QFETCH(Qt::Key, key);
    QFETCH(QString, text);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, ends);

    test::Rig rig;
    QVERIFY(started(rig));
    rt::Window& form = rig.form->form;
    QTest::sendKeyEvent(QTest::Press, form.surface(), key, text, modifiers);
    // The end comes at the press.
    QCOMPARE(rig.ends, ends ? 1 : 0);
    QTest::sendKeyEvent(QTest::Release, form.surface(), key, text, modifiers);
    QCOMPARE(rig.ends, ends ? 1 : 0);
    QCOMPARE(form.unloaded(), ends);
    QCOMPARE(rig.timers.stopped(), ends);
    QCOMPARE(form.widget()->isVisible(), !ends);
}

void TestWindow::altLetterOpensMenu()
{
    test::Rig rig;
    QVERIFY(started(rig));
    Form1& f = *rig.form;
    f.form.widget()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.widget()));
    QTest::keyClick(f.form.surface(), Qt::Key_S, Qt::AltModifier);
    QCOMPARE(QApplication::activePopupWidget(), f.screen.widget());
    QApplication::activePopupWidget()->close();
    QTest::keyClick(f.form.surface(), Qt::Key_O, Qt::AltModifier);
    QCOMPARE(QApplication::activePopupWidget(), f.options.widget());
    QCOMPARE(rig.ends, 0);
    QVERIFY(!f.form.unloaded());
}

void TestWindow::keyCodeAndMouseArguments()
{
    // What the window passes to the two exit handlers.
    rt::Window window({"Arguments", 5145, 4380});
    std::vector<int> codes;
    window.onKeyPress = [&](std::int16_t& keyAscii) { codes.push_back(keyAscii); };
    struct Press {
        int button, shift;
        float x, y;
    };
    std::vector<Press> presses;
    window.onMouseDown = [&](std::int16_t& button, std::int16_t& shift, float& x, float& y) {
        presses.push_back({button, shift, x, y});
    };
    window.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(window.widget()));

    QTest::sendKeyEvent(QTest::Click, window.surface(), Qt::Key_A, QStringLiteral("a"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, window.surface(), Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, window.surface(), Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    QTest::sendKeyEvent(QTest::Click, window.surface(), Qt::Key_Left, QString(), Qt::NoModifier);
    QCOMPARE(codes, (std::vector<int>{97, 13, 1}));

    QTest::mouseClick(window.surface(), Qt::RightButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseClick(window.surface(), Qt::MiddleButton, Qt::ControlModifier, QPoint(0, 0));
    QTest::mouseClick(window.surface(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
    QCOMPARE(presses.size(), std::size_t(3));
    QCOMPARE(presses[0].button, 2);
    QCOMPARE(presses[0].shift, 1);
    QCOMPARE(presses[0].x, 150.0f);
    QCOMPARE(presses[0].y, 300.0f);
    QCOMPARE(presses[1].button, 4);
    QCOMPARE(presses[1].shift, 2);
    QCOMPARE(presses[2].button, 1);
    QCOMPARE(presses[2].shift, 0);
    QCOMPARE(presses[2].x, 3000.0f);
    QCOMPARE(presses[2].y, 1500.0f);

    // After unloading, nothing more arrives.
    window.unload();
    QVERIFY(window.unloaded());
    QTest::sendKeyEvent(QTest::Click, window.surface(), Qt::Key_B, QStringLiteral("b"), Qt::NoModifier);
    QCOMPARE(codes.size(), std::size_t(3));
}

void TestWindow::mouseButtonsEndOnPress_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("at");
    QTest::newRow("left, top-left corner") << Qt::LeftButton << QPoint(0, 0);
    QTest::newRow("right, beside the label") << Qt::RightButton << QPoint(140, 180);
    QTest::newRow("middle, below the label") << Qt::MiddleButton << QPoint(300, 240);
    QTest::newRow("left, far right") << Qt::LeftButton << QPoint(700, 400);
}

void TestWindow::mouseButtonsEndOnPress()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, at);
    test::Rig rig;
    QVERIFY(started(rig));
    rt::Window& form = rig.form->form;
    QVERIFY(form.surface()->rect().contains(at));
    QTest::mousePress(form.surface(), button, Qt::NoModifier, at);
    QCOMPARE(rig.ends, 1);
    QVERIFY(form.unloaded());
    QVERIFY(!form.widget()->isVisible());
    QTest::mouseRelease(form.surface(), button, Qt::NoModifier, at);
    QCOMPARE(rig.ends, 1);
}

void TestWindow::pressOnLabelDoesNotEnd()
{
    test::Rig rig;
    QVERIFY(started(rig));
    Form1& f = *rig.form;
    const QPoint labelCentre = f.Label1.widget()->geometry().center();

    // On the label itself, and on the surface where the label lies on top.
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(f.Label1.widget(), button, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseClick(f.form.surface(), button, Qt::NoModifier, labelCentre);
    }
    QCOMPARE(rig.ends, 0);
    QVERIFY(!f.form.unloaded());

    // Hidden, the label takes no presses: the window gets this one.
    f.Label1.setVisible(false);
    QTest::mousePress(f.form.surface(), Qt::LeftButton, Qt::NoModifier, labelCentre);
    QCOMPARE(rig.ends, 1);
    QVERIFY(f.form.unloaded());
    QTest::mouseRelease(f.form.surface(), Qt::LeftButton, Qt::NoModifier, labelCentre);
}

void TestWindow::pressOnMenuBarDoesNotEnd()
{
    test::Rig rig;
    QVERIFY(started(rig));
    QMenuBar* bar = rig.form->form.widget()->menuBar();
    // Empty part of the menu bar, right of the two menus.
    const QPoint empty(bar->width() - 5, bar->height() / 2);
    QVERIFY(bar->actionAt(empty) == nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, empty);
    QTest::mouseClick(bar, Qt::RightButton, Qt::NoModifier, empty);
    QCOMPARE(rig.ends, 0);
    QVERIFY(!rig.form->form.unloaded());
}

void TestWindow::noHandlerAfterExit()
{
    test::Rig rig;
    QVERIFY(started(rig));
    Form1& f = *rig.form;
    rig.advance(500ms);
    // The label has been moving.
    QVERIFY(f.Label1.left() > 2160.0f);
    QVERIFY(rig.random.draws > 0);

    // Ticks already due when the key goes down.
    rig.clock.advance(100ms);
    QTest::sendKeyEvent(QTest::Press, f.form.surface(), Qt::Key_Q, QStringLiteral("q"), Qt::NoModifier);
    QCOMPARE(rig.ends, 1);
    const float left = f.Label1.left();
    const float top = f.Label1.top();
    const std::string caption = f.Label1.caption();
    const rt::Colour back = f.Label1.backColor();
    const int draws = rig.random.draws;
    const int reseeds = rig.random.reseeds;

    rig.timers.deliverDue();
    rig.advance(20s);
    QCOMPARE(f.Label1.left(), left);
    QCOMPARE(f.Label1.top(), top);
    QCOMPARE(f.Label1.caption(), caption);
    QCOMPARE(f.Label1.backColor(), back);
    QCOMPARE(rig.random.draws, draws);
    QCOMPARE(rig.random.reseeds, reseeds);
    // Nor do more keys or presses run the exit path again.
    QTest::sendKeyEvent(QTest::Click, f.form.surface(), Qt::Key_W, QStringLiteral("w"), Qt::NoModifier);
    QCOMPARE(rig.ends, 1);
}

void TestWindow::closingTheWindowEnds()
{
    test::Rig rig;
    QVERIFY(started(rig));
    Form1& f = *rig.form;
    rig.advance(100ms);
    QVERIFY(f.form.widget()->close());
    QCOMPARE(rig.ends, 1);
    QVERIFY(f.form.unloaded());
    QVERIFY(rig.timers.stopped());
    const float left = f.Label1.left();
    rig.advance(5s);
    QCOMPARE(f.Label1.left(), left);
    // Closing again changes nothing.
    f.form.widget()->close();
    QCOMPARE(rig.ends, 1);
}

void TestWindow::boxStaysThroughRepaint()
{
    test::Rig rig;
    QVERIFY(started(rig));
    rt::Window& form = rig.form->form;
    rt::SurfaceWidget* surface = form.surface();
    const QColor back = qc(form.backColor());
    // 10 x 10 pixels at (20, 30), away from the label; corners given
    // bottom-right first.
    form.fillBox(450, 600, 300, 450, rt::rgb(255, 0, 0));
    QImage image = surface->grab().toImage();
    QCOMPARE(shown(image, QPoint(20, 30)), QColor(Qt::red));
    QCOMPARE(shown(image, QPoint(29, 39)), QColor(Qt::red));
    QCOMPARE(shown(image, QPoint(19, 30)), back);
    QCOMPARE(shown(image, QPoint(30, 39)), back);
    QCOMPARE(shown(image, QPoint(29, 40)), back);
    QCOMPARE(surface->colourAt(QPoint(25, 35)), rt::rgb(255, 0, 0));

    surface->repaint();
    flushPaints();
    image = surface->grab().toImage();
    QCOMPARE(shown(image, QPoint(25, 35)), QColor(Qt::red));
    // And in the whole window's picture.
    const QImage frame = form.widget()->grab().toImage();
    QCOMPARE(shown(frame, surface->mapTo(form.widget(), QPoint(25, 35))), QColor(Qt::red));
}

void TestWindow::setBackColorWipesEverything()
{
    test::Rig rig;
    QVERIFY(started(rig));
    rt::Window& form = rig.form->form;
    rt::SurfaceWidget* surface = form.surface();
    const QList<QPoint> spots{{20, 30}, {600, 40}, {100, 400}, {700, 450}};
    for (const QPoint& p : spots)
        form.fillBox(p.x() * 15, p.y() * 15, p.x() * 15 + 150, p.y() * 15 + 150, rt::rgb(0, 255, 0));
    QVERIFY(surface->backingBytes() > 0);
    QCOMPARE(surface->colourAt(spots[3] + QPoint(5, 5)), rt::rgb(0, 255, 0));

    const rt::Colour blue = rt::rgb(0, 0, 255);
    form.setBackColor(blue);
    QCOMPARE(form.backColor(), blue);
    QCOMPARE(surface->backingBytes(), qsizetype(0));
    flushPaints();
    const QImage image = surface->grab().toImage();
    for (const QPoint& p : spots) {
        QCOMPARE(surface->colourAt(p + QPoint(5, 5)), blue);
        QCOMPARE(shown(image, p + QPoint(5, 5)), QColor(Qt::blue));
    }
    QCOMPARE(shown(image, QPoint(surface->width() - 1, surface->height() - 1)), QColor(Qt::blue));

    // The same colour again with boxes drawn since: wiped all the same.
    form.fillBox(300, 450, 450, 600, rt::rgb(255, 0, 0));
    form.setBackColor(blue);
    QCOMPARE(surface->colourAt(QPoint(25, 35)), blue);
    QCOMPARE(shown(surface->grab().toImage(), QPoint(25, 35)), QColor(Qt::blue));
    QCOMPARE(surface->backingBytes(), qsizetype(0));
}

void TestWindow::movingLabelUncoversPlainBackground()
{
    test::Rig rig;
    QVERIFY(started(rig));
    Form1& f = *rig.form;
    rt::SurfaceWidget* surface = f.form.surface();
    const rt::Colour white = rt::rgb(255, 255, 255);
    f.form.setBackColor(white);
    f.Label1.setBackColor(rt::rgb(0, 0, 128));
    // A red box under and around the label (100..600, 100..300 pixels),
    // and a green one well away from it.
    f.form.fillBox(1500, 1500, 9000, 4500, rt::rgb(255, 0, 0));
    f.form.fillBox(150, 6000, 300, 6150, rt::rgb(0, 255, 0));
    flushPaints();

    // 50 pixels right and 5 up.
    f.Label1.setLeft(f.Label1.left() + 750);
    f.Label1.setTop(f.Label1.top() - 75);
    QCOMPARE(f.Label1.widget()->pos(), QPoint(194, 147));
    flushPaints();
    const QImage image = surface->grab().toImage();

    // Where the label was and is no longer: plain background.
    for (const QPoint p : {QPoint(150, 160), QPoint(193, 231), QPoint(300, 230), QPoint(480, 230)}) {
        QCOMPARE(surface->colourAt(p), white);
        QCOMPARE(shown(image, p), QColor(Qt::white));
    }
    // The box outside the label's old place is still there.
    for (const QPoint p : {QPoint(120, 120), QPoint(143, 200), QPoint(590, 290), QPoint(300, 250)}) {
        QCOMPARE(surface->colourAt(p), rt::rgb(255, 0, 0));
        QCOMPARE(shown(image, p), QColor(Qt::red));
    }
    QCOMPARE(surface->colourAt(QPoint(15, 405)), rt::rgb(0, 255, 0));
    QCOMPARE(shown(image, QPoint(15, 405)), QColor(Qt::green));
    // The label shows at its new place.
    QCOMPARE(shown(image, QPoint(520, 150)), QColor(0, 0, 128));
}

void TestWindow::fillRepaintsOnlyItsBox()
{
    test::Rig rig;
    QVERIFY(started(rig));
    rt::Window& form = rig.form->form;
    rt::SurfaceWidget* surface = form.surface();
    flushPaints();
    PaintLog log(surface);

    // 10 x 10 pixels at the top-left corner.
    form.fillBox(0, 0, 150, 150, rt::rgb(255, 255, 0));
    QTRY_VERIFY(log.events > 0);
    flushPaints();
    QVERIFY2(QRect(0, 0, 10, 10).contains(log.painted.boundingRect()),
             qPrintable(QStringLiteral("painted %1,%2 %3x%4")
                            .arg(log.painted.boundingRect().x())
                            .arg(log.painted.boundingRect().y())
                            .arg(log.painted.boundingRect().width())
                            .arg(log.painted.boundingRect().height())));
    // The box is kept in a copy no bigger than what was drawn on.
    const qreal ratio = surface->devicePixelRatioF();
    QVERIFY(surface->backingBytes() > 0);
    QVERIFY(surface->backingBytes() <= qsizetype(10 * 10 * 4 * ratio * ratio));

    // A second box elsewhere repaints only there.
    log.painted = QRegion();
    log.events = 0;
    form.fillBox(9000, 6000, 9150, 6150, rt::rgb(255, 0, 255));
    QTRY_VERIFY(log.events > 0);
    flushPaints();
    QVERIFY(QRect(600, 400, 10, 10).contains(log.painted.boundingRect()));
    QCOMPARE(shown(surface->grab().toImage(), QPoint(605, 405)), QColor(Qt::magenta));

    // Setting the background releases the copy.
    form.setBackColor(rt::rgb(0, 0, 0));
    QCOMPARE(surface->backingBytes(), qsizetype(0));
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
