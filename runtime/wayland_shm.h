#pragma once
// Shared-memory buffers for Wayland surfaces of our own, made once and used
// again. The compositor reads a buffer it was given until it gives it back:
// a surface drawn at every frame needs one on screen and one to paint, and
// a third while the compositor holds on to the last. A pool never makes
// more; where all of them are held, there is none to paint until one comes
// back.

#include <QImage>
#include <QSize>
#include <cstddef>
#include <memory>
#include <vector>

struct wl_buffer;
struct wl_display;
struct wl_event_queue;
struct wl_shm;

namespace rt {

// A wl_shm buffer and our mapping of its memory: XRGB8888 as QImage's
// RGB32, or ARGB8888 as ARGB32_Premultiplied.
struct ShmBuffer {
    // Null where the memory cannot be had. Its releases come on `queue`.
    static std::unique_ptr<ShmBuffer> make(wl_shm* shm, wl_event_queue* queue, const QSize& pixels, bool opaque = true);
    ~ShmBuffer();

    wl_buffer* buffer = nullptr;
    void* memory = nullptr;
    std::size_t bytes = 0;
    QImage image;
    QSize logicalSize;
    // Given to the compositor, not yet given back.
    bool busy = false;
};

class ShmPool {
public:
    static constexpr std::size_t kMost = 3;

    // The compositor's releases wait on `releases`, looked at only when a
    // buffer is wanted: they wake nobody as they come.
    ShmPool(wl_display* display, wl_shm* shm, wl_event_queue* releases);
    // One of that size the compositor is done with, other than `kept` (to
    // be shown again) and `shown` (the last it was given); buffers of
    // another size go once free. Null where all are held.
    ShmBuffer* take(const QSize& pixels, const ShmBuffer* kept, const ShmBuffer* shown);

private:
    wl_display* display_;
    wl_shm* shm_;
    wl_event_queue* releases_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
};

} // namespace rt
