#pragma once

// A temporary home folder for scanner tests: HOME and the home override point
// at it, and the tool runner finds tools only in its ~/.local/bin, where tests
// place small scripts standing in for docker, xcrun, node and pnpm.

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/system/FastSizer.h"
#include "core/system/Paths.h"
#include "core/model/ScanSettings.h"
#include "core/system/Shell.h"
#include "core/scanners/ProjectIndex.h"
#include "core/scanners/ScanContext.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

class FakeToolHome {
public:
    FakeToolHome() : env_("HOME", tree.root()) {
        Paths::setHomeForTesting(tree.root());
        bin_ = tree.folder(".local/bin");
        Shell::setSearchDirectoriesForTesting(std::vector<std::string>{bin_});
        Shell::clearResolutionCache();
    }
    ~FakeToolHome() {
        Shell::setSearchDirectoriesForTesting(std::nullopt);
        Shell::clearResolutionCache();
        Paths::setHomeForTesting(std::nullopt);
    }
    FakeToolHome(const FakeToolHome&) = delete;
    FakeToolHome& operator=(const FakeToolHome&) = delete;

    const std::string& root() const { return tree.root(); }
    std::string path(const std::string& relative) const { return tree.path(relative); }

    // A tool that runs `body` under /bin/sh. The runner's PATH holds only the
    // fake bin folder, so bodies name other programs by absolute path.
    std::string tool(const std::string& name, const std::string& body) {
        const auto path = tree.text(".local/bin/" + name, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        Shell::clearResolutionCache();
        return path;
    }
    // A tool that records its arguments (one a line) in `name`.args, prints
    // `output` and exits with `status`.
    std::string printingTool(const std::string& name, const std::string& output, int status = 0) {
        const auto data = tree.text(".local/share/fake-" + name + ".out", output);
        return tool(name, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + argsFile(name) +
                              "'\n/bin/cat '" + data + "'\nexit " + std::to_string(status));
    }
    // The arguments each run of a printing tool received, one a line.
    std::string arguments(const std::string& name) const {
        std::ifstream in(argsFile(name));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // A tool that outlives any short limit.
    std::string hangingTool(const std::string& name) { return tool(name, "exec /bin/sleep 30"); }

    std::unique_ptr<ScanContext> context(
        std::vector<std::string> projectRoots = {}, std::int64_t staleProjectDays = 60,
        std::optional<std::chrono::system_clock::time_point> now = std::nullopt) {
        auto index = std::make_shared<ProjectIndex>(std::move(projectRoots), 5);
        index->build([] { return false; });
        ScanContext::Clock clock;
        if (now) clock = [at = *now] { return at; };
        return std::make_unique<ScanContext>(std::make_shared<FastSizer>(), index,
                                             ScanSettings(5242880, staleProjectDays, {}, {}, {}), clock);
    }

    TempTree tree;

private:
    std::string argsFile(const std::string& name) const {
        return tree.path(".local/share/fake-" + name + ".args");
    }

    ScopedEnv env_;
    // The machine's own cache folder must not leak in.
    ScopedEnv cache_{"XDG_CACHE_HOME", std::nullopt};
    std::string bin_;
};

}  // namespace korvane::testing
