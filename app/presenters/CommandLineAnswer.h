#pragma once

#include <string>
#include <vector>

namespace korvane {

// What the program says on its command line before anything else happens:
// its options (`--help`, `-h`), its version, or why it does not start with
// these arguments; otherwise it runs. Reading the answer needs no display and
// writes nothing, so a mistyped command leaves the home as it was.
struct CommandLineAnswer {
    enum class Outcome { run, answered, refused };

    // A usage mistake, as command-line programs report it.
    static constexpr int refusedStatus = 2;

    Outcome outcome = Outcome::run;
    // For standard output when answered, for standard error when refused.
    std::string text;
    // How the process ends when it does not run.
    int exitStatus = 0;

    friend bool operator==(const CommandLineAnswer&, const CommandLineAnswer&) = default;
};

// `arguments` are the process's after the program's own path. The first of
// `--help`, `-h`, `--version` or an argument that is no option answers; an
// option's value is the element after it, whatever it holds, and an option
// last, without one, is refused. A `--folder` that names something other than
// a folder, or a folder of the kernel's own files (/proc), is refused; one
// that is not there is left to the window, which says so.
CommandLineAnswer commandLineAnswer(const std::vector<std::string>& arguments);

// The options and the values each one takes, as `--help` prints them.
std::string commandLineHelp();

}  // namespace korvane
