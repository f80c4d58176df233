#pragma once
// The compositor's globals that surfaces of our own need, bound from a
// registry on a queue of our own: one wait for the compositor at start, and
// nothing of Qt's dispatched inside it. Once bound they live on the default
// queue, which Qt reads on the GUI thread, as the objects made from them do.

struct wl_display;
struct wl_shm;
struct wl_subcompositor;
struct wp_viewporter;

namespace rt {

struct WaylandGlobals {
    wl_subcompositor* subcompositor = nullptr;
    wp_viewporter* viewporter = nullptr;
    wl_shm* shm = nullptr;

    // False, with nothing bound, where the compositor did not answer or
    // lacks one of them.
    bool bind(wl_display* display);
    void release();
};

} // namespace rt
