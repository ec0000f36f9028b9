#include "core/system/FileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace korvane {

namespace {

int readFlags(FileContents::Links links) {
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    return links == FileContents::Links::refuse ? flags | O_NOFOLLOW : flags;
}

// Reads the open descriptor to its end and closes it.
std::optional<std::string> readAndClose(int fd, std::int64_t maxBytes) {
    if (fd < 0) return std::nullopt;
    std::optional<std::string> contents;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        std::string data;
        data.reserve(static_cast<std::size_t>(st.st_size));
        std::array<char, 65536> buffer{};
        bool failed = false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                failed = true;
                break;
            }
            if (n == 0) break;
            data.append(buffer.data(), static_cast<std::size_t>(n));
            if (static_cast<std::int64_t>(data.size()) > maxBytes) {
                failed = true;
                break;
            }
        }
        if (!failed) contents = std::move(data);
    }
    ::close(fd);
    return contents;
}

}  // namespace

std::optional<std::string> FileContents::readSmall(const std::string& path, std::int64_t maxBytes,
                                                   Links links) {
    return readAndClose(::open(path.c_str(), readFlags(links)), maxBytes);
}

std::optional<std::string> FileContents::readSmallAt(int folderFd, const char* name, std::int64_t maxBytes,
                                                     Links links) {
    return readAndClose(::openat(folderFd, name, readFlags(links)), maxBytes);
}

bool FileContents::writeAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace korvane
