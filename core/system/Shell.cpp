#include "core/system/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "core/system/Flag.h"
#include "core/system/Paths.h"
#include "core/text/Utf8.h"

extern char** environ;

namespace korvane {

namespace {

using Clock = std::chrono::steady_clock;

std::mutex resolveLock;
std::unordered_map<std::string, std::optional<std::string>> resolvedPaths;

std::mutex overrideLock;
std::optional<std::vector<std::string>> directoriesOverride;
// A runaway tool must not exhaust memory: past this a stream's text is empty.
constexpr std::size_t defaultOutputLimit = std::size_t{256} << 20;
std::optional<std::size_t> outputLimitOverride;

constexpr double terminateGrace = 2.0;  // SIGTERM -> SIGKILL
constexpr double killGrace = 2.0;       // SIGKILL -> give up waiting politely
constexpr double drainGrace = 5.0;      // exit -> both pipes at end of file
// How often a running tool's caller looks at its cancel flag.
constexpr long long cancelPollMilliseconds = 50;

// The flag of the innermost CancelScope of this thread.
thread_local const Flag* threadCancelFlag = nullptr;

bool cancelRequested() { return threadCancelFlag != nullptr && threadCancelFlag->value(); }

std::string describe(Shell::ShellError::Kind kind, const std::string& tool) {
    switch (kind) {
        case Shell::ShellError::Kind::notFound:
            return "\u201C" + tool + "\u201D is not installed, or is not where Korvane expected it.";
        case Shell::ShellError::Kind::timedOut:
            return "\u201C" + tool + "\u201D did not respond in time.";
        case Shell::ShellError::Kind::cancelled:
            return "\u201C" + tool + "\u201D was stopped before it finished.";
    }
    return tool;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool isPlainToolName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// One child process with its two output pipes. Reaping and signalling happen
// only here, on the calling thread, and never after the child was reaped, so
// a recycled process id is never hit.
class Run {
public:
    struct Stream {
        int fd = -1;
        std::string data;
        bool overflowed = false;
    };

    Run(pid_t pid, int out, int err, std::size_t limit) : pid_(pid), limit_(limit) {
        streams_[0].fd = out;
        streams_[1].fd = err;
        pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (pidfd_ >= 0) fcntl(pidfd_, F_SETFD, FD_CLOEXEC);
    }

    ~Run() {
        closeIfOpen(streams_[0].fd);
        closeIfOpen(streams_[1].fd);
        if (!exited_) {
            // Only reached when something above threw: leave no child behind.
            kill(-pid_, SIGKILL);
            kill(pid_, SIGKILL);
            while (waitpid(pid_, &waitStatus_, 0) < 0 && errno == EINTR) {
            }
        }
        closeIfOpen(pidfd_);
    }

    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    bool exited() const { return exited_; }
    bool streamsOpen() const { return streams_[0].fd >= 0 || streams_[1].fd >= 0; }

    // Reads output and watches for the exit until `until`, or until the child
    // has exited (and, when `drain`, both pipes reached end of file). When
    // `cancellable`, also returns once this thread's cancel flag is set.
    void pump(Clock::time_point until, bool drain, bool cancellable = false) {
        for (;;) {
            if (!exited_) tryReap();
            if (exited_ && (!drain || !streamsOpen())) return;
            if (cancellable && cancelRequested()) return;
            auto now = Clock::now();
            if (now >= until) return;

            std::array<pollfd, 3> fds{};
            std::array<int, 3> owners{};
            nfds_t count = 0;
            for (int k = 0; k < 2; ++k) {
                if (streams_[k].fd < 0) continue;
                fds[count] = pollfd{streams_[k].fd, POLLIN, 0};
                owners[count++] = k;
            }
            if (!exited_ && pidfd_ >= 0) {
                fds[count] = pollfd{pidfd_, POLLIN, 0};
                owners[count++] = 2;
            }
            auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
            // Without a process descriptor the exit is noticed by asking often.
            if (!exited_ && pidfd_ < 0) remaining = std::min<long long>(remaining, 10);
            if (cancellable && threadCancelFlag != nullptr)
                remaining = std::min<long long>(remaining, cancelPollMilliseconds);
            int ready = poll(fds.data(), count, static_cast<int>(std::min<long long>(remaining, 60000)));
            if (ready < 0) {
                if (errno == EINTR) continue;
                return;
            }
            for (nfds_t i = 0; i < count; ++i) {
                if (fds[i].revents == 0) continue;
                if (owners[i] == 2) tryReap();
                else readFrom(streams_[owners[i]]);
            }
        }
    }

    void signalGroup(int signal) {
        if (exited_) return;
        // The child leads its own process group, so helpers it started go too.
        if (kill(-pid_, signal) != 0) kill(pid_, signal);
    }

    // Blocks until the child is reaped (it has been sent SIGKILL).
    void reapBlocking() {
        while (!exited_) {
            pid_t r = waitpid(pid_, &waitStatus_, 0);
            if (r == pid_ || (r < 0 && errno != EINTR)) {
                exited_ = true;
                if (r < 0) known_ = false;
            }
        }
    }

    std::int32_t status() const {
        if (!known_) return -1;
        if (WIFEXITED(waitStatus_)) return WEXITSTATUS(waitStatus_);
        if (WIFSIGNALED(waitStatus_)) return WTERMSIG(waitStatus_);
        return -1;
    }

    // The text of a stream that reached end of file within its limits and is
    // valid UTF-8; otherwise empty.
    std::string text(int k) const {
        const Stream& stream = streams_[k];
        if (stream.fd >= 0 || stream.overflowed || !Utf8::isValid(stream.data)) return {};
        return stream.data;
    }

private:
    void tryReap() {
        pid_t r = waitpid(pid_, &waitStatus_, WNOHANG);
        if (r == pid_) {
            exited_ = true;
        } else if (r < 0 && errno == ECHILD) {
            // Reaped elsewhere (SIGCHLD ignored): the status is unknown.
            exited_ = true;
            known_ = false;
        }
    }

    void readFrom(Stream& stream) {
        char buffer[65536];
        for (;;) {
            ssize_t n = read(stream.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                closeIfOpen(stream.fd);
                return;
            }
            if (stream.overflowed) return;
            if (stream.data.size() + static_cast<std::size_t>(n) > limit_) {
                stream.overflowed = true;
                std::string().swap(stream.data);
                return;
            }
            stream.data.append(buffer, static_cast<std::size_t>(n));
            return;
        }
    }

    pid_t pid_;
    int pidfd_ = -1;
    std::size_t limit_;
    std::array<Stream, 2> streams_;
    bool exited_ = false;
    bool known_ = true;
    int waitStatus_ = 0;
};

Clock::time_point after(Clock::time_point start, double seconds) {
    if (!(seconds > 0)) seconds = 0;              // NaN and negatives: no time at all
    seconds = std::min(seconds, 10.0 * 365 * 86400);  // keeps the sum finite
    return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

struct SpawnResources {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    bool haveActions = false;
    bool haveAttributes = false;
    ~SpawnResources() {
        if (haveActions) posix_spawn_file_actions_destroy(&actions);
        if (haveAttributes) posix_spawnattr_destroy(&attributes);
    }
};

// A run's output limit: the test override, else the default.
std::size_t outputLimit() {
    std::lock_guard<std::mutex> guard(overrideLock);
    return outputLimitOverride.value_or(defaultOutputLimit);
}

// The environment a tool starts with: this process's, with PATH replaced by
// the search folders. Its entries point into `environ` and into the object
// itself, so it stays where it was made.
class ToolEnvironment {
public:
    explicit ToolEnvironment(const std::vector<std::string>& directories) {
        path_ = "PATH=";
        for (std::size_t i = 0; i < directories.size(); ++i) {
            if (i > 0) path_ += ':';
            path_ += directories[i];
        }
        for (char** entry = environ; entry && *entry; ++entry)
            if (std::strncmp(*entry, "PATH=", 5) != 0) entries_.push_back(*entry);
        entries_.push_back(path_.data());
        entries_.push_back(nullptr);
    }
    ToolEnvironment(const ToolEnvironment&) = delete;
    ToolEnvironment& operator=(const ToolEnvironment&) = delete;

    char** data() { return entries_.data(); }

private:
    std::string path_;
    std::vector<char*> entries_;
};

// The tool's argument vector: its path, then the arguments as they are.
class ArgumentVector {
public:
    ArgumentVector(const std::string& path, const std::vector<std::string>& arguments) {
        store_.reserve(arguments.size() + 1);
        store_.push_back(path);
        store_.insert(store_.end(), arguments.begin(), arguments.end());
        for (std::string& argument : store_) pointers_.push_back(argument.data());
        pointers_.push_back(nullptr);
    }
    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    char** data() { return pointers_.data(); }

private:
    std::vector<std::string> store_;
    std::vector<char*> pointers_;
};

// Starts the tool as the leader of a new process group, with default signal
// handling, nothing blocked, standard input from /dev/null and its output on
// the two given descriptors. Returns 0 or the error number.
int spawnInOwnGroup(pid_t& pid, const std::string& path, int out, int err, char** argv, char** environment) {
    SpawnResources spawn;
    int spawnError = posix_spawn_file_actions_init(&spawn.actions);
    spawn.haveActions = spawnError == 0;
    if (spawnError == 0) spawnError = posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    if (spawnError == 0) spawnError = posix_spawn_file_actions_adddup2(&spawn.actions, out, 1);
    if (spawnError == 0) spawnError = posix_spawn_file_actions_adddup2(&spawn.actions, err, 2);
    if (spawnError == 0) {
        spawnError = posix_spawnattr_init(&spawn.attributes);
        spawn.haveAttributes = spawnError == 0;
    }
    if (spawnError == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        posix_spawnattr_setsigmask(&spawn.attributes, &none);
        posix_spawnattr_setsigdefault(&spawn.attributes, &all);
        posix_spawnattr_setpgroup(&spawn.attributes, 0);
        spawnError = posix_spawnattr_setflags(&spawn.attributes,
                                              POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    if (spawnError == 0)
        spawnError = posix_spawn(&pid, path.c_str(), &spawn.actions, &spawn.attributes, argv, environment);
    return spawnError;
}

// The started tool with its two output pipes. Throws std::system_error when
// a pipe cannot be made or the launch fails.
Run launch(const std::string& path, ArgumentVector& argv, ToolEnvironment& environment, const std::string& name) {
    // Close-on-exec everywhere, so a tool started at the same moment by another
    // thread never inherits (and holds open) this run's pipes.
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), name);
    if (pipe2(err, O_CLOEXEC) != 0) {
        int error = errno;
        close(out[0]);
        close(out[1]);
        throw std::system_error(error, std::generic_category(), name);
    }

    pid_t pid = -1;
    const int spawnError = spawnInOwnGroup(pid, path, out[1], err[1], argv.data(), environment.data());
    // Only the child keeps the writing ends: end of file arrives when it (and
    // whatever it started) is done with them.
    close(out[1]);
    close(err[1]);
    if (spawnError != 0) {
        close(out[0]);
        close(err[0]);
        throw std::system_error(spawnError, std::generic_category(), name);
    }
    return Run(pid, out[0], err[0], outputLimit());
}

// The tool's result once it exits and its output is read. A tool still
// running at the deadline, or when this thread's cancel flag is set, is
// stopped (SIGTERM, then SIGKILL) and reaped, and a ShellError is thrown.
Shell::Result waitFor(Run& run, double timeout, const std::string& name) {
    run.pump(after(Clock::now(), timeout), false, true);
    if (run.exited()) {
        run.pump(after(Clock::now(), drainGrace), true, true);
        // Output cut short by a cancel is not the tool's answer.
        if (cancelRequested() && run.streamsOpen()) throw Shell::ShellError::cancelled(name);
        return Shell::Result{run.status(), run.text(0), run.text(1)};
    }
    const bool cancelled = cancelRequested();

    run.signalGroup(SIGTERM);
    run.pump(after(Clock::now(), terminateGrace), false);
    if (!run.exited()) {
        run.signalGroup(SIGKILL);
        run.pump(after(Clock::now(), killGrace), false);
        run.reapBlocking();
    }
    if (cancelled) throw Shell::ShellError::cancelled(name);
    throw Shell::ShellError::timedOut(name);
}

}  // namespace

Shell::ShellError::ShellError(Kind kind, std::string tool)
    : std::runtime_error(describe(kind, tool)), kind_(kind), tool_(std::move(tool)) {}

Shell::CancelScope::CancelScope(const Flag& flag) : previous_(threadCancelFlag) { threadCancelFlag = &flag; }

Shell::CancelScope::~CancelScope() { threadCancelFlag = previous_; }

std::vector<std::string> Shell::searchDirectories() {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (directoriesOverride) return *directoriesOverride;
    }
    std::string home = Paths::home();
    if (home == "/") home.clear();
    return {"/opt/homebrew/bin",
            "/usr/local/bin",
            "/usr/bin",
            "/bin",
            "/usr/sbin",
            "/sbin",
            "/opt/homebrew/sbin",
            home + "/.docker/bin",
            "/Applications/Docker.app/Contents/Resources/bin",
            home + "/.cargo/bin",
            home + "/.local/bin"};
}

std::optional<std::string> Shell::resolve(const std::string& name) {
    {
        std::lock_guard<std::mutex> guard(resolveLock);
        auto found = resolvedPaths.find(name);
        if (found != resolvedPaths.end()) return found->second;
    }
    std::optional<std::string> result;
    if (isPlainToolName(name)) {
        for (const std::string& directory : searchDirectories()) {
            std::string candidate = directory + "/" + name;
            if (isExecutableFile(candidate)) {
                result = candidate;
                break;
            }
        }
    }
    std::lock_guard<std::mutex> guard(resolveLock);
    resolvedPaths[name] = result;
    return result;
}

Shell::Result Shell::run(const std::string& tool, const std::vector<std::string>& arguments, double timeout) {
    std::optional<std::string> path = resolve(tool);
    if (!path) throw ShellError::notFound(tool);
    return execute(*path, arguments, tool, timeout);
}

Shell::Result Shell::execute(const std::string& path, const std::vector<std::string>& arguments,
                             const std::string& name, double timeout) {
    if (cancelRequested()) throw ShellError::cancelled(name);
    ToolEnvironment environment(searchDirectories());
    ArgumentVector argv(path, arguments);
    Run run = launch(path, argv, environment, name);
    return waitFor(run, timeout, name);
}

void Shell::setSearchDirectoriesForTesting(std::optional<std::vector<std::string>> directories) {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        directoriesOverride = std::move(directories);
    }
    clearResolutionCache();
}

void Shell::clearResolutionCache() {
    std::lock_guard<std::mutex> guard(resolveLock);
    resolvedPaths.clear();
}

void Shell::setOutputLimitForTesting(std::optional<std::size_t> bytes) {
    std::lock_guard<std::mutex> guard(overrideLock);
    outputLimitOverride = bytes;
}

}  // namespace korvane
