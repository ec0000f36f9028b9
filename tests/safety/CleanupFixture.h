#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupCandidate.h"
#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "core/model/UUID.h"
#include "core/platform/Trash_linux.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

// A fake home in a temporary folder: HOME points at it, the Trash lives
// inside it, and tools are found only in its ~/.local/bin.
class CleanupFixture : public ::testing::Test {
protected:
    CleanupFixture() : home_(tree_.folder("home")), env_("HOME", home_), xdg_("XDG_DATA_HOME", std::nullopt) {
        Paths::reset();
        Shell::setSearchDirectoriesForTesting(std::vector<std::string>{home_ + "/.local/bin"});
        Shell::clearResolutionCache();
        trashRoot_ = home_ + "/.local/share/Trash";
        trash_ = std::make_shared<FreedesktopTrash>(trashRoot_, home_);
    }
    ~CleanupFixture() override {
        Shell::setSearchDirectoriesForTesting(std::nullopt);
        Shell::clearResolutionCache();
        Paths::reset();
    }

    const std::string& home() const { return home_; }
    std::string at(const std::string& relative) const { return home_ + "/" + relative; }

    static CleanupCandidate candidate(const std::string& path, std::int64_t size,
                                      SafetyLevel safety = SafetyLevel::safe,
                                      const std::string& ruleID = "general.userChoice",
                                      RemovalKind removal = RemovalKind::path()) {
        return CleanupCandidate(UUID::random(), CleanupCategory::node, ruleID, "Group", "Item " + path, path,
                                size, safety, "reason", std::nullopt, std::nullopt, {}, std::move(removal));
    }
    static CleanupCandidate command(ExternalTool tool, std::vector<std::string> arguments,
                                    std::int64_t size = 100) {
        return candidate("/dev/null", size, SafetyLevel::safe, "docker.prune",
                         RemovalKind::command(tool, std::move(arguments)));
    }

    // A tool in ~/.local/bin that logs its arguments and then runs `body`.
    std::string tool(const std::string& name, const std::string& body = "exit 0") {
        std::string path = tree_.text("home/.local/bin/" + name, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" +
                                                                     toolLog() + "'\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string toolLog() const { return tree_.path("tool.log"); }
    std::string loggedCommands() const { return readFile(toolLog()); }

    TempTree tree_;
    std::string home_;
    ScopedEnv env_;
    ScopedEnv xdg_;
    std::string trashRoot_;
    std::shared_ptr<FreedesktopTrash> trash_;
};

}  // namespace korvane::testing
