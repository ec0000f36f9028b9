#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvane {

class Flag;

// Finds command-line tools by name in a fixed list of folders and runs them
// with a time limit, collecting standard output and standard error as text.
// Never goes through a shell: the path and arguments go to the process
// launcher as they are. Every call blocks its caller; nothing of a run (thread,
// buffer, descriptor, child) outlives the call.
class Shell {
public:
    Shell() = delete;

    struct Result {
        std::int32_t status = 0;  // exit status, or the signal number when killed by one
        std::string stdout;       // empty when not valid UTF-8
        std::string stderr;       // empty when not valid UTF-8
        bool operator==(const Result&) const = default;
    };

    // Thrown by run() when the tool is missing, does not finish in time, or
    // is stopped by the cancel flag of the calling thread (see CancelScope).
    class ShellError : public std::runtime_error {
    public:
        enum class Kind { notFound, timedOut, cancelled };

        ShellError(Kind kind, std::string tool);
        Kind kind() const { return kind_; }
        const std::string& tool() const { return tool_; }
        // The user-facing description (also what()).
        std::string description() const { return what(); }

        static ShellError notFound(const std::string& tool) { return ShellError(Kind::notFound, tool); }
        static ShellError timedOut(const std::string& tool) { return ShellError(Kind::timedOut, tool); }
        static ShellError cancelled(const std::string& tool) { return ShellError(Kind::cancelled, tool); }

    private:
        Kind kind_;
        std::string tool_;
    };

    // While a scope lives, every run on its thread watches `flag`: a run
    // started after the flag is set launches nothing, and a running tool is
    // stopped the way a time-out stops it. Either way run() throws a
    // cancelled ShellError. A work thread sets one up around work that may
    // call tools, so that a cancel does not wait for a slow tool's time limit.
    // Scopes nest; the innermost one counts.
    class CancelScope {
    public:
        explicit CancelScope(const Flag& flag);
        ~CancelScope();
        CancelScope(const CancelScope&) = delete;
        CancelScope& operator=(const CancelScope&) = delete;

    private:
        const Flag* previous_;
    };

    // The folders searched, in order: the nine standard ones, then
    // ~/.cargo/bin and ~/.local/bin. The launched tool's PATH is this list
    // joined with ":".
    static std::vector<std::string> searchDirectories();

    // Full path of the tool, or absent. Hits and misses are remembered for the
    // life of the process (see clearResolutionCache).
    static std::optional<std::string> resolve(const std::string& name);

    // Throws ShellError (notFound / timedOut) or std::system_error when the
    // launch itself fails. A non-zero exit is no error.
    static Result run(const std::string& tool, const std::vector<std::string>& arguments, double timeout);

    // The process runner behind run(), given the resolved path.
    static Result execute(const std::string& path, const std::vector<std::string>& arguments,
                          const std::string& name, double timeout);

    // Test hooks. An override replaces the search folders (and PATH); nullopt
    // restores the standard list. Clearing the cache forgets every resolution.
    static void setSearchDirectoriesForTesting(std::optional<std::vector<std::string>> directories);
    static void clearResolutionCache();
    // Largest output kept per stream; beyond it the stream's text is empty.
    static void setOutputLimitForTesting(std::optional<std::size_t> bytes);
};

}  // namespace korvane
