// Measures how fast the application shows its window and how quietly it then
// sits, with a saved last developer scan of 10,000 candidates.
//
//   startup [PATH-TO-KORVANE] [RUNS] [--folder DIR] [--idle SECONDS] [--trace]
//
// Needs an X display (run it under xvfb-run). Each run starts the program
// with a fresh temporary home holding the saved scan and times the moment its
// window has painted for the first time (the program prints "first-paint"
// when KORVANE_REPORT_FIRST_PAINT is set); the median of the runs is printed.
// A last run then times start to idle (the end of the last 50 ms slice that
// used more than 5 % of a core, once a whole second has passed without such a
// slice; a statistics reading stays below that), leaves the program idle for
// 20 seconds (or --idle SECONDS) and prints the CPU time it used as a share
// of one core.
//
// The program starts in developer mode. With --folder, the same runs start it
// in general mode scanning DIR instead: start to idle then includes the scan
// and the tree on screen, and the idle figure the sidebar's live meters.
// With --folder it also prints when the scan's threads stopped using more than
// one core and how long after that the program became idle.
// With --trace, every busy 50 ms slice on the way to idle is printed with its
// CPU time, and the idle figure is split by thread name.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/model/ScanResult.h"
#include "core/safety/HistoryStore.h"

extern char** environ;

using namespace korvane;
using SteadyClock = std::chrono::steady_clock;

