#include "core/system/Shell.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <thread>

#include "core/system/Flag.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using korvane::testing::ScopedEnv;
using korvane::testing::TempTree;
using Clock = std::chrono::steady_clock;

int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

// True once the process is gone or only a zombie left to its new parent.
bool processGone(pid_t pid) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        if (!stat) return true;
        std::string line;
        std::getline(stat, line);
        auto close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z') return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

pid_t readPid(const std::string& path) {
    std::ifstream in(path);
    long pid = 0;
    in >> pid;
    return static_cast<pid_t>(pid);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = tree.folder("home");
        bin1 = tree.folder("bin1");
        bin2 = tree.folder("bin2");
        Paths::setHomeForTesting(home);
        Shell::setSearchDirectoriesForTesting(std::vector<std::string>{bin1, bin2, "/usr/bin", "/bin"});
    }
    void TearDown() override {
        Shell::setSearchDirectoriesForTesting(std::nullopt);
        Shell::setOutputLimitForTesting(std::nullopt);
        Paths::setHomeForTesting(std::nullopt);
    }

    std::string tool(const std::string& folder, const std::string& name, const std::string& body) {
        std::string path = folder + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0755);
        return path;
    }

    TempTree tree;
    std::string home, bin1, bin2;
};

TEST_F(ShellTest, StandardSearchFoldersEndWithTheHomeToolFolders) {
    Shell::setSearchDirectoriesForTesting(std::nullopt);
    std::vector<std::string> expected{"/opt/homebrew/bin",
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
    EXPECT_EQ(Shell::searchDirectories(), expected);

    // A tool in the last folder is found, and sees PATH = the folders joined.
    tree.folder("home/.local/bin");
    tool(home + "/.local/bin", "korvane-print-path", "printf '%s|%s' \"$PATH\" \"$KORVANE_PROBE\"");
    ScopedEnv probe("KORVANE_PROBE", "kept");
    ScopedEnv path("PATH", "/nowhere");
    Shell::Result result = Shell::run("korvane-print-path", {}, 10);
    std::string joined;
    for (const auto& folder : expected) joined += (joined.empty() ? "" : ":") + folder;
    EXPECT_EQ(result.stdout, joined + "|kept");
    EXPECT_EQ(result.status, 0);
}

TEST_F(ShellTest, FirstFolderWinsAndOnlyExecutableFilesCount) {
    tool(bin2, "both", "echo two");
    tool(bin1, "both", "echo one");
    EXPECT_EQ(Shell::resolve("both"), bin1 + "/both");
    EXPECT_EQ(Shell::run("both", {}, 10).stdout, "one\n");

    std::string plain = tool(bin1, "not-executable", "echo one");
    chmod(plain.c_str(), 0644);
    tool(bin2, "not-executable", "echo two");
    tree.folder("bin1/a-folder");
    tool(bin2, "a-folder", "echo two");
    EXPECT_EQ(Shell::resolve("not-executable"), bin2 + "/not-executable");
    EXPECT_EQ(Shell::resolve("a-folder"), bin2 + "/a-folder");

    // Names are names, never paths.
    EXPECT_FALSE(Shell::resolve("../bin1/both"));
    EXPECT_FALSE(Shell::resolve(bin1 + "/both"));
    EXPECT_FALSE(Shell::resolve(""));
}

TEST_F(ShellTest, ResolutionsAreRememberedUntilTheCacheIsCleared) {
    EXPECT_FALSE(Shell::resolve("late-tool"));
    tool(bin1, "late-tool", "echo here");
    EXPECT_FALSE(Shell::resolve("late-tool"));
    EXPECT_THROW(Shell::run("late-tool", {}, 10), Shell::ShellError);
    Shell::clearResolutionCache();
    EXPECT_EQ(Shell::resolve("late-tool"), bin1 + "/late-tool");
    EXPECT_EQ(Shell::run("late-tool", {}, 10).stdout, "here\n");
}

TEST_F(ShellTest, MissingToolIsNotFound) {
    int before = openDescriptors();
    try {
        Shell::run("korvane-no-such-tool", {"x"}, 10);
        FAIL() << "no error";
    } catch (const Shell::ShellError& error) {
        EXPECT_EQ(error.kind(), Shell::ShellError::Kind::notFound);
        EXPECT_EQ(error.tool(), "korvane-no-such-tool");
        EXPECT_EQ(error.description(),
                  "\u201Ckorvane-no-such-tool\u201D is not installed, or is not where Korvane expected it.");
        EXPECT_STREQ(error.what(), error.description().c_str());
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(ShellTest, NonZeroExitComesBackWithItsOutput) {
    tool(bin1, "failing", "echo partial; echo 'went wrong' >&2; exit 3");
    Shell::Result result = Shell::run("failing", {}, 10);
    EXPECT_EQ(result, (Shell::Result{3, "partial\n", "went wrong\n"}));

    tool(bin1, "killed", "kill -9 $$");
    EXPECT_EQ(Shell::run("killed", {}, 10).status, SIGKILL);
}

TEST_F(ShellTest, ArgumentsPassUnchangedAndInputIsEmpty) {
    tool(bin1, "echo-args", "printf '[%s]' \"$@\"; cat");
    Shell::Result result = Shell::run("echo-args", {"a b", "", "it's", "$HOME", "x\ny", "*", ";rm -rf /"}, 10);
    EXPECT_EQ(result.stdout, "[a b][][it's][$HOME][x\ny][*][;rm -rf /]");
    EXPECT_EQ(result.status, 0);
}

TEST_F(ShellTest, SlowToolTimesOutAndIsGone) {
    std::string pidFile = tree.path("pid");
    tool(bin1, "sleeper", "echo $$ > '" + pidFile + "'; exec sleep 30");
    int before = openDescriptors();
    try {
        Shell::run("sleeper", {}, 0.3);
        FAIL() << "no time-out";
    } catch (const Shell::ShellError& error) {
        EXPECT_EQ(error.kind(), Shell::ShellError::Kind::timedOut);
        EXPECT_EQ(error.description(), "\u201Csleeper\u201D did not respond in time.");
    }
    EXPECT_EQ(openDescriptors(), before);
    pid_t pid = readPid(pidFile);
    ASSERT_GT(pid, 0);
    // Reaped by the call: the id no longer names our child.
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);

    // No time at all still launches and then times out.
    for (double limit : {0.0, -1.0, std::nan("")})
        EXPECT_THROW(Shell::run("sleeper", {}, limit), Shell::ShellError);
}

TEST_F(ShellTest, CancelScopeStopsARunningToolAndLaunchesNoMore) {
    std::string pidFile = tree.path("pid");
    tool(bin1, "sleeper", "echo $$ > '" + pidFile + ".tmp'; mv '" + pidFile + ".tmp' '" + pidFile +
                              "'; exec sleep 30");
    Flag cancel;
    int before = openDescriptors();
    {
        Shell::CancelScope scope(cancel);
        // Another thread cancels once the tool is running.
        std::thread canceller([&] {
            for (int i = 0; i < 4000 && access(pidFile.c_str(), F_OK) != 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            cancel.setValue(true);
        });
        try {
            Shell::run("sleeper", {}, 120);
            ADD_FAILURE() << "the tool ran to its end";
        } catch (const Shell::ShellError& error) {
            EXPECT_EQ(error.kind(), Shell::ShellError::Kind::cancelled);
            EXPECT_EQ(error.description(), "\u201Csleeper\u201D was stopped before it finished.");
        }
        canceller.join();
        pid_t pid = readPid(pidFile);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(kill(pid, 0), -1);
        EXPECT_EQ(errno, ESRCH);

        // Once cancelled, nothing more is launched.
        std::remove(pidFile.c_str());
        EXPECT_THROW(Shell::run("sleeper", {}, 120), Shell::ShellError);
        EXPECT_NE(access(pidFile.c_str(), F_OK), 0);
    }
    EXPECT_EQ(openDescriptors(), before);

    // The flag means nothing outside its scope, nor on another thread.
    tool(bin1, "quick", "echo done");
    EXPECT_EQ(Shell::run("quick", {}, 10).stdout, "done\n");
    Shell::CancelScope scope(cancel);
    std::string elsewhere;
    std::thread other([&] { elsewhere = Shell::run("quick", {}, 10).stdout; });
    other.join();
    EXPECT_EQ(elsewhere, "done\n");
}

TEST_F(ShellTest, ToolIgnoringTerminateIsKilledWithItsHelpers) {
    std::string pidFile = tree.path("pid");
    std::string helperFile = tree.path("helper");
    tool(bin1, "stubborn",
         "trap '' TERM; sleep 60 & echo $! > '" + helperFile + "'; echo $$ > '" + pidFile +
             "'; while :; do sleep 1; done");
    auto start = Clock::now();
    EXPECT_THROW(Shell::run("stubborn", {}, 0.5), Shell::ShellError);
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    // SIGKILL comes only after the 2-second grace, and the call is bounded.
    EXPECT_GE(elapsed, 2.4);
    EXPECT_LT(elapsed, 15.0);
    EXPECT_TRUE(processGone(readPid(pidFile)));
    EXPECT_TRUE(processGone(readPid(helperFile)));
}

TEST_F(ShellTest, LargeOutputOnBothStreamsDoesNotBlock) {
    tool(bin1, "flood", "head -c 52428800 /dev/zero | tr '\\0' a");
    Shell::Result result = Shell::run("flood", {}, 60);
    EXPECT_EQ(result.status, 0);
    ASSERT_EQ(result.stdout.size(), 52428800u);
    EXPECT_EQ(result.stdout.find_first_not_of('a'), std::string::npos);

    tool(bin1, "both-streams", "yes out | head -c 4000000 & yes err | head -c 3000000 >&2; wait");
    result = Shell::run("both-streams", {}, 60);
    EXPECT_EQ(result.stdout.size(), 4000000u);
    EXPECT_EQ(result.stderr.size(), 3000000u);
}

TEST_F(ShellTest, OutputBeyondTheLimitIsDropped) {
    Shell::setOutputLimitForTesting(1000);
    tool(bin1, "chatty", "head -c 2000 /dev/zero | tr '\\0' a; echo fine >&2");
    Shell::Result result = Shell::run("chatty", {}, 10);
    EXPECT_EQ(result, (Shell::Result{0, "", "fine\n"}));
}

TEST_F(ShellTest, InvalidUtf8GivesEmptyText) {
    tool(bin1, "bytes", "printf \"$1\"; printf \"$2\" >&2");
    auto run = [](const char* out, const char* err) { return Shell::run("bytes", {out, err}, 10); };
    EXPECT_EQ(run("\\377abc", "caf\\303\\251").stdout, "");
    EXPECT_EQ(run("\\377abc", "caf\\303\\251").stderr, "caf\xC3\xA9");
    EXPECT_EQ(run("\\300\\200", "").stdout, "");          // overlong
    EXPECT_EQ(run("\\355\\240\\200", "").stdout, "");     // surrogate
    EXPECT_EQ(run("\\364\\220\\200\\200", "").stdout, "");  // above U+10FFFF
    EXPECT_EQ(run("ab\\303", "").stdout, "");             // cut short
    EXPECT_EQ(run("\\360\\237\\230\\200", "").stdout, "\xF0\x9F\x98\x80");
}

TEST_F(ShellTest, ConcurrentRunsDoNotHoldEachOthersPipes) {
    tool(bin1, "long", "sleep 2; echo long");
    tool(bin1, "short", "sleep 0.1; echo \"$1\"");
    std::atomic<bool> longFinished{false};
    std::thread longRun([&] {
        EXPECT_EQ(Shell::run("long", {}, 30).stdout, "long\n");
        longFinished = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    constexpr int runs = 9;
    std::vector<std::string> outputs(runs);
    // One byte per run: the bits of a vector<bool> share words, so writes
    // from several threads would race.
    std::vector<char> beforeLong(runs, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < runs; ++i)
        threads.emplace_back([&, i] {
            outputs[static_cast<std::size_t>(i)] = Shell::run("short", {std::to_string(i)}, 30).stdout;
            beforeLong[static_cast<std::size_t>(i)] = !longFinished;
        });
    for (auto& thread : threads) thread.join();
    longRun.join();
    for (int i = 0; i < runs; ++i) {
        EXPECT_EQ(outputs[static_cast<std::size_t>(i)], std::to_string(i) + "\n");
        // A short run that inherited the long run's pipe would wait for it.
        EXPECT_TRUE(beforeLong[static_cast<std::size_t>(i)]) << i;
    }
}

TEST_F(ShellTest, ToolHoldsNoOtherCopyOfItsPipes) {
    // Each line: "fd target". Extra copies of the run's pipes in the tool (or
    // in a tool launched at the same moment) would keep end of file away.
    tool(bin1, "list-fds", "cd /proc/$$/fd && for f in *; do echo \"$f $(readlink $f)\"; done");
    Shell::Result result = Shell::run("list-fds", {}, 10);
    ASSERT_EQ(result.status, 0);
    std::map<std::string, int> uses;
    std::string outTarget, errTarget, inTarget;
    std::istringstream lines(result.stdout);
    for (std::string line; std::getline(lines, line);) {
        auto space = line.find(' ');
        std::string fd = line.substr(0, space), target = line.substr(space + 1);
        uses[target] += 1;
        if (fd == "0") inTarget = target;
        if (fd == "1") outTarget = target;
        if (fd == "2") errTarget = target;
    }
    EXPECT_EQ(inTarget, "/dev/null");
    EXPECT_EQ(outTarget.rfind("pipe:", 0), 0u) << outTarget;
    EXPECT_EQ(errTarget.rfind("pipe:", 0), 0u) << errTarget;
    EXPECT_NE(outTarget, errTarget);
    EXPECT_EQ(uses[outTarget], 1);
    EXPECT_EQ(uses[errTarget], 1);
}

TEST_F(ShellTest, LaunchFailureIsThrownAndLeavesNothingOpen) {
    std::string path = bin1 + "/garbage";
    std::ofstream(path) << "\x01\x02 not a program";
    chmod(path.c_str(), 0755);
    int before = openDescriptors();
    EXPECT_THROW(Shell::run("garbage", {}, 10), std::system_error);
    EXPECT_EQ(openDescriptors(), before);

    // Resolved once, then removed: the launch fails, it is not "not found".
    tool(bin1, "vanishing", "echo hi");
    ASSERT_TRUE(Shell::resolve("vanishing"));
    unlink((bin1 + "/vanishing").c_str());
    EXPECT_THROW(Shell::run("vanishing", {}, 10), std::system_error);
}

}  // namespace
}  // namespace korvane
