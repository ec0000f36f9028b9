#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

namespace korvane::testing {

// The unprivileged user that tests hand trees to when they run as root.
constexpr uid_t kNobody = 65534;

// How a forked child is set up before it runs its part of a test.
struct ChildSetup {
    // Drop to uid and gid 65534 when running as root, so that permissions
    // count (a normal user already is unprivileged).
    bool unprivileged = false;
    // A private mount namespace, so that the child's mounts vanish with it
    // (needs root).
    bool ownMounts = false;
};

// Runs `body` in a forked child set up as asked and returns the text it
// returned; no value when this machine cannot give the child that setup
// (the caller skips). The child ends with _exit, never returning into the
// test runner.
std::optional<std::string> runInChild(const ChildSetup& setup, const std::function<std::string()>& body);

// Hands a tree to the unprivileged user (owner and group 65534) when running
// as root; does nothing otherwise. False when that failed.
bool handToUnprivileged(const std::string& root);

}  // namespace korvane::testing
