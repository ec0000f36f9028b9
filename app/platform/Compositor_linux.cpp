#include "app/platform/Compositor_linux.h"

#include <cstdlib>
#include <memory>
#include <string>

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace korvane {

namespace {

const Compositor* injected = nullptr;

bool x11ScreenIsComposited(xcb_connection_t* connection) {
    int screen = 0;
    // The screen the display name points at; ":0" is screen 0.
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
    std::free(host);
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
                              nullptr),
        &std::free);
    // With only_if_exists set, no atom means no manager ever claimed it.
    if (!atom || atom->atom == XCB_ATOM_NONE) return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace

bool DesktopCompositor::isComposited() const {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland"))) return true;
    if (platform != QLatin1String("xcb")) return false;
    const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return false;
    return x11ScreenIsComposited(x11->connection());
}

const Compositor& Compositor::current() {
    static const DesktopCompositor desktop;
    return injected != nullptr ? *injected : desktop;
}

void Compositor::setCurrent(const Compositor* compositor) { injected = compositor; }

}  // namespace korvane
