#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimeZone>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/Clock.h"
#include "app/platform/Notifier.h"
#include "app/platform/Settings.h"
#include "app/state/AppState.h"
#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "tests/app/state/FakeDesktop.h"
#include "tests/support/TempTree.h"

namespace korvane::testing {

class MemorySettings final : public Settings {
public:
    std::optional<std::string> value(std::string_view key) const override {
        const auto found = values.find(std::string(key));
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    void setValue(std::string_view key, const std::string& value) override {
        values[std::string(key)] = value;
    }
    void remove(std::string_view key) override { values.erase(std::string(key)); }

    std::map<std::string, std::string> values;
};

class FixedClock final : public Clock {
public:
    std::chrono::system_clock::time_point now() const override { return moment; }
    QTimeZone timeZone() const override { return QTimeZone::utc(); }

    std::chrono::system_clock::time_point moment = std::chrono::system_clock::now();
};

class SilentNotifier final : public Notifier {
public:
    bool canPost() const override { return false; }
    void post(const std::string&, const std::string&) override {}
};

// A state over a temporary home: HOME points at it (so the freedesktop Trash
// lives inside it), history and settings are its own, external tools are
// looked for only in its ~/.local/bin, and developer scans run no scanner.
class FlowFixture : public ::testing::Test {
protected:
    FlowFixture() : home_(tree_.folder("home")), env_("HOME", home_), xdg_("XDG_DATA_HOME", std::nullopt) {
        Paths::reset();
        Shell::setSearchDirectoriesForTesting(std::vector<std::string>{home_ + "/.local/bin"});
        Shell::clearResolutionCache();
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
                [](const ScanSettings& settings) {
                    return std::make_unique<ScannerEngine>(settings, ScannerEngine::Scanners{});
                },
            .arguments = std::move(arguments),
            .desktop = &desktop_,
            .makeCleanupEngine = makeCleanupEngine_,
            .makeUninstaller = makeUninstaller_,
        });
        return *state_;
    }
    AppState& state() { return *state_; }

    // Lets queued results arrive until `done` holds; false after the time limit.
    static bool waitUntil(const std::function<bool()>& done, int milliseconds = 20000) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > milliseconds) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    // Lets events run for a while, whatever happens.
    static void settle(int milliseconds) {
        waitUntil([] { return false; }, milliseconds);
    }

    std::string at(const std::string& relative) const { return home_ + "/" + relative; }

    TempTree tree_;
    std::string home_;
    ScopedEnv env_;
    ScopedEnv xdg_;
    MemorySettings settings_;
    FixedClock clock_;
    SilentNotifier notifier_;
    FakeDesktop desktop_;
    std::function<std::unique_ptr<CleanupEngine>()> makeCleanupEngine_;
    std::function<std::unique_ptr<AppUninstaller>()> makeUninstaller_;
    std::unique_ptr<AppState> state_;
};

}  // namespace korvane::testing
