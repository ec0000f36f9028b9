#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "core/explorer/LinuxAppFinder.h"
#include "tests/explorer/ScanTestSupport.h"

namespace korvane::testing {

// A Linux home with the places where a user installs applications without
// the administrator, and a system Flatpak installation beside it.
struct LinuxHome {
    explicit LinuxHome(TempTree& tree)
        : tree(tree),
          home(tree.folder("home")),
          system(tree.folder("system-flatpak")),
          packaged(tree.folder("usr-share-applications")) {}

    LinuxAppFinder::Places places() const {
        return {{home + "/Applications", home + "/.local/bin", home + "/Apps"},
                home + "/.local/share/applications",
                home + "/.local/share/flatpak",
                system,
                {packaged}};
    }

    std::string appImage(const std::string& relative, std::int64_t bytes = 64 * 1024) {
        std::string path = allocate(tree, "home/" + relative, bytes);
        ::chmod(path.c_str(), 0755);
        return path;
    }
    std::string desktopEntry(const std::string& fileName, const std::string& body) {
        return tree.text("home/.local/share/applications/" + fileName,
                         "[Desktop Entry]\nType=Application\n" + body);
    }

    // A deployed Flatpak application the way flatpak lays it out: the
    // deployment in a commit folder, reached by "current" and "active" links.
    // `root` is "home/.local/share/flatpak" or "system-flatpak".
    std::string flatpak(const std::string& root, const std::string& id, const std::string& name,
                        const std::string& version = {}, std::int64_t bytes = 128 * 1024) {
        const std::string app = root + "/app/" + id;
        const std::string deploy = app + "/x86_64/stable/0f1e2d3c";
        tree.text(deploy + "/metadata", "[Application]\nname=" + id + "\nruntime=org.freedesktop.Platform\n");
        allocate(tree, deploy + "/files/bin/" + id, bytes);
        if (!name.empty())
            tree.text(deploy + "/export/share/applications/" + id + ".desktop",
                      "[Desktop Entry]\nName=" + name + "\nExec=/usr/bin/flatpak run " + id + "\nIcon=" + id +
                          "\n");
        tree.text(deploy + "/export/share/icons/hicolor/128x128/apps/" + id + ".png", "png");
        tree.text(deploy + "/export/share/icons/hicolor/scalable/apps/" + id + ".svg", "<svg/>");
        if (!version.empty())
            tree.text(deploy + "/files/share/metainfo/" + id + ".metainfo.xml",
                      "<?xml version=\"1.0\"?>\n<component>\n  <releases>\n    <release version=\"" +
                          version +
                          "\" date=\"2024-01-01\"/>\n    <release version=\"0.1\"/>\n  "
                          "</releases>\n</component>\n");
        tree.symlink(app + "/current", "x86_64/stable");
        tree.symlink(app + "/x86_64/stable/active", "0f1e2d3c");
        return tree.path(app);
    }

    std::string leftover(const std::string& relative, std::int64_t bytes = 16 * 1024) {
        allocate(tree, "home/" + relative + "/data", bytes);
        return tree.path("home/" + relative);
    }

    TempTree& tree;
    std::string home;
    std::string system;
    std::string packaged;  // the desktop entries of packaged applications
};

}  // namespace korvane::testing
