#include "core/system/Paths.h"

#include "core/text/PathText.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

std::optional<std::string> passwordHome(const char* user) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    int rc = user ? getpwnam_r(user, &entry, buffer.data(), buffer.size(), &result)
                  : getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result);
    if (rc != 0 || result == nullptr || result->pw_dir == nullptr || result->pw_dir[0] == '\0') return std::nullopt;
    return std::string(result->pw_dir);
}

struct HomeState {
    std::mutex lock;
    bool loaded = false;
    std::string home;
    bool usable = false;
    std::optional<std::string> override;
};

HomeState& state() {
    static HomeState instance;
    return instance;
}

// Reads and checks the home folder; the caller holds the lock.
void load(HomeState& s) {
    if (s.loaded) return;
    std::string raw;
    if (s.override) {
        raw = *s.override;
    } else if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
        raw = env;
    } else if (auto fromDatabase = passwordHome(nullptr)) {
        raw = *fromDatabase;
    }
    s.home = raw.empty() ? "/" : PathText::lexicallyStandardised(raw);
    struct stat info {};
    s.usable = !raw.empty() && raw.front() == '/' && s.home != "/" &&
               ::stat(s.home.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    s.loaded = true;
}

}  // namespace

std::string Paths::home() {
    auto& s = state();
    std::lock_guard guard(s.lock);
    load(s);
    return s.home;
}

bool Paths::homeIsUsable() {
    auto& s = state();
    std::lock_guard guard(s.lock);
    load(s);
    return s.usable;
}

void Paths::setHomeForTesting(std::optional<std::string> home) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    s.override = std::move(home);
    s.loaded = false;
}

void Paths::reset() {
    auto& s = state();
    std::lock_guard guard(s.lock);
    s.loaded = false;
}

std::string Paths::homeJoined(std::initializer_list<std::string_view> parts) {
    std::string path = home();
    for (auto part : parts) path = join(path, part);
    return PathText::lexicallyStandardised(path);
}

bool Paths::isValid(std::string_view path) { return path.find('\0') == std::string_view::npos; }

std::optional<std::string> Paths::standardise(std::string_view path) {
    if (!isValid(path)) return std::nullopt;
    if (!path.empty() && path.front() == '~') {
        std::size_t slash = path.find('/');
        std::string_view user = path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1);
        std::string_view rest = slash == std::string_view::npos ? std::string_view{} : path.substr(slash);
        std::optional<std::string> base = user.empty() ? std::optional<std::string>(home())
                                                       : passwordHome(std::string(user).c_str());
        if (base) return PathText::lexicallyStandardised(*base + std::string(rest));
    }
    return PathText::lexicallyStandardised(path);
}

std::string Paths::join(std::string_view base, std::string_view component) {
    while (!component.empty() && component.front() == '/') component.remove_prefix(1);
    if (component.empty()) return std::string(base);
    if (base.empty()) return std::string(component);
    // Sized once: scans keep millions of these.
    std::string result;
    result.reserve(base.size() + 1 + component.size());
    result += base;
    if (result.back() != '/') result += '/';
    result += component;
    return result;
}

std::string Paths::lastComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    if (path == "/") return "/";
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string Paths::parent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string_view Paths::extension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

std::string Paths::withoutExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::string(name);
    return std::string(name.substr(0, dot));
}

bool Paths::isAtOrBelow(std::string_view path, std::string_view folder) {
    if (path == folder) return true;
    if (folder.empty()) return false;
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path.size() > folder.size() && path.substr(0, folder.size()) == folder && path[folder.size()] == '/';
}

std::string Paths::abbreviatingHome(std::string_view path) {
    if (!homeIsUsable()) return std::string(path);
    std::string homePath = home();
    if (path == homePath) return "~";
    if (isAtOrBelow(path, homePath)) return "~" + std::string(path.substr(homePath.size()));
    return std::string(path);
}

}  // namespace korvane
