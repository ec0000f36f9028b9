#include "tests/support/TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <ctime>

namespace korvane::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
    std::string base = fs::temp_directory_path().string() + "/korvane-test-XXXXXX";
    if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    // Resolve so that tests compare against the same form the code standardises to.
    root_ = fs::canonical(base).string();
}

TempTree::~TempTree() {
    // Restore permissions that tests removed, so the tree can be deleted.
    std::string command = "chmod -R u+rwx '" + root_ + "' 2>/dev/null; rm -rf '" + root_ + "'";
    if (std::system(command.c_str()) != 0) {
    }
}

std::string TempTree::path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "/" + relative;
}

std::string TempTree::file(const std::string& relative, std::size_t bytes, char fill) {
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    std::string block(4096, fill);
    while (bytes > 0) {
        std::size_t n = bytes < block.size() ? bytes : block.size();
        out.write(block.data(), static_cast<std::streamsize>(n));
        bytes -= n;
    }
    return full;
}

std::string TempTree::text(const std::string& relative, const std::string& contents) {
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << contents;
    return full;
}

std::string TempTree::folder(const std::string& relative) {
    std::string full = path(relative);
    fs::create_directories(full);
    return full;
}

std::string TempTree::symlink(const std::string& relative, const std::string& target) {
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    if (::symlink(target.c_str(), full.c_str()) != 0) throw std::runtime_error("symlink failed: " + full);
    return full;
}

std::string TempTree::hardlink(const std::string& relative, const std::string& existingRelative) {
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    if (::link(path(existingRelative).c_str(), full.c_str()) != 0)
        throw std::runtime_error("link failed: " + full);
    return full;
}

void TempTree::age(const std::string& relative, double secondsAgo) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    struct timespec times[2];
    times[0].tv_sec = now.tv_sec - static_cast<time_t>(secondsAgo);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("utimensat failed: " + relative);
}

static void walk(const std::string& root, const std::string& relative, const std::string& except,
                 Fingerprint& out) {
    std::string full = relative.empty() ? root : root + "/" + relative;
    if (!except.empty() && (full == except || full.rfind(except + "/", 0) == 0)) return;
    struct stat st {};
    if (lstat(full.c_str(), &st) != 0) return;
    std::string line = std::to_string(st.st_mode) + " " + std::to_string(st.st_ino) + " " +
                       std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                       std::to_string(st.st_mtim.tv_nsec);
    if (S_ISLNK(st.st_mode)) {
        std::array<char, 4096> target{};
        ssize_t n = readlink(full.c_str(), target.data(), target.size() - 1);
        if (n > 0) line += " -> " + std::string(target.data(), static_cast<std::size_t>(n));
    }
    out[relative.empty() ? "." : relative] = line;
    if (!S_ISDIR(st.st_mode)) return;
    DIR* dir = opendir(full.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        walk(root, relative.empty() ? name : relative + "/" + name, except, out);
    }
    closedir(dir);
}

Fingerprint fingerprint(const std::string& root, const std::string& except) {
    Fingerprint out;
    walk(root, "", except, out);
    return out;
}

std::int64_t duBytes(const std::string& path, bool sameFileSystem) {
    std::string command = std::string(sameFileSystem ? "du -sx" : "du -s") + " -B1 '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    long long bytes = -1;
    if (fscanf(pipe, "%lld", &bytes) != 1) bytes = -1;
    pclose(pipe);
    return bytes;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) previous_ = old;
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (previous_) setenv(name_.c_str(), previous_->c_str(), 1);
    else unsetenv(name_.c_str());
}

}  // namespace korvane::testing
