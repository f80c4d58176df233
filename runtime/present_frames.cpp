// X11: the X server's vblanks for the window, from the Present extension. A
// NotifyMSC request asks for the vblank at a given count; its CompleteNotify
// event comes then. They go on a connection of the program's own, read on
// the main thread as its socket wakes it: on Qt's, each vblank would wake
// Qt's event reading thread first and then the main thread from it. The
// window system's fill of the surface goes on it too.

#include "runtime/window_frames.h"
#include "runtime/x11_fill.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <xcb/present.h>
#include <xcb/xcb.h>
// Last: its macros would rename Qt's words.
#include <X11/Xlib.h>

namespace rt {

namespace {

class PresentFrames final : public WindowFrames {
public:
    PresentFrames(QWindow& window, xcb_connection_t* connection, std::uint8_t opcode)
        : WindowFrames(window),
          connection_(connection),
          xid_(static_cast<xcb_window_t>(window.winId())),
          opcode_(opcode),
          readable_(xcb_get_file_descriptor(connection), QSocketNotifier::Read)
    {
        xcb_present_select_input(connection_, xcb_generate_id(connection_), xid_, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        // Whether the window is covered whole, where the server tells (it
        // does not where a compositor redirects windows). Each client asks
        // for the events it wants: Qt's ask is untouched.
        const std::uint32_t visibility = XCB_EVENT_MASK_VISIBILITY_CHANGE;
        xcb_change_window_attributes(connection_, xid_, XCB_CW_EVENT_MASK, &visibility);
        xcb_flush(connection_);
        QObject::connect(&readable_, &QSocketNotifier::activated, &readable_, [this] { read(); });
        // A flush, this one's or the fill's, takes in what the server has
        // sent meanwhile, and the socket then looks quiet to the notifier:
        // that is read before the event loop next sleeps. Else a vblank
        // taken in while the timer stood in for stalled frames would stay
        // unread, and the timer with it.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &readable_,
                         [this] { drain(xcb_poll_for_queued_event); });
    }

    ~PresentFrames() override { xcb_disconnect(connection_); }

    bool serves() const override { return !lost_ && WindowFrames::serves(); }

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

    std::unique_ptr<WindowFill> fill(QWidget& surface) override { return x11Fill(connection_, xid_, surface); }

private:
    void read()
    {
        drain(xcb_poll_for_event);
        if (xcb_connection_has_error(connection_) && !lost_)
            lose();
    }

    // The connection broke. Where the server is gone Qt tells on its own
    // connection and ends the program. Where only this one was closed, the
    // program goes on as on a server without Present: paced by the timer,
    // painted by Qt (the fill gives up on its own), seen while exposed.
    void lose()
    {
        lost_ = true;
        readable_.setEnabled(false);
        xcb_connection_t* qt = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
        if (!xcb_connection_has_error(qt))
            std::fprintf(stderr, "brisora: the X server closed the connection the vblanks came on; a timer paces the frames\n");
        setVisible(true);
        changed();
    }

    // Each event `next` gives, until none: from the socket or only from
    // what xcb has taken in already.
    void drain(xcb_generic_event_t* (*next)(xcb_connection_t*))
    {
        while (xcb_generic_event_t* event = next(connection_)) {
            handle(event);
            std::free(event);
        }
    }

    void handle(const xcb_generic_event_t* message)
    {
        const auto* visibility = reinterpret_cast<const xcb_visibility_notify_event_t*>(message);
        if ((visibility->response_type & 0x7f) == XCB_VISIBILITY_NOTIFY && visibility->window == xid_)
            setVisible(visibility->state != XCB_VISIBILITY_FULLY_OBSCURED);
        const auto* event = reinterpret_cast<const xcb_present_complete_notify_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC || event->extension != opcode_ ||
            event->event_type != XCB_PRESENT_COMPLETE_NOTIFY || event->window != xid_)
            return;
        // Other clients may ask for our window's vblanks too; the answer to
        // an earlier request of ours is stale.
        if (event->kind != XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC || event->serial != serial_ || !serves())
            return;
        const int frames = lastMsc_ && event->msc > lastMsc_ ? static_cast<int>(std::min<std::uint64_t>(event->msc - lastMsc_, 1000)) : 1;
        lastMsc_ = event->msc;
        telling_ = true;
        if (onFrame)
            onFrame(frames);
        telling_ = false;
        xcb_flush(connection_);
    }

    xcb_connection_t* connection_;
    xcb_window_t xid_;
    std::uint8_t opcode_;
    QSocketNotifier readable_;
    std::uint32_t serial_ = 0;
    std::uint64_t lastMsc_ = 0;
    bool telling_ = false;
    bool lost_ = false;
};

} // namespace

std::unique_ptr<WindowFrames> presentFrames(QWindow& window)
{
    // The display Qt opened, by its name (it may have been told one with
    // -display): a window of the same id on DISPLAY's would be another
    // client's. Where Qt tells no name, DISPLAY's, and the window must be
    // there.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = xcb_connect(x11 && x11->display() ? XDisplayString(x11->display()) : nullptr, nullptr);
    const xcb_query_extension_reply_t* present = xcb_connection_has_error(connection) ? nullptr : xcb_get_extension_data(connection, &xcb_present_id);
    auto* attributes = present && present->present ? xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, static_cast<xcb_window_t>(window.winId())), nullptr) : nullptr;
    const bool there = attributes != nullptr;
    std::free(attributes);
    if (!there) {
        xcb_disconnect(connection);
        return nullptr;
    }
    // Version 1.0 has all this asks for; the query is the handshake.
    std::free(xcb_present_query_version_reply(connection, xcb_present_query_version(connection, 1, 0), nullptr));
    return std::make_unique<PresentFrames>(window, connection, present->major_opcode);
}

} // namespace rt
