// X11: the window's vblanks from the Present extension, whether anyone can
// see it, and the server's fill of the surface, all on Qt's own connection:
// what the program asks of the server reaches it in order with Qt's
// painting, and its events are read by Qt, none left unread. A NotifyMSC
// request asks for the vblank at a given count; its CompleteNotify event
// comes then.

#include "runtime/window_frames.h"
#include "runtime/x11_fill.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <xcb/present.h>
#include <xcb/xcb.h>

namespace rt {

namespace {

class X11Frames final : public WindowFrames, private QAbstractNativeEventFilter {
public:
    X11Frames(QWindow& window, xcb_connection_t* connection)
        : WindowFrames(window), connection_(connection), xid_(static_cast<xcb_window_t>(window.winId()))
    {
        const xcb_query_extension_reply_t* present = xcb_get_extension_data(connection_, &xcb_present_id);
        if (present && present->present) {
            // Version 1.0 has all this asks for; the query is the handshake.
            std::free(xcb_present_query_version_reply(connection_, xcb_present_query_version(connection_, 1, 0), nullptr));
            opcode_ = present->major_opcode;
            xcb_present_select_input(connection_, xcb_generate_id(connection_), xid_, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        }
        // Whether the window is covered whole, where the server tells (it
        // does not where a compositor redirects windows): added to the
        // events Qt asked for.
        auto* attributes = xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, xid_), nullptr);
        if (attributes) {
            const std::uint32_t events = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
            xcb_change_window_attributes(connection_, xid_, XCB_CW_EVENT_MASK, &events);
            std::free(attributes);
        }
        xcb_flush(connection_);
        // Taken out again by the filter's own destructor.
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    // A server without Present has no vblanks to give: a timer paces.
    bool serves() const override { return opcode_ && WindowFrames::serves(); }

    void request(int frames) override
    {
        if (!serves())
            return;
        // The count given, or the next vblank if the server is past it
        // already (divisor 1): a late request never gets a vblank gone by.
        // With no vblank told yet, the next one.
        ++serial_;
        xcb_present_notify_msc(connection_, xid_, serial_, lastMsc_ ? lastMsc_ + std::uint64_t(frames) : 0, 1, 0);
        // Asked while a frame is told, it goes out with the frame's fill or
        // at its end.
        if (!telling_)
            xcb_flush(connection_);
    }

    // The server's fill wherever the window's pixels allow it, vblanks or not.
    std::unique_ptr<WindowFill> fill(QWidget& surface) override { return x11Fill(connection_, xid_, surface); }

private:
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
        if ((visibility->response_type & 0x7f) == XCB_VISIBILITY_NOTIFY && visibility->window == xid_)
            setVisible(visibility->state != XCB_VISIBILITY_FULLY_OBSCURED);
        const auto* event = static_cast<const xcb_present_complete_notify_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC || !opcode_ || event->extension != opcode_ ||
            event->event_type != XCB_PRESENT_COMPLETE_NOTIFY || event->window != xid_)
            return false;
        // Other clients may ask for our window's vblanks too; the answer to
        // an earlier request of ours is stale.
        if (event->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC && event->serial == serial_ && serves())
            tell(event->msc);
        return true;
    }

    void tell(std::uint64_t msc)
    {
        const int frames = lastMsc_ && msc > lastMsc_ ? static_cast<int>(std::min<std::uint64_t>(msc - lastMsc_, 1000)) : 1;
        lastMsc_ = msc;
        telling_ = true;
        if (onFrame)
            onFrame(frames);
        telling_ = false;
        xcb_flush(connection_);
    }

    xcb_connection_t* connection_;
    xcb_window_t xid_;
    std::uint8_t opcode_ = 0;
    std::uint32_t serial_ = 0;
    std::uint64_t lastMsc_ = 0;
    bool telling_ = false;
};

} // namespace

std::unique_ptr<WindowFrames> x11Frames(QWindow& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    return std::make_unique<X11Frames>(window, x11->connection());
}

} // namespace rt
