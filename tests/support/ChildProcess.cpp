#include "tests/support/ChildProcess.h"

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace korvane::testing {

namespace {

constexpr int kSetupFailed = 100;

bool setUp(const ChildSetup& setup) {
    if (setup.ownMounts) {
        if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0) return false;
        // Mounts made here must not reach the rest of the system.
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    }
    if (setup.unprivileged && geteuid() == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
            setresuid(kNobody, kNobody, kNobody) != 0)
            return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> runInChild(const ChildSetup& setup, const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0) return std::nullopt;
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        close(fds[0]);
        if (!setUp(setup)) _exit(kSetupFailed);
        const std::string text = body();
        std::size_t done = 0;
        while (done < text.size()) {
            ssize_t n = write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0) _exit(1);
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return "child crashed";
    if (WEXITSTATUS(status) == kSetupFailed) return std::nullopt;
    if (WEXITSTATUS(status) != 0) return "child failed to report";
    return text;
}

bool handToUnprivileged(const std::string& root) {
    if (geteuid() != 0) return true;
    return std::system(("chown -R 65534:65534 '" + root + "'").c_str()) == 0;
}

}  // namespace korvane::testing
