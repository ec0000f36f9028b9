#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The process's arguments of the form `--<name> <value>`, read once at start-up
// to open the program straight in a theme, page, canvas, folder, mode or screen.
class LaunchArguments {
public:
    // The screens `--screen` can open, with placeholder data where needed.
    enum class Screen {
        onboarding,
        scanning,
        explore,
        cleaning,
        finished,
        review,
        history,
        settings,
        firstRunDeveloper,
        firstRunHome,
    };

    LaunchArguments() = default;
    // The arguments after the program's own path.
    explicit LaunchArguments(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

    // The element after the first one that equals "--" + name exactly; no
    // value when the flag is absent or last.
    std::optional<std::string> value(std::string_view name) const;

    // `--screen`, when it names one of the ten screens exactly.
    std::optional<Screen> screen() const;
    // `--folder` as an absolute, standardised path: a leading "~" stands for
    // the home folder and a relative path starts at the working folder.
    std::optional<std::string> folder() const;

    const std::vector<std::string>& arguments() const { return arguments_; }

private:
    std::vector<std::string> arguments_;
};

const std::array<LaunchArguments::Screen, 10>& allLaunchScreens();
// The `--screen` values: "onboarding", …, "first-run-developer", "first-run-home".
std::string_view rawValue(LaunchArguments::Screen screen);
std::optional<LaunchArguments::Screen> launchScreenFromRawValue(std::string_view text);

}  // namespace korvane
