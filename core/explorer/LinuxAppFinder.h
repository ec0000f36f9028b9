#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/safety/FlatpakUninstall.h"

namespace korvane {

// Finds the applications a Linux user installed without the administrator:
// AppImages in their usual folders, and Flatpak applications of the user's
// and the system's installation. It reads names, versions and icons; it
// measures and removes nothing.
class LinuxAppFinder {
public:
    struct Places {
        std::vector<std::string> appImageFolders;  // listed one level deep
        std::string desktopEntries;                // the user's own desktop entries
        std::string flatpakUser;                   // an installation: "<root>/app/<id>"
        std::string flatpakSystem;
        // Desktop entries of applications installed otherwise (packages, Snap).
        std::vector<std::string> otherDesktopEntries;

        // ~/Applications, ~/.local/bin, ~/Apps; ~/.local/share/applications;
        // ~/.local/share/flatpak and /var/lib/flatpak; the system's
        // application folders.
        static Places standard();
    };

    struct Found {
        enum class Kind { appImage, flatpak };

        Kind kind = Kind::appImage;
        std::string path;  // the AppImage file, or the installation's "app/<id>" folder
        std::string name;
        std::optional<std::string> identifier;  // the Flatpak id, or the desktop entry's file id
        std::optional<std::string> version;
        std::optional<std::string> icon;          // the desktop entry's Icon
        std::optional<std::string> iconFile;      // a file that draws it, when one was found
        std::optional<std::string> desktopEntry;  // the AppImage's own entry, removed with it
        FlatpakUninstall::Installation installation = FlatpakUninstall::Installation::user;

        friend bool operator==(const Found&, const Found&) = default;
    };

    explicit LinuxAppFinder(Places places) : places_(std::move(places)) {}

    const Places& places() const { return places_; }

    // Every AppImage (folder order, then name order), then the user's
    // Flatpaks and the system's (each in id order).
    std::vector<Found> find() const;
    std::vector<Found> appImages() const;
    std::vector<Found> flatpaks(FlatpakUninstall::Installation installation) const;

    // The ids of both Flatpak installations, without reading any application.
    std::vector<std::string> flatpakIDs() const;
    // Whether `id` is installed in the other installation as well.
    bool isInstalledTwice(const std::string& id) const;

    // The names, in lower case, by which applications installed otherwise
    // may keep data: each entry's Name, its file id and its program's file
    // name, from the other entries and from the user's entries that start
    // no AppImage.
    std::set<std::string> otherApplicationNames() const;

private:
    const std::string& root(FlatpakUninstall::Installation installation) const;
    std::vector<std::string> installedIDs(const std::string& root) const;

    Places places_;
};

}  // namespace korvane
