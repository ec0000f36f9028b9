#include "core/system/DirectoryReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/system/PseudoFileSystems.h"

namespace korvane {

UniqueFd DirectoryReader::openFolder(const std::string& path, bool followLink) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    return UniqueFd(::open(path.c_str(), flags));
}

DirectoryReader& DirectoryReader::operator=(DirectoryReader&& other) noexcept {
    folder_ = std::move(other.folder_);
    owned_ = std::move(other.owned_);
    buffer_ = std::exchange(other.buffer_, nullptr);
    filled_ = std::exchange(other.filled_, 0);
    offset_ = std::exchange(other.offset_, 0);
    ended_ = std::exchange(other.ended_, true);
    error_ = std::exchange(other.error_, 0);
    return *this;
}

void DirectoryReader::reset(UniqueFd folder) {
    folder_ = std::move(folder);
    filled_ = 0;
    offset_ = 0;
    ended_ = !folder_.valid();
    error_ = 0;
}

void DirectoryReader::rewind() {
    filled_ = offset_ = 0;
    error_ = 0;
    ended_ = !folder_.valid() || ::lseek(folder_.get(), 0, SEEK_SET) != 0;
}

bool DirectoryReader::refill() {
    if (ended_) return false;
    if (!buffer_) {
        owned_ = std::make_unique_for_overwrite<char[]>(bufferSize);
        buffer_ = owned_.get();
    }
    long count;
    do {
        count = ::syscall(SYS_getdents64, folder_.get(), buffer_, bufferSize);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        ended_ = true;
        error_ = count < 0 ? errno : 0;
        filled_ = offset_ = 0;
        return false;
    }
    filled_ = static_cast<std::size_t>(count);
    offset_ = 0;
    return true;
}

UniqueFd DirectoryReader::openChild(const char* name) const {
    return UniqueFd(::openat(folder_.get(), name, childFlags));
}

bool DirectoryReader::isPseudoFileSystemAt(dev_t device, dev_t parentDevice) const {
    return device != parentDevice && isPseudoFileSystem(folder_.get());
}

}  // namespace korvane
