#include "runtime/wayland_globals.h"

#include "viewporter-client-protocol.h"

#include <cstring>
#include <initializer_list>
#include <wayland-client.h>

namespace rt {

namespace {

template <typename T>
void bindIfNamed(wl_registry* registry, uint32_t name, const char* interface, const wl_interface& wanted, T*& proxy)
{
    if (!proxy && std::strcmp(interface, wanted.name) == 0)
        proxy = static_cast<T*>(wl_registry_bind(registry, name, &wanted, 1));
}

} // namespace

bool WaylandGlobals::bind(wl_display* display)
{
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    static constexpr wl_registry_listener kListener{
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            auto& g = *static_cast<WaylandGlobals*>(data);
            bindIfNamed(registry, name, interface, wl_subcompositor_interface, g.subcompositor);
            bindIfNamed(registry, name, interface, wp_viewporter_interface, g.viewporter);
            bindIfNamed(registry, name, interface, wl_shm_interface, g.shm);
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(registry, &kListener, this);
    const bool answered = wl_display_roundtrip_queue(display, queue) >= 0;
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    for (void* proxy : {static_cast<void*>(subcompositor), static_cast<void*>(viewporter), static_cast<void*>(shm)}) {
        if (proxy)
            wl_proxy_set_queue(static_cast<wl_proxy*>(proxy), nullptr);
    }
    wl_event_queue_destroy(queue);
    if (answered && subcompositor && viewporter && shm)
        return true;
    release();
    return false;
}

void WaylandGlobals::release()
{
    if (subcompositor)
        wl_subcompositor_destroy(subcompositor);
    if (viewporter)
        wp_viewporter_destroy(viewporter);
    if (shm)
        wl_shm_destroy(shm);
    *this = {};
}

} // namespace rt
