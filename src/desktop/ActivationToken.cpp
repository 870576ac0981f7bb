#include "desktop/ActivationToken.h"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstring>

#include "xdg-activation-v1-client-protocol.h"

namespace tarnwick {

namespace {

// Everything asked of the compositor goes through a queue of our own, so
// that Qt's own event handling never sees our objects' events.
struct Request {
    xdg_activation_v1* activation = nullptr;
    QString token;
    bool done = false;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t /*version*/) {
    auto* request = static_cast<Request*>(data);
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        request->activation = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{global, globalRemove};

void tokenDone(void* data, xdg_activation_token_v1* /*token*/, const char* token) {
    auto* request = static_cast<Request*>(data);
    request->token = QString::fromUtf8(token);
    request->done = true;
}

const xdg_activation_token_v1_listener tokenListener{tokenDone};

} // namespace

QString activationToken() {
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return {};
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QWindow* window = QGuiApplication::focusWindow();
    if (!native || !window)
        return {};
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* seat = static_cast<wl_seat*>(native->nativeResourceForIntegration("wl_seat"));
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
    // The serial of the key or button that Qt received last: the one that
    // ran the command.
    const auto serial = uint32_t(quintptr(native->nativeResourceForIntegration("serial")));
    if (!display || !seat || !surface)
        return {};
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    wl_registry* registry = wl_display_get_registry(wrapped);
    Request request;
    wl_registry_add_listener(registry, &registryListener, &request);
    wl_display_roundtrip_queue(display, queue);
    if (request.activation) {
        xdg_activation_token_v1* token = xdg_activation_v1_get_activation_token(request.activation);
        xdg_activation_token_v1_add_listener(token, &tokenListener, &request);
        if (serial != 0)
            xdg_activation_token_v1_set_serial(token, serial, seat);
        xdg_activation_token_v1_set_surface(token, surface);
        xdg_activation_token_v1_commit(token);
        // The compositor answers at once; a lost connection ends the wait.
        while (!request.done && wl_display_roundtrip_queue(display, queue) >= 0) {
        }
        xdg_activation_token_v1_destroy(token);
        xdg_activation_v1_destroy(request.activation);
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    wl_event_queue_destroy(queue);
    return request.token;
}

} // namespace tarnwick
