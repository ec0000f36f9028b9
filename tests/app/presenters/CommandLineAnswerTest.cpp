#include <gtest/gtest.h>

#include "app/platform/ApplicationInfo.h"
#include "app/presenters/CommandLineAnswer.h"
#include "app/state/LaunchArguments.h"
#include "app/state/ThemeID.h"
#include "app/state/ViewChoices.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Outcome = CommandLineAnswer::Outcome;

CommandLineAnswer refused(const std::string& line) {
    return {Outcome::refused, "korvane: " + line + "\nTry 'korvane --help' for the options.\n", 2};
}

TEST(CommandLineAnswerTest, HelpVersionAndWhatIsNoOptionAnswerBeforeAnythingRuns) {
    const CommandLineAnswer run;
    const CommandLineAnswer help{Outcome::answered, commandLineHelp(), 0};
    const CommandLineAnswer version{Outcome::answered,
                                    std::string("Korvane ") + applicationInfo::version + "\n", 0};
    const struct {
        std::vector<std::string> arguments;
        CommandLineAnswer answer;
    } cases[] = {
        {{}, run},
        {{"--screen", "explore", "--theme", "nord", "--mode", "developer", "--canvas", "x", "--section", "y"},
         run},
        {{"--theme"}, refused("option '--theme' needs a value")},
        {{"--mode", "general", "--folder"}, refused("option '--folder' needs a value")},
        {{"--mode"}, refused("option '--mode' needs a value")},
        {{"--theme", "--help"}, run},  // the element after a flag is its value
        {{"-platform", "offscreen", "--style=fusion", "-reverse", "--session", "s1"}, run},  // the toolkit's
        {{"--help"}, help},
        {{"-h"}, help},
        {{"--mode", "general", "-h", "--bogus"}, help},
        {{"--version"}, version},
        {{"--bogus", "--help"}, refused("unknown option '--bogus'")},
        {{"-help"}, refused("unknown option '-help'")},
        {{"--Screen", "explore"}, refused("unknown option '--Screen'")},
        {{"--theme", "nord", "Documents"}, refused("unexpected argument 'Documents'")},
        {{"-platform"}, run},
        {{"--\x1B]0;x\x07\n"}, refused("unknown option '--\uFFFD]0;x\uFFFD\u23CE'")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commandLineAnswer(c.arguments), c.answer) << ::testing::PrintToString(c.arguments);
}

TEST(CommandLineAnswerTest, AFolderThatIsAFileIsRefusedAndOneThatIsNotThereIsLeftToTheWindow) {
    testing::TempTree tree;
    const std::string file = tree.file("notes.txt", 10);
    const std::string folder = tree.folder("Projects");
    const std::string link = tree.symlink("to-projects", folder);
    const struct {
        std::string folder;
        CommandLineAnswer answer;
    } cases[] = {
        {file, refused(file + " is a file, not a folder")},
        {"/dev/null", refused("/dev/null is not a folder")},
        {"/proc", refused("/proc holds the kernel\u2019s own files (proc), which are not scanned")},
        {folder, {}},
        {link, {}},
        {tree.path("gone"), {}},
    };
    for (const auto& c : cases) EXPECT_EQ(commandLineAnswer({"--folder", c.folder}), c.answer) << c.folder;
}

TEST(CommandLineAnswerTest, HelpNamesEveryOptionAndEveryValueItTakes) {
    const std::string help = commandLineHelp();
    for (const char* option : {"--mode MODE", "--folder FOLDER", "--section SECTION", "--canvas CANVAS",
                               "--theme THEME", "--screen SCREEN", "-h, --help", "--version"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    std::vector<std::string_view> values;
    for (auto mode : allModes()) values.push_back(rawValue(mode));
    for (auto section : allGeneralSections()) values.push_back(rawValue(section));
    for (auto canvas : allCanvasModes()) values.push_back(rawValue(canvas));
    for (auto theme : allThemeIDs()) values.push_back(rawValue(theme));
    for (auto screen : allLaunchScreens()) values.push_back(rawValue(screen));
    for (auto value : values) EXPECT_NE(help.find(value), std::string::npos) << value;
    // Read whole in a terminal of the usual width.
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
}

}  // namespace
}  // namespace korvane
