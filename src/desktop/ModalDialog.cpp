#include "desktop/ModalDialog.h"

#include <QDialog>
#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstring>

#include "gtk-shell-client-protocol.h"

namespace tarnwick {

namespace {

void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t /*version*/) {
    if (std::strcmp(interface, gtk_shell1_interface.name) == 0)
        *static_cast<gtk_shell1**>(data) =
            static_cast<gtk_shell1*>(wl_registry_bind(registry, name, &gtk_shell1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{global, globalRemove};

} // namespace

void showModal(QDialog& dialog) {
    // Shown first: the window's Wayland surface and role exist from here,
    // and its first frame waits for the compositor's answer. Modal before
    // it shows: exec() makes no dialog modal that is already visible.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (QGuiApplication::platformName() != QLatin1String("wayland") || !native ||
        !dialog.windowHandle())
        return;
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* surface =
        static_cast<wl_surface*>(native->nativeResourceForWindow("surface", dialog.windowHandle()));
    if (!display || !surface)
        return;
    // A queue of our own keeps Qt's event handling away from our objects.
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    wl_registry* registry = wl_display_get_registry(wrapped);
    gtk_shell1* shell = nullptr;
    wl_registry_add_listener(registry, &registryListener, &shell);
    wl_display_roundtrip_queue(display, queue);
    if (shell) {
        gtk_surface1* gtkSurface = gtk_shell1_get_gtk_surface(shell, surface);
        gtk_surface1_set_modal(gtkSurface);
        wl_display_roundtrip_queue(display, queue);
        // The first version has no request that ends it: the compositor
        // forgets it with the surface.
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(gtkSurface));
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell));
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    wl_event_queue_destroy(queue);
}

} // namespace tarnwick
