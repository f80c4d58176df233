// X11: the X server's vblanks for the window, from the Present extension,
// on Qt's own connection to the server. A NotifyMSC request asks for the
// vblank at a given count; its CompleteNotify event comes then.

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

class PresentFrames final : public WindowFrames, private QAbstractNativeEventFilter {
public:
    PresentFrames(QWindow& window, xcb_connection_t* connection, std::uint8_t opcode)
        : WindowFrames(window), connection_(connection), xid_(static_cast<xcb_window_t>(window.winId())), opcode_(opcode)
    {
        xcb_present_select_input(connection_, xcb_generate_id(connection_), xid_, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        // Whether the window is covered whole, where the server tells (it
        // does not where a compositor redirects windows); added to the
        // events Qt asks for.
        if (auto* attributes = xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, xid_), nullptr)) {
            const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
            xcb_change_window_attributes(connection_, xid_, XCB_CW_EVENT_MASK, &mask);
            std::free(attributes);
        }
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~PresentFrames() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    void request(int frames) override
    {
        if (!serves())
            return;
        // The count given, or the next vblank if the server is past it
        // already (divisor 1): a late request never gets a vblank gone by.
        // With no vblank told yet, the next one.
        ++serial_;
        xcb_present_notify_msc(connection_, xid_, serial_, lastMsc_ ? lastMsc_ + std::uint64_t(frames) : 0, 1, 0);
        // Asked while a frame is told, it goes out with the frame's paint,
        // or at the latest as Qt ends the round of X events.
        if (!telling_)
            xcb_flush(connection_);
    }

    std::unique_ptr<WindowFill> fill(QWidget& surface) override { return x11Fill(connection_, xid_, surface); }

private:
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
        if ((visibility->response_type & 0x7f) == XCB_VISIBILITY_NOTIFY && visibility->window == xid_)
            setVisible(visibility->state != XCB_VISIBILITY_FULLY_OBSCURED);
        const auto* event = static_cast<const xcb_present_complete_notify_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC || event->extension != opcode_ ||
            event->event_type != XCB_PRESENT_COMPLETE_NOTIFY || event->window != xid_)
            return false;
        // Other clients may ask for our window's vblanks too; the answer to
        // an earlier request of ours is stale.
        if (event->kind != XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC || event->serial != serial_ || !serves())
            return true;
        const int frames = lastMsc_ && event->msc > lastMsc_ ? static_cast<int>(std::min<std::uint64_t>(event->msc - lastMsc_, 1000)) : 1;
        lastMsc_ = event->msc;
        telling_ = true;
        if (onFrame)
            onFrame(frames);
        telling_ = false;
        return true;
    }

    xcb_connection_t* connection_;
    xcb_window_t xid_;
    std::uint8_t opcode_;
    std::uint32_t serial_ = 0;
    std::uint64_t lastMsc_ = 0;
    bool telling_ = false;
};

} // namespace

std::unique_ptr<WindowFrames> presentFrames(QWindow& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return nullptr;
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(connection, &xcb_present_id);
    if (!present || !present->present)
        return nullptr;
    // Version 1.0 has all this asks for; the query is the handshake.
    std::free(xcb_present_query_version_reply(connection, xcb_present_query_version(connection, 1, 0), nullptr));
    return std::make_unique<PresentFrames>(window, connection, present->major_opcode);
}

} // namespace rt
