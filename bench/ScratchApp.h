#pragma once

// The application's state over a throwaway settings and data folder, as the
// window benchmarks run it: the real clock, no notifications, the real home.

#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app/platform/IniSettings.h"
#include "app/platform/Notifier.h"
#include "app/platform/SystemClock.h"
#include "app/state/AppState.h"
#include "core/system/Paths.h"

namespace korvane::bench {

class SilentNotifier final : public Notifier {
public:
    bool canPost() const override { return false; }
    void post(const std::string&, const std::string&) override {}
};

// Settings and history go to the scratch folder; nothing of the user's is read or written.
class ScratchApp {
public:
    explicit ScratchApp(std::vector<std::string> arguments)
        : settings_(pointEnvironmentAtScratch() + "/Korvane.conf"),
          state_({.defaults = settings_,
                  .clock = clock_,
                  .notifier = notifier_,
                  .home = Paths::home(),
                  .historyDirectory = scratch_.path().toStdString() + "/history",
                  .statsReader = nullptr,
                  .makeScannerEngine = {},
                  .arguments = std::move(arguments)}) {}

    AppState& state() { return state_; }

private:
    std::string pointEnvironmentAtScratch() {
        qputenv("XDG_CONFIG_HOME", (scratch_.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (scratch_.path() + "/data").toUtf8());
        return scratch_.path().toStdString();
    }

    QTemporaryDir scratch_;
    IniSettings settings_;
    SystemClock clock_;
    SilentNotifier notifier_;
    AppState state_;
};

}  // namespace korvane::bench
