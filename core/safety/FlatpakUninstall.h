#pragma once

#include <string>
#include <string_view>

#include "core/model/Categories.h"

namespace korvane {

// The one command the cleanup runs for a Flatpak application:
// `flatpak uninstall --noninteractive --user|--system <id>`. Built here and
// recognised here, so that what the uninstaller stages and what the cleanup
// engine agrees to run cannot drift apart.
class FlatpakUninstall {
public:
    FlatpakUninstall() = delete;

    enum class Installation { user, system };

    // Flatpak's own rule for an application id: at most 255 bytes, at least
    // three dot-separated parts, each non-empty, of ASCII letters, digits,
    // "_" and "-", none beginning with a digit or "-" (so an id can never be
    // read as an option).
    static bool isValidApplicationID(std::string_view id);

    // The removal for `id`; an invalid id still gives a removal, which the
    // cleanup engine then refuses.
    static RemovalKind removal(const std::string& id, Installation installation);

    // Whether `removal` is exactly such an uninstall of a valid id.
    static bool isAllowed(const RemovalKind& removal);

    // Whether the installation's "app/<id>" folder still holds a deployment
    // in use ("current/active" with its metadata or files): an application
    // without one is not installed, whatever else is left in the folder.
    static bool isDeployed(const std::string& applicationFolder);
};

}  // namespace korvane
