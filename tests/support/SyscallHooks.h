#pragma once

#include <functional>
#include <string>

namespace korvane::testing {

// Lets a test change the file system at an exact moment inside the code under
// test, as a concurrent process could: the test binary's own unlinkat,
// renameat2 and fsync stand in front of the system's and run an armed action once.

// Runs `action` right after the next successful unlinkat of an entry named `name`.
void afterNextUnlink(const std::string& name, std::function<void()> action);
// Runs `action` right before the next renameat2 of an entry named `name`.
void beforeNextRename(const std::string& name, std::function<void()> action);
// Runs `action` right after the next successful fsync, of any descriptor.
void afterNextFsync(std::function<void()> action);
// Forgets armed actions that did not run.
void disarmSyscallHooks();

}  // namespace korvane::testing
