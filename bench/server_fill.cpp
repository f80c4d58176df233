// The least X client that has the X server paint a whole screen once a
// vblank: one override-redirect window the size of the screen that, at each
// of the server's vblanks (Present's CompleteNotify for a NotifyMSC on the
// window), takes a new colour and has the server fill it. No Qt, no image
// sent: what is left is the server's own cost of a full-screen frame, set
// beside Vantrel's, which also changes every pixel each frame.
//
//   server_fill
//
// Runs until killed or the display goes.

#include <xcb/present.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int main()
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr),
                                                                                  &xcb_disconnect);
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "server_fill: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(c, &xcb_present_id);
    if (!present || !present->present) {
        std::fprintf(stderr, "server_fill: the server lacks Present\n");
        return 1;
    }
    std::free(xcb_present_query_version_reply(c, xcb_present_query_version(c, 1, 0), nullptr));

    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    // No background: the server paints nothing of its own on map.
    const std::uint32_t attributes[] = {XCB_BACK_PIXMAP_NONE, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, screen->width_in_pixels,
                      screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, attributes);
    // Named, so that a script finds it.
    const char name[] = "server fill";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, std::strlen(name),
                        name);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, window, 0, nullptr);
    xcb_map_window(c, window);
    xcb_present_select_input(c, xcb_generate_id(c), window, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    xcb_present_notify_msc(c, window, 0, 0, 1, 0);
    xcb_flush(c);

    const xcb_rectangle_t whole = {0, 0, screen->width_in_pixels, screen->height_in_pixels};
    std::uint32_t colour = 0;
    while (auto* event = xcb_wait_for_event(c)) {
        const auto* p = reinterpret_cast<const xcb_present_complete_notify_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC && p->extension == present->major_opcode &&
            p->event_type == XCB_PRESENT_COMPLETE_NOTIFY && p->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC) {
            // A new colour in each channel at every frame, as a fade has.
            colour = (colour + 0x030507) & 0xffffff;
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            xcb_poly_fill_rectangle(c, window, gc, 1, &whole);
            xcb_present_notify_msc(c, window, 0, p->msc + 1, 0, 0);
            xcb_flush(c);
        }
        std::free(event);
    }
    return 0;
}
