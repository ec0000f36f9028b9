#include "tests/support/SyscallHooks.h"

#include <dlfcn.h>
#include <stdio.h>
#include <unistd.h>

#include <mutex>
#include <utility>

namespace korvane::testing {

namespace {

struct Hook {
    std::string name;
    std::function<void()> action;
};

std::mutex hookMutex;
Hook unlinkHook;
Hook renameHook;
Hook fsyncHook;

// Takes the action out before it runs, so that the action's own calls do not
// run it again.
// A hook armed without a name runs on the next call whatever it names.
std::function<void()> take(Hook& hook, const char* name) {
    std::lock_guard lock(hookMutex);
    if (!hook.action || (!hook.name.empty() && (name == nullptr || hook.name != name))) return {};
    return std::exchange(hook.action, {});
}

template <class Function>
Function systemFunction(const char* symbol) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, symbol));
}

}  // namespace

void afterNextUnlink(const std::string& name, std::function<void()> action) {
    std::lock_guard lock(hookMutex);
    unlinkHook = {name, std::move(action)};
}

void beforeNextRename(const std::string& name, std::function<void()> action) {
    std::lock_guard lock(hookMutex);
    renameHook = {name, std::move(action)};
}

void afterNextFsync(std::function<void()> action) {
    std::lock_guard lock(hookMutex);
    fsyncHook = {"", std::move(action)};
}

void disarmSyscallHooks() {
    std::lock_guard lock(hookMutex);
    unlinkHook = {};
    renameHook = {};
    fsyncHook = {};
}

}  // namespace korvane::testing

extern "C" int unlinkat(int dirfd, const char* path, int flags) noexcept {
    using Function = int (*)(int, const char*, int);
    static const Function system = korvane::testing::systemFunction<Function>("unlinkat");
    const int result = system(dirfd, path, flags);
    if (result == 0) {
        if (auto action = korvane::testing::take(korvane::testing::unlinkHook, path)) action();
    }
    return result;
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) noexcept {
    using Function = int (*)(int, const char*, int, const char*, unsigned int);
    static const Function system = korvane::testing::systemFunction<Function>("renameat2");
    if (auto action = korvane::testing::take(korvane::testing::renameHook, from)) action();
    return system(fromDir, from, toDir, to, flags);
}

extern "C" int fsync(int fd) {
    using Function = int (*)(int);
    static const Function system = korvane::testing::systemFunction<Function>("fsync");
    const int result = system(fd);
    if (result == 0) {
        if (auto action = korvane::testing::take(korvane::testing::fsyncHook, nullptr)) action();
    }
    return result;
}
