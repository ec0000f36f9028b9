// Measures how fast the application shows its window and how quietly it then
// sits, with a saved last developer scan of 10,000 candidates.
//
//   startup [PATH-TO-KORVANE] [RUNS]
//
// Needs an X display (run it under xvfb-run). Each run starts the program
// with a fresh temporary home holding the saved scan and times the moment its
// window has painted for the first time (the program prints "first-paint"
// when KORVANE_REPORT_FIRST_PAINT is set); the median of the runs is printed.
// A last run then leaves the program idle for 20 seconds and prints the CPU
// time it used as a share of one core.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
constexpr double idleSeconds = 20;

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
Running start(const std::string& program, const std::string& home) {
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
    std::string path = program;
    char* arguments[] = {path.data(), nullptr};
    Running running;
    if (posix_spawn(&running.pid, program.c_str(), &actions, nullptr, arguments, environment.data()) != 0) {
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

}  // namespace

int main(int argc, char** argv) {
    const std::string program =
        argc > 1 ? argv[1]
                 : (std::filesystem::path(argv[0]).parent_path() / ".." / "app" / "korvane")
                       .lexically_normal()
                       .string();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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
        const Running running = start(program, home);
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

    const Running idle = start(program, home);
    if (!waitForFirstPaint(idle)) return 1;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double before = cpuSeconds(idle.pid);
    std::printf("start-up and settling: %.2f s of CPU\n", before);
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    const double used = cpuSeconds(idle.pid) - before;
    stop(idle);
    std::printf("idle: %.2f s of CPU in %.0f s, %.2f %% of one core\n", used, idleSeconds,
                used / idleSeconds * 100);

    std::filesystem::remove_all(home);
    return 0;
}
