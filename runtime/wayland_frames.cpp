// Wayland: the compositor's frame callbacks, as QWindow::requestUpdate
// follows them. Qt asks for a callback with each buffer it commits and
// delivers the update request when it comes. With none pending (the last
// frame drew nothing) it delivers at once: the next frame is then reckoned
// from the last one by the refresh rate. A window asked for a frame that
// does not come for a second is seen by nobody (on a workspace not shown,
// say, where Qt may still call it exposed) until the frame comes. While the
// program's own surfaces show the window's content (the fill), Qt commits
// nothing and their frame callbacks tell the frames instead.

#include "runtime/wayland_fill.h"
#include "runtime/window_frames.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <chrono>

namespace rt {

namespace {

using std::chrono::steady_clock;

class WaylandFrames final : public WindowFrames, private QObject {
public:
    explicit WaylandFrames(QWindow& window) : WindowFrames(window), margins_(window.frameMargins()), ratio_(window.devicePixelRatio())
    {
        window.installEventFilter(this);
        reckoned_.setSingleShot(true);
        reckoned_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&reckoned_, &QTimer::timeout, this, [this] { frame(last_ + period()); });
        silence_.setSingleShot(true);
        QObject::connect(&silence_, &QTimer::timeout, this, [this] { listen(); });
    }

    ~WaylandFrames() override { window_.removeEventFilter(this); }

    void request(int) override
    {
        if (!serves() || asked_ || reckoned_.isActive())
            return;
        asked_ = true;
        askedAt_ = steady_clock::now();
        ask();
        if (!silence_.isActive())
            silence_.start(kSilence);
    }

    std::unique_ptr<WindowFill> fill(QWidget& surface) override
    {
        auto overlay = WaylandOverlay::create(window_);
        if (!overlay)
            return nullptr;
        auto fill = std::make_unique<WaylandFill>(std::move(overlay), surface);
        fill_ = fill.get();
        fill->onGone = [this] { fill_ = nullptr; };
        // A frame asked for the other way is asked for again.
        fill->onShows = [this] {
            if (asked_)
                ask();
        };
        fill->overlay().onFrame = [this] {
            if (asked_ && filled())
                told(steady_clock::now());
        };
        return fill;
    }

private:
    bool filled() const { return fill_ && fill_->shows(); }

    void ask()
    {
        if (!filled()) {
            window_.requestUpdate();
            return;
        }
        // The fill's next frame callback, after the frame now being made
        // has committed; if it commits nothing, the next frame is reckoned.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (asked_ && filled() && !fill_->overlay().framePending()) {
                    asked_ = false;
                    reckon(steady_clock::now());
                }
            },
            Qt::QueuedConnection);
    }

    void reckon(steady_clock::time_point now)
    {
        reckoned_.start(std::chrono::ceil<std::chrono::milliseconds>(std::max(last_ + period() - now, steady_clock::duration(0))));
    }

    void told(steady_clock::time_point now)
    {
        asked_ = false;
        setVisible(true);
        frame(now);
    }

    static constexpr std::chrono::milliseconds kSilence{1000};

    // Checked once a second, not at every frame.
    void listen()
    {
        if (!asked_)
            return;
        const auto waited = steady_clock::now() - askedAt_;
        if (waited >= kSilence)
            setVisible(false);
        else
            silence_.start(std::chrono::ceil<std::chrono::milliseconds>(kSilence - waited));
    }

    void exposedAgain() override { setVisible(true); }

    steady_clock::duration period() const
    {
        const double rate = refreshRate() > 0 ? refreshRate() : 60;
        return std::chrono::duration_cast<steady_clock::duration>(std::chrono::duration<double>(1 / rate));
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        // While the fill shows the window, Qt's update requests are Qt's.
        if (event->type() != QEvent::UpdateRequest || !asked_ || filled())
            return false;
        const auto now = steady_clock::now();
        const bool atOnce = now - askedAt_ < period() / 4 && now - last_ < period() / 2;
        if (atOnce) {
            asked_ = false;
            setVisible(true);
            reckon(now);
        } else {
            told(now);
        }
        // Qt's own update requests repaint the whole window; so does a
        // decoration or pixel ratio that changed, as Qt asked for then.
        const bool redraw = window_.frameMargins() != margins_ || window_.devicePixelRatio() != ratio_;
        margins_ = window_.frameMargins();
        ratio_ = window_.devicePixelRatio();
        return !redraw;
    }

    void frame(steady_clock::time_point at)
    {
        last_ = at;
        if (serves() && onFrame)
            onFrame(1);
    }

    bool asked_ = false;
    steady_clock::time_point askedAt_;
    steady_clock::time_point last_;
    QTimer reckoned_;
    QTimer silence_;
    WaylandFill* fill_ = nullptr;
    QMargins margins_;
    qreal ratio_;
};

} // namespace

std::unique_ptr<WindowFrames> waylandFrames(QWindow& window)
{
    return std::make_unique<WaylandFrames>(window);
}

} // namespace rt
