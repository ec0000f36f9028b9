#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

// A home whose Trash holds files that every walk must pass by, beside a
// folder that only looks like a Trash and is walked like any other.
struct TrashScene {
    const char* name;
    const char* dataHome;      // $XDG_DATA_HOME below the tree's root; none: unset
    const char* dataHomeLink;  // when set, `dataHome` is a link to this folder
    const char* trash;         // the Trash folder, below the tree's root
    const char* lookalike;     // walked as usual
};

inline void PrintTo(const TrashScene& scene, std::ostream* out) { *out << scene.name; }

inline std::string currentUserTrashName() { return ".Trash-" + std::to_string(::geteuid()); }

inline const std::vector<TrashScene>& trashScenes() {
    static const std::vector<TrashScene> scenes = {
        {"HomeTrash", nullptr, nullptr, "home/.local/share/Trash", "home/docs/Trash"},
        {"DataHomeTrash", "home/data", nullptr, "home/data/Trash", "home/.local/share/Trash"},
        {"DataHomeThroughALink", "home/linked", "home/real", "home/real/Trash", "home/other/Trash"},
        {"DotTrashAnywhere", nullptr, nullptr, "home/projects/.Trash", nullptr},
        {"VolumeTrashNameBelowTheTop", nullptr, nullptr, "home/.local/share/Trash", "home/docs/.Trash-1000"},
    };
    return scenes;
}

// The scene built in a temporary tree, with HOME and XDG_DATA_HOME pointing
// into it while it lives. Each Trash and look-alike holds a 1 MiB file (and a
// project marker), so that any walk that enters one shows it; a project lies
// beside the Trash.
class BuiltTrashScene {
public:
    explicit BuiltTrashScene(const TrashScene& scene)
        : home_(tree.folder("home")),
          data_("XDG_DATA_HOME",
                scene.dataHome ? std::optional<std::string>(tree.path(scene.dataHome)) : std::nullopt) {
        Paths::setHomeForTesting(home_);
        if (scene.dataHomeLink) {
            tree.folder(scene.dataHomeLink);
            tree.symlink(scene.dataHome, tree.path(scene.dataHomeLink));
        }
        trash = tree.folder(scene.trash);
        tree.file(std::string(scene.trash) + "/files/thrown.bin", 1 << 20);
        tree.text(std::string(scene.trash) + "/files/thrown-project/package.json", "{}");
        tree.text(std::string(scene.trash) + "/info/thrown.bin.trashinfo", "[Trash Info]\nPath=/x\n");
        if (scene.lookalike) {
            lookalike = tree.folder(scene.lookalike);
            tree.file(std::string(scene.lookalike) + "/kept.bin", 1 << 20);
            tree.text(std::string(scene.lookalike) + "/kept-project/package.json", "{}");
        }
        tree.file("home/docs/report.bin", 1 << 20);
        // A project beside the Trash, which a walk from there finds.
        beside = tree.text(Paths::parent(std::string(scene.trash)) + "/beside/package.json", "{}");
    }
    ~BuiltTrashScene() { Paths::setHomeForTesting(std::nullopt); }
    BuiltTrashScene(const BuiltTrashScene&) = delete;
    BuiltTrashScene& operator=(const BuiltTrashScene&) = delete;

    TempTree tree;
    std::string trash;
    std::string lookalike;  // empty when the scene has none
    std::string beside;     // a file beside the Trash

private:
    std::string home_;
    ScopedEnv data_;
};

}  // namespace korvane::testing
