// Counts from outside how often an X window is painted in each of the X
// server's vblank intervals: the vblanks from the Present extension, the
// paints from the DAMAGE extension on the window. Both arrive on one
// connection in the order the server made them, so each paint falls into
// the right interval. The vblanks are asked for on the root window, so that
// the program's own Present requests are not disturbed; a vblank the server
// tells the program of comes along too, and whichever comes first marks
// the interval's start (Xvfb times each request's vblank on its own, up to
// a millisecond apart). One flush of the program draws several rectangles
// at once, the server takes them one by one, and a loaded one may be
// preempted between them (a whole-window fill, then the label's text, up to
// 10 ms apart with four busy loops on two cores): rectangles less than 12 ms
// apart count as one paint. Two frames' paints are further apart than that
// even where a timer at 64 Hz paints in place of the vblanks (15.6 ms).
//
//   vblank_paints WINDOW SECONDS
//
// Prints one line: vblanks, paints, intervals with no, one and more paints,
// and the share with exactly one.

#include <xcb/damage.h>
#include <xcb/present.h>
#include <xcb/xcb.h>

#include <chrono>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T* reply)
{
    return Reply<T>(reply, &std::free);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vblank_paints WINDOW SECONDS\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::stoul(argv[1], nullptr, 0));
    const auto seconds = std::chrono::duration<double>(std::stod(argv[2]));

    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr),
                                                                                  &xcb_disconnect);
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "vblank_paints: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(c, &xcb_present_id);
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
    if (!present || !present->present || !damage || !damage->present) {
        std::fprintf(stderr, "vblank_paints: the server lacks Present or DAMAGE\n");
        return 1;
    }
    own(xcb_present_query_version_reply(c, xcb_present_query_version(c, 1, 0), nullptr));
    own(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));

    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    for (xcb_window_t w : {root, window})
        xcb_present_select_input(c, xcb_generate_id(c), w, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    xcb_present_notify_msc(c, root, 0, 0, 1, 0);
    const xcb_void_cookie_t created = xcb_damage_create_checked(c, xcb_generate_id(c), window,
                                                                XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    if (auto error = own(xcb_request_check(c, created))) {
        std::fprintf(stderr, "vblank_paints: no window 0x%x\n", window);
        return 1;
    }

    // Paints per interval, from the first whole interval on.
    std::map<int, int> intervals;
    int vblanks = 0, paints = 0, inInterval = 0, unseen = 0;
    std::uint64_t lastMsc = 0, asked = 0;
    bool anyDamage = false;
    xcb_timestamp_t lastDamage = 0;
    const auto end = std::chrono::steady_clock::now() + seconds;
    while (std::chrono::steady_clock::now() < end) {
        auto event = own(xcb_wait_for_event(c));
        if (!event)
            break;
        const int type = event->response_type & 0x7f;
        if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            const auto* d = reinterpret_cast<const xcb_damage_notify_event_t*>(event.get());
            if (!anyDamage || d->timestamp - lastDamage >= 12) {
                ++inInterval;
                ++paints;
            }
            anyDamage = true;
            lastDamage = d->timestamp;
        } else if (type == XCB_GE_GENERIC) {
            const auto* p = reinterpret_cast<const xcb_present_complete_notify_event_t*>(event.get());
            if (p->extension != present->major_opcode || p->event_type != XCB_PRESENT_COMPLETE_NOTIFY ||
                p->kind != XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC || (vblanks > 0 && p->msc <= lastMsc))
                continue;
            // An interval that spans a vblank this program missed is left out.
            if (vblanks++ > 0 && p->msc == lastMsc + 1)
                ++intervals[inInterval > 2 ? 2 : inInterval];
            else if (vblanks > 1)
                ++unseen;
            lastMsc = p->msc;
            inInterval = 0;
            // A paint never spans a vblank.
            anyDamage = false;
            // Asked a few vblanks ahead, so that the server tells each one at
            // its time, however late this program reads.
            for (asked = std::max(asked, p->msc); asked < p->msc + 2;)
                xcb_present_notify_msc(c, root, 0, ++asked, 0, 0);
            xcb_flush(c);
        }
    }
    const int counted = intervals[0] + intervals[1] + intervals[2];
    std::printf("vblanks %d paints %d unseen %d intervals with 0/1/2+ paints %d %d %d one %.1f%%\n", vblanks, paints,
                unseen, intervals[0], intervals[1], intervals[2], counted ? 100.0 * intervals[1] / counted : 0.0);
    return 0;
}
