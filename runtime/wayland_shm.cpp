#include "runtime/wayland_shm.h"

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace rt {

std::unique_ptr<ShmBuffer> ShmBuffer::make(wl_shm* shm, wl_event_queue* queue, const QSize& pixels, bool opaque)
{
    const int stride = pixels.width() * 4;
    const std::size_t bytes = std::size_t(stride) * std::size_t(pixels.height());
    const int fd = memfd_create("brisora-overlay", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void* memory = ftruncate(fd, off_t(bytes)) == 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    auto made = std::make_unique<ShmBuffer>();
    made->memory = memory;
    made->bytes = bytes;
    made->image = QImage(static_cast<uchar*>(memory), pixels.width(), pixels.height(), stride,
                         opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(bytes));
    made->buffer = wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(), stride,
                                             opaque ? WL_SHM_FORMAT_XRGB8888 : WL_SHM_FORMAT_ARGB8888);
    // The buffer keeps the pool's memory; neither the pool nor the file is
    // needed again.
    wl_shm_pool_destroy(pool);
    close(fd);
    static constexpr wl_buffer_listener kReleased{[](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }};
    wl_buffer_add_listener(made->buffer, &kReleased, made.get());
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(made->buffer), queue);
    return made;
}

ShmBuffer::~ShmBuffer()
{
    wl_buffer_destroy(buffer);
    munmap(memory, bytes);
}

ShmPool::ShmPool(wl_display* display, wl_shm* shm, wl_event_queue* releases)
    : display_(display), shm_(shm), releases_(releases)
{
}

ShmBuffer* ShmPool::take(const QSize& pixels, const ShmBuffer* kept, const ShmBuffer* shown)
{
    wl_display_dispatch_queue_pending(display_, releases_);
    const auto free = [&](const auto& b) { return !b->busy && b.get() != kept && b.get() != shown; };
    std::erase_if(buffers_, [&](const auto& b) { return b->image.size() != pixels && free(b); });
    const auto found = std::find_if(buffers_.begin(), buffers_.end(), [&](const auto& b) { return b->image.size() == pixels && free(b); });
    if (found != buffers_.end())
        return found->get();
    if (buffers_.size() >= kMost)
        return nullptr;
    auto made = ShmBuffer::make(shm_, releases_, pixels);
    if (!made)
        return nullptr;
    buffers_.push_back(std::move(made));
    return buffers_.back().get();
}

} // namespace rt