namespace {

constexpr int candidateCount = 10'000;
double idleSeconds = 20;

// 10,000 node_modules folders of projects under the home, spread over the categories.
ScanResult savedScan(const std::string& home) {
    std::vector<CategoryResult> categories;
    const auto& all = allCleanupCategories();
    for (CleanupCategory category : all)
        categories.emplace_back(category, 0, std::vector<CleanupCandidate>{});
    for (int index = 0; index < candidateCount; ++index) {
        CategoryResult& result = categories[static_cast<std::size_t>(index) % all.size()];
        const std::string name = "project-" + std::to_string(index);
        const std::int64_t size = 1'000'000 + static_cast<std::int64_t>(index) * 7'919;
        result.candidates.emplace_back(
            UUID::random(), result.category, "node.modules", "Project Dependencies", name,
            home + "/Developer/" + name + "/node_modules", size,
            index % 3 == 0 ? SafetyLevel::caution : SafetyLevel::safe, "Rebuilt by the package manager",
            "Rebuilt automatically",
            std::chrono::system_clock::now() - std::chrono::hours(24 * (index % 400)),
            std::map<std::string, std::string>{}, RemovalKind::path());
        result.footprint += size;
    }
    return ScanResult(std::chrono::system_clock::now(), 12.5, std::move(categories),
                      VolumeInfo(500'000'000'000, 120'000'000'000), {});
}

struct Running {
    pid_t pid = -1;
    int output = -1;
};

// The program with a temporary home and a pipe from its standard output.
Running start(const std::string& program, const std::string& home, const std::vector<std::string>& options) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        if (variable.rfind("HOME=", 0) == 0 || variable.rfind("XDG_", 0) == 0 ||
            variable.rfind("KORVANE_", 0) == 0)
            continue;
        variables.push_back(variable);
    }
    variables.push_back("HOME=" + home);
    variables.push_back("KORVANE_REPORT_FIRST_PAINT=1");
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> words{program};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> arguments;
    for (std::string& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    Running running;
    if (posix_spawn(&running.pid, program.c_str(), &actions, nullptr, arguments.data(), environment.data()) != 0) {
        std::fprintf(stderr, "Could not start %s\n", program.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    running.output = pipe[0];
    return running;
}

// True once the program has said "first-paint"; false when it ended or took 30 s.
bool waitForFirstPaint(const Running& running) {
    std::string seen;
    const auto deadline = SteadyClock::now() + std::chrono::seconds(30);
    while (seen.find("first-paint") == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0) return false;
        pollfd ready{running.output, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[256];
        const ssize_t count = ::read(running.output, buffer, sizeof buffer);
        if (count <= 0) return false;
        seen.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

void stop(const Running& running) {
    ::kill(running.pid, SIGTERM);
    int status = 0;
    ::waitpid(running.pid, &status, 0);
    ::close(running.output);
}

// User and system CPU seconds the process has used so far.
double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) utime = std::stoll(field);
        if (index == 15) stime = std::stoll(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Calls `visit` with each thread's id and its folder under /proc/PID/task.
template <typename Visit>
void forEachThread(pid_t pid, Visit visit) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/task";
    DIR* tasks = ::opendir(folder.c_str());
    if (tasks == nullptr) return;
    while (const dirent* entry = ::readdir(tasks))
        if (entry->d_name[0] != '.') visit(std::atol(entry->d_name), folder + "/" + entry->d_name);
    ::closedir(tasks);
}

// Nanoseconds on a processor so far, per thread of the process (a thread that
// ended takes its time with it, so compare thread by thread).
std::map<long, long long> threadNanoseconds(pid_t pid) {
    std::map<long, long long> threads;
    forEachThread(pid, [&](long thread, const std::string& folder) {
        std::ifstream stat(folder + "/schedstat");
        long long nanoseconds = 0;
        if (stat >> nanoseconds) threads[thread] = nanoseconds;
    });
    return threads;
}

// The name each thread of the process gives itself.
std::map<long, std::string> threadNames(pid_t pid) {
    std::map<long, std::string> names;
    forEachThread(pid, [&](long thread, const std::string& folder) {
        std::ifstream comm(folder + "/comm");
        std::getline(comm, names[thread]);
    });
    return names;
}

// CPU used between two readings: each thread's growth, all of a new thread's time.
double usedBetween(const std::map<long, long long>& before, const std::map<long, long long>& after) {
    long long used = 0;
    for (const auto& [thread, nanoseconds] : after) {
        const auto earlier = before.find(thread);
        used += nanoseconds - (earlier == before.end() ? 0 : earlier->second);
    }
    return static_cast<double>(used) / 1e9;
}

// Seconds from `started` to the end of the last 50 ms slice that used more
// than 2.5 ms of CPU, once a second has passed without such a slice; -1 when
// the program never quietened within 60 s.
struct Settling {
    double idle = -1;  // start to idle; -1 when never quiet within 60 s
    double busy = 0;   // start to the end of the last slice that used more than one whole core
};

Settling secondsToIdle(pid_t pid, SteadyClock::time_point started, bool trace) {
    constexpr auto slice = std::chrono::milliseconds(50);
    constexpr double busy = 0.0025;
    constexpr double quietFor = 1.0;
    auto previous = threadNanoseconds(pid);
    double lastBusy = 0;
    double lastParallel = 0;
    for (auto at = SteadyClock::now(); at - started < std::chrono::seconds(60);) {
        at += slice;
        std::this_thread::sleep_until(at);
        auto now = threadNanoseconds(pid);
        const double elapsed = std::chrono::duration<double>(at - started).count();
        const double used = usedBetween(previous, now);
        if (trace && used > busy / 5) std::printf("  %.2f s: %.1f ms of CPU\n", elapsed, used * 1e3);
        if (used > busy) lastBusy = elapsed;
        else if (elapsed - lastBusy >= quietFor) return {lastBusy, lastParallel};
        if (used > std::chrono::duration<double>(slice).count()) lastParallel = elapsed;
        previous = std::move(now);
    }
    return {-1, lastParallel};
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> options{"--mode", "developer"};
    std::vector<std::string> positional;
    bool trace = false;
    for (int index = 1; index < argc; ++index) {
        const std::string word = argv[index];
        if (word == "--trace") {
            trace = true;
        } else if (word == "--idle" && index + 1 < argc) {
            idleSeconds = std::max(1.0, std::atof(argv[++index]));
        } else if (word == "--folder" && index + 1 < argc) {
            options = {"--mode", "general", "--folder", std::filesystem::absolute(argv[++index]).string()};
        } else {
            positional.push_back(word);
        }
    }
    const std::string program =
        !positional.empty() ? positional[0]
                            : (std::filesystem::path(argv[0]).parent_path() / ".." / "app" / "korvane")
                                  .lexically_normal()
                                  .string();
    const int runs = positional.size() > 1 ? std::max(1, std::atoi(positional[1].c_str())) : 5;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "No X display: run this under xvfb-run.\n");
        return 1;
    }

    char folder[] = "/tmp/korvane-startup-XXXXXX";
    if (::mkdtemp(folder) == nullptr) return 1;
    const std::string home = folder;
    const std::filesystem::path history = std::filesystem::path(home) / ".local/share/Korvane";
    std::filesystem::create_directories(history);
    HistoryStore(history.string()).saveLastScan(savedScan(home));
    const std::filesystem::path lastScan = history / "last-scan.json";
    std::printf("saved scan: %d candidates, %.1f MB of JSON\n", candidateCount,
                static_cast<double>(std::filesystem::file_size(lastScan)) / 1e6);

    std::vector<double> milliseconds;
    for (int run = 0; run < runs; ++run) {
        const auto started = SteadyClock::now();
        const Running running = start(program, home, options);
        const bool painted = waitForFirstPaint(running);
        const double elapsed =
            std::chrono::duration<double, std::milli>(SteadyClock::now() - started).count();
        stop(running);
        if (!painted) {
            std::fprintf(stderr, "The window never painted.\n");
            return 1;
        }
        milliseconds.push_back(elapsed);
        std::printf("run %d: %.0f ms to the first painted frame\n", run + 1, elapsed);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("median of %d: %.0f ms\n", runs, milliseconds[milliseconds.size() / 2]);

    const auto started = SteadyClock::now();
    const Running idle = start(program, home, options);
    if (!waitForFirstPaint(idle)) return 1;
    const Settling settling = secondsToIdle(idle.pid, started, trace);
    if (settling.idle < 0) std::printf("start to idle: never quiet within 60 s\n");
    else std::printf("start to idle: %.2f s\n", settling.idle);
    // With --folder the scan's threads are what use more than one core.
    if (settling.idle >= 0 && options[1] == "general")
        std::printf("busy on more than one core until %.2f s, then idle %.2f s later\n", settling.busy,
                    settling.idle - settling.busy);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::printf("start-up and settling: %.2f s of CPU\n", cpuSeconds(idle.pid));
    // Thread by thread in nanoseconds: the clock ticks of /proc/PID/stat are 10 ms.
    const auto before = threadNanoseconds(idle.pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    const auto after = threadNanoseconds(idle.pid);
    const double used = usedBetween(before, after);
    if (trace) {
        const auto names = threadNames(idle.pid);
        for (const auto& [thread, nanoseconds] : after) {
            const auto earlier = before.find(thread);
            const long long grown = nanoseconds - (earlier == before.end() ? 0 : earlier->second);
            if (grown > 0)
                std::printf("  thread %ld (%s): %.2f ms\n", thread,
                            names.contains(thread) ? names.at(thread).c_str() : "?",
                            static_cast<double>(grown) / 1e6);
        }
    }
    stop(idle);
    std::printf("idle: %.3f s of CPU in %.0f s, %.3f %% of one core\n", used, idleSeconds,
                used / idleSeconds * 100);

    std::filesystem::remove_all(home);
    return 0;
}
