#include "runtime/window.h"

#include "runtime/desktop.h"
#include "runtime/key_text.h"
#include "runtime/surface_widget.h"
#include "runtime/timers.h"
#include "runtime/twips.h"
#include "runtime/window_fill.h"
#include "runtime/window_frames.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWindow>

namespace rt {

namespace {

std::int16_t buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

std::int16_t shiftCode(Qt::KeyboardModifiers modifiers)
{
    return static_cast<std::int16_t>((modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
                                     (modifiers & Qt::AltModifier ? 4 : 0));
}

// The start colour on a dark desktop, for Qt's light grey: dark enough not
// to glare at night, and light enough that every pure colour stands out on
// it. Black and blue squares are the hardest; this grey is within a hair of
// the one whose lesser contrast with the two is the greatest (1.6 : 1 each).
constexpr Colour kDarkStart = rgb(48, 48, 48);

} // namespace

class Window::Frame final : public QMainWindow {
public:
    explicit Frame(Window& owner) : owner_(owner) {}

    void key(QKeyEvent* event)
    {
        const auto character = characterOf(*event);
        if (!character || owner_.unloaded_ || !owner_.onKeyPress) {
            event->ignore();
            return;
        }
        std::int16_t keyAscii = *character;
        owner_.onKeyPress(keyAscii);
    }

    // Follows, from the start, whether anyone can see the window.
    void watchExposure()
    {
        create();
        windowHandle()->installEventFilter(this);
    }

    // Paints what is dirty and flushes it, now.
    void sync()
    {
        syncing_ = true;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(this, &request);
        syncing_ = false;
    }

    // Widgets changed between frames ask Qt for a repaint; it waits for the
    // next sync.
    bool holdRepaints = false;

protected:
    void keyPressEvent(QKeyEvent* event) override { key(event); }

    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest && holdRepaints && !syncing_)
            return true;
        return QMainWindow::event(event);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Runs before Qt paints for the expose.
        if (event->type() == QEvent::Expose) {
            owner_.setExposed(windowHandle()->isExposed());
            if (owner_.fill_)
                owner_.fill_->exposed();
        }
        return QMainWindow::eventFilter(watched, event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        if (!owner_.unloaded_) {
            owner_.unloaded_ = true;
            if (owner_.onClosed)
                owner_.onClosed();
        }
    }

private:
    Window& owner_;
    bool syncing_ = false;
};

Window::Window(const WindowDefinition& def) : frame_(std::make_unique<Frame>(*this)), surface_(new SurfaceWidget)
{
    // Qt moves an opaque child by copying its old pixels to the new place,
    // in the window system too; the label is painted anew at every step
    // (its background fades), so that is two copies of it a frame for
    // nothing. Read once, at the first move.
    if (!qEnvironmentVariableIsSet("QT_NO_FAST_MOVE"))
        qputenv("QT_NO_FAST_MOVE", "1");
    frame_->setWindowTitle(QString::fromStdString(def.caption));
    // The menus belong in the window, with Alt+S and Alt+O, even where the
    // desktop would take the menu bar into a global menu of its own.
    frame_->menuBar()->setNativeMenuBar(false);
    frame_->setCentralWidget(surface_);
    surface_->onKey = [this](QKeyEvent* event) { frame_->key(event); };
    surface_->onMousePress = [this](QMouseEvent* event) {
        if (unloaded_ || !onMouseDown)
            return;
        std::int16_t button = buttonCode(event->button());
        std::int16_t shift = shiftCode(event->modifiers());
        float x = static_cast<float>(pixelsToTwips(event->position().x()));
        float y = static_cast<float>(pixelsToTwips(event->position().y()));
        onMouseDown(button, shift, x, y);
    };
    surface_->resize(twipsToPixels(def.clientWidth), twipsToPixels(def.clientHeight));
    surface_->setFocus();
}

Window::~Window()
{
    // The timers may outlive the window.
    if (paced_) {
        paced_->present = nullptr;
        paced_->followFrames(nullptr);
    }
}

void Window::fillBox(float x1, float y1, float x2, float y2, Colour colour)
{
    surface_->fillBox(twipsBox(x1, y1, x2, y2), colour);
}

void Window::setBackColor(Colour colour)
{
    surface_->setBackColor(colour);
}

Colour Window::backColor() const
{
    return surface_->backColor();
}

void Window::showMaximized(Desktop& desktop)
{
    if (desktop.prefersDark())
        surface_->setBackColor(kDarkStart);
    // The size for when the user restores the window: the client area as
    // defined, below the menu bar.
    frame_->resize(surface_->width(), surface_->height() + frame_->menuBar()->sizeHint().height());
    frame_->watchExposure();
    frames_ = WindowFrames::of(*frame_->windowHandle());
    if (frames_) {
        frames_->onVisibility = [this] { updateSeen(); };
        fill_ = frames_->fill(*surface_);
        surface_->setFill(fill_.get());
    }
    frame_->showMaximized();
    surface_->setFocus();
}

void Window::pace(TimerHub& timers)
{
    paced_ = &timers;
    timers.setSeen(seen_);
    frame_->holdRepaints = true;
    timers.present = [this] { present(); };
    timers.followFrames(frames_.get());
}

void Window::present()
{
    if (fill_)
        fill_->present();
    frame_->sync();
}

void Window::whenSeen(std::function<void()> catchUp)
{
    catchUps_.push_back(std::move(catchUp));
}

void Window::setExposed(bool exposed)
{
    const bool again = exposed && !exposed_;
    exposed_ = exposed;
    if (again && frames_)
        frames_->exposedAgain();
    updateSeen();
}

void Window::updateSeen()
{
    // A window nobody sees (minimised, covered, on another desktop) paints
    // nothing and its timers sleep; once it is seen again the timers catch
    // up to now, then its controls with their state, and it is painted whole.
    const bool seen = exposed_ && (!frames_ || frames_->visible());
    if (seen == seen_)
        return;
    // Caught up while still unseen, so that the label moves once, not at
    // every tick on the way.
    if (paced_)
        paced_->setSeen(seen);
    seen_ = seen;
    if (frames_)
        frames_->setSeen(seen);
    if (seen)
        for (const auto& catchUp : catchUps_)
            catchUp();
    frame_->setUpdatesEnabled(seen);
}

void Window::unload()
{
    unloaded_ = true;
    frame_->close();
}

QMainWindow* Window::widget() const
{
    return frame_.get();
}

} // namespace rt
