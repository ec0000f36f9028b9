#include "core/system/ToolPlaces.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>

#include "core/system/Paths.h"

namespace korvane {

namespace {

std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    auto standardised = Paths::standardise(value);
    if (!standardised || standardised->empty()) return std::nullopt;
    return standardised;
}

bool somethingAt(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

bool ToolPlaces::isPlainPath(const std::string& path) {
    return !path.empty() && path.front() == '/' && Paths::isValid(path) &&
           path.find('*') == std::string::npos;
}

std::string ToolPlaces::cacheHome() { return cacheHomeFor(Paths::home()); }

std::string ToolPlaces::cacheHomeFor(const std::string& home) {
    if (auto cache = absoluteVariable("XDG_CACHE_HOME");
        cache && *cache != home && Paths::isAtOrBelow(*cache, home) && isPlainPath(*cache))
        return *cache;
    return Paths::join(home, ".cache");
}

std::string ToolPlaces::temporaryDirectory() {
    // Node's os.tmpdir(), which the packager asks, honours TMPDIR the same way.
    return absoluteVariable("TMPDIR").value_or("/tmp");
}

std::optional<std::string> ToolPlaces::environmentSdkRoot() {
    // ANDROID_SDK_ROOT is the older name: asked only when ANDROID_HOME is not
    // set at all, even if ANDROID_HOME names nothing.
    const char* home = std::getenv("ANDROID_HOME");
    const char* value = home != nullptr ? home : std::getenv("ANDROID_SDK_ROOT");
    if (value == nullptr || *value == '\0') return std::nullopt;
    std::string path = value;
    if (path.front() != '/') {
        std::array<char, PATH_MAX> cwd{};
        if (::getcwd(cwd.data(), cwd.size()) == nullptr) return std::nullopt;
        path = Paths::join(cwd.data(), path);
    }
    auto standardised = Paths::standardise(path);
    if (!standardised || !somethingAt(*standardised)) return std::nullopt;
    return standardised;
}

}  // namespace korvane
