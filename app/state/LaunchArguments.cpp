#include "app/state/LaunchArguments.h"

#include <unistd.h>

#include <algorithm>
#include <memory>

#include "core/system/Paths.h"

namespace korvane {

namespace {

using Screen = LaunchArguments::Screen;

constexpr std::array<std::string_view, 10> screenValues = {
    "onboarding",     "scanning", "explore",
    "cleaning",       "finished", "review",
    "history",        "settings", "first-run-developer",
    "first-run-home",
};

std::string workingFolder() {
    std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    return folder ? std::string(folder.get()) : Paths::home();
}

}  // namespace

std::optional<std::string> LaunchArguments::value(std::string_view name) const {
    const std::string flag = "--" + std::string(name);
    const auto found = std::find(arguments_.begin(), arguments_.end(), flag);
    if (found == arguments_.end() || std::next(found) == arguments_.end()) return std::nullopt;
    return *std::next(found);
}

std::optional<Screen> LaunchArguments::screen() const {
    const auto text = value("screen");
    return text ? launchScreenFromRawValue(*text) : std::nullopt;
}

std::optional<std::string> LaunchArguments::folder() const {
    const auto text = value("folder");
    if (!text) return std::nullopt;
    auto expanded = Paths::standardise(*text);
    if (!expanded) return std::nullopt;
    if (expanded->empty() || expanded->front() != '/')
        expanded = Paths::standardise(Paths::join(workingFolder(), *expanded));
    return expanded;
}

const std::array<Screen, 10>& allLaunchScreens() {
    static const std::array<Screen, 10> screens = {
        Screen::onboarding,        Screen::scanning,     Screen::explore, Screen::cleaning,
        Screen::finished,          Screen::review,       Screen::history, Screen::settings,
        Screen::firstRunDeveloper, Screen::firstRunHome,
    };
    return screens;
}

std::string_view rawValue(Screen screen) { return screenValues[static_cast<std::size_t>(screen)]; }

std::optional<Screen> launchScreenFromRawValue(std::string_view text) {
    for (auto screen : allLaunchScreens())
        if (rawValue(screen) == text) return screen;
    return std::nullopt;
}

}  // namespace korvane
