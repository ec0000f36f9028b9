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

namespace {

// The kernel pads each record to eight bytes after the name's NUL, so the
// NUL is among the record's last eight bytes: the first zero byte there that
// belongs to the name ends it.
std::size_t nameLength(const struct dirent64* record) {
    const std::size_t room = record->d_reclen - offsetof(struct dirent64, d_name);
    std::uint64_t word;
    std::memcpy(&word, reinterpret_cast<const char*>(record) + record->d_reclen - 8, sizeof word);
    if (room < 8) word |= (std::uint64_t{1} << 8 * (8 - room)) - 1;  // header bytes, not the name
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    const std::uint64_t zeros = (word - 0x0101010101010101ULL) & ~word & 0x8080808080808080ULL;
    return room - 8 + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
}

}  // namespace

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

bool DirectoryReader::next(Entry& entry) {
    while (true) {
        if (offset_ >= filled_) {
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
        }
        // glibc's dirent64 has the kernel's record layout.
        const auto* record = reinterpret_cast<const struct dirent64*>(buffer_ + offset_);
        offset_ += record->d_reclen;
        const char* name = record->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        entry.name = name;
        entry.length = nameLength(record);
        entry.type = record->d_type;
        return true;
    }
}

UniqueFd DirectoryReader::openChild(const char* name) const {
    return UniqueFd(::openat(folder_.get(), name, childFlags));
}

bool DirectoryReader::isPseudoFileSystemAt(dev_t device, dev_t parentDevice) const {
    return device != parentDevice && isPseudoFileSystem(folder_.get());
}

}  // namespace korvane
