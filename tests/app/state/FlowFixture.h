#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/state/AppState.h"
#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "tests/app/fakes/FakeClock.h"
#include "tests/app/fakes/FakeDesktop.h"
#include "tests/app/fakes/FakeNotifier.h"
#include "tests/app/fakes/FakeSettings.h"
#include "tests/app/state/AppStateHarness.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

// A state over a temporary home: HOME points at it (so the freedesktop Trash
// lives inside it), history and settings are its own, external tools are
// looked for only in its ~/.local/bin, and developer scans run the scanners
// `scanners_` makes (none unless a test sets it).
class FlowFixture : public ::testing::Test {
protected:
    FlowFixture() : home_(tree_.folder("home")), env_("HOME", home_), xdg_("XDG_DATA_HOME", std::nullopt) {
        Paths::reset();
        Shell::setSearchDirectoriesForTesting(std::vector<std::string>{home_ + "/.local/bin"});
        Shell::clearResolutionCache();
        clock_.moment = std::chrono::system_clock::now();
    }
    ~FlowFixture() override {
        state_.reset();
        Shell::setSearchDirectoriesForTesting(std::nullopt);
        Shell::clearResolutionCache();
        Paths::reset();
    }

    // Starts the state (again) with these launch arguments.
    AppState& launch(std::vector<std::string> arguments = {}) {
        state_.reset();
        state_ = std::make_unique<AppState>(AppState::Services{
            .defaults = settings_,
            .clock = clock_,
            .notifier = notifier_,
            .home = home_,
            .historyDirectory = tree_.folder("history"),
            .statsReader = nullptr,
            .makeScannerEngine =
                [this](const ScanSettings& settings) {
                    return std::make_unique<ScannerEngine>(
                        settings, scanners_ ? scanners_() : ScannerEngine::Scanners{});
                },
            .arguments = std::move(arguments),
            .desktop = &desktop_,
            .makeCleanupEngine = makeCleanupEngine_,
            .makeUninstaller = makeUninstaller_,
        });
        return *state_;
    }
    AppState& state() { return *state_; }

    // Lets events run for a while, whatever happens.
    static void settle(double seconds) {
        waitUntil([] { return false; }, seconds);
    }

    std::string at(const std::string& relative) const { return home_ + "/" + relative; }

    TempTree tree_;
    std::string home_;
    ScopedEnv env_;
    ScopedEnv xdg_;
    FakeSettings settings_;
    FakeClock clock_;
    FakeNotifier notifier_;
    FakeDesktop desktop_;
    std::function<std::unique_ptr<CleanupEngine>()> makeCleanupEngine_;
    std::function<ScannerEngine::Scanners()> scanners_;
    std::function<std::unique_ptr<AppUninstaller>()> makeUninstaller_;
    std::unique_ptr<AppState> state_;
};

}  // namespace korvane::testing
