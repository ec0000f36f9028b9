#include "app/presenters/CommandLineAnswer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "app/platform/ApplicationInfo.h"
#include "app/presenters/OneLineText.h"
#include "app/state/LaunchArguments.h"
#include "app/state/PlatformWords.h"
#include "app/state/ThemeID.h"
#include "app/state/ViewChoices.h"
#include "core/system/PseudoFileSystems.h"
#include "core/system/UniqueFd.h"

namespace korvane {

namespace {

using Outcome = CommandLineAnswer::Outcome;

// The options that take the element after them as their value.
constexpr std::array<std::string_view, 6> valueOptions = {"--mode",   "--folder", "--section",
                                                          "--canvas", "--theme",  "--screen"};

// The toolkit reads its own options, with one dash or two, before the window
// exists ("-platform offscreen", "--style=fusion", "-session" when the desktop
// restores a session): they are passed on, not refused.
constexpr std::array<std::string_view, 13> toolkitValueOptions = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger",
};
constexpr std::array<std::string_view, 5> toolkitFlags = {"reverse", "widgetcount", "nograb", "dograb",
                                                          "sync"};

template <std::size_t N>
bool holds(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// How many elements a toolkit option spans (with its value), or 0 when the
// argument is none of the toolkit's.
std::size_t toolkitSpan(std::string_view argument) {
    if (argument.size() < 2 || argument[0] != '-') return 0;
    std::string_view name = argument.substr(argument[1] == '-' ? 2 : 1);
    const bool joined = name.find('=') != std::string_view::npos;
    name = name.substr(0, name.find('='));
    if (holds(toolkitValueOptions, name)) return joined ? 1 : 2;
    return !joined && holds(toolkitFlags, name) ? 1 : 0;
}

CommandLineAnswer refusal(const std::string& line) {
    return {Outcome::refused, "korvane: " + line + "\nTry 'korvane --help' for the options.\n",
            CommandLineAnswer::refusedStatus};
}

// A folder that names something else, or the kernel's own files, cannot be
// scanned; one that is not there (yet) is the window's to tell of.
std::optional<CommandLineAnswer> folderRefusal(const std::vector<std::string>& arguments) {
    const auto folder = LaunchArguments(arguments).folder();
    struct stat info {};
    if (!folder || ::stat(folder->c_str(), &info) != 0) return std::nullopt;
    const std::string shown = oneLineText(*folder);
    if (!S_ISDIR(info.st_mode))
        return refusal(shown + (S_ISREG(info.st_mode) ? " is a file, not a folder" : " is not a folder"));
    const UniqueFd opened(::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const auto kernel = opened.valid() ? pseudoFileSystemName(opened.get()) : std::nullopt;
    if (kernel) return refusal(platformWords::kernelFilesNotScanned(shown, *kernel));
    return std::nullopt;
}

template <typename Values>
std::string choices(const Values& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += i + 1 == values.size() ? " or " : ", ";
        text += rawValue(values[i]);
    }
    return text;
}

// One option's line: its name, then what it does, wrapped under itself.
std::string optionLine(std::string_view name, std::string_view description) {
    constexpr std::size_t indent = 21;
    constexpr std::size_t width = 79;
    std::string text = "  " + std::string(name);
    text.append(text.size() < indent ? indent - text.size() : 1, ' ');
    std::size_t column = std::max(text.size(), indent);
    std::size_t start = 0;
    while (start < description.size()) {
        std::size_t end = description.find(' ', start);
        if (end == std::string_view::npos) end = description.size();
        const std::string_view word = description.substr(start, end - start);
        if (column > indent && column + 1 + word.size() > width) {
            text += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (column > indent) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        start = end + 1;
    }
    return text + "\n";
}

}  // namespace

CommandLineAnswer commandLineAnswer(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") return {Outcome::answered, commandLineHelp(), 0};
        if (argument == "--version")
            return {Outcome::answered,
                    std::string(applicationInfo::name) + " " + applicationInfo::version + "\n", 0};
        if (holds(valueOptions, argument)) {
            if (++i == arguments.size()) return refusal("option '" + argument + "' needs a value");
            continue;
        }
        if (const std::size_t span = toolkitSpan(argument)) {
            i += span - 1;
            continue;
        }
        const std::string shown = "'" + oneLineText(argument) + "'";
        return refusal(argument.starts_with('-') ? "unknown option " + shown
                                                 : "unexpected argument " + shown);
    }
    return folderRefusal(arguments).value_or(CommandLineAnswer{});
}

std::string commandLineHelp() {
    std::string text =
        "Usage: korvane [OPTION]...\n"
        "Shows where disk space went, and removes what is safe to remove when you say so.\n\n"
        "Options:\n";
    text += optionLine("--mode MODE", "open in this mode, kept for later launches: " + choices(allModes()));
    text += optionLine("--folder FOLDER", "scan FOLDER in general mode (a leading ~ is your home folder)");
    text += optionLine("--section SECTION", "general mode's page: " + choices(allGeneralSections()));
    text += optionLine("--canvas CANVAS", "the storage canvas: " + choices(allCanvasModes()));
    text += optionLine("--theme THEME", "the theme, kept for later launches: " + choices(allThemeIDs()));
    text +=
        optionLine("--screen SCREEN", "open this screen, with demonstration data where no scan is saved: " +
                                          choices(allLaunchScreens()));
    text += optionLine("-h, --help", "print these options and exit");
    text += optionLine("--version", "print the version and exit");
    text +=
        "\nA value that is not one of those listed is ignored. The toolkit's own options\n"
        "(such as -platform NAME or -style NAME) are passed on to Qt.\n";
    return text;
}

}  // namespace korvane
