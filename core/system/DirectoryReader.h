#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "core/system/UniqueFd.h"

namespace korvane {

// Reads the entries of one open folder at a time straight from the kernel
// (getdents64) into a buffer it keeps between folders, so a walk that reuses
// one reader per depth allocates nothing per folder. "." and ".." are never
// returned.
class DirectoryReader {
public:
    // Open flags of a folder met during a walk: a link is never followed.
    static constexpr int childFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

    struct Entry {
        const char* name = nullptr;  // NUL-terminated; valid until the next call of next()
        std::size_t length = 0;      // of `name`, without the NUL
        unsigned char type = 0;      // DT_DIR, DT_REG, ... or DT_UNKNOWN when the file system does not say
    };

    DirectoryReader() = default;
    explicit DirectoryReader(UniqueFd folder) { reset(std::move(folder)); }
    // Reads into `buffer` (bufferSize bytes, which the caller keeps alive
    // for the reader's life) instead of allocating one; none: its own.
    explicit DirectoryReader(char* buffer) : buffer_(buffer) {}
    // The buffer moves along; the moved-from reader would get a new one.
    DirectoryReader(DirectoryReader&& other) noexcept { *this = std::move(other); }
    DirectoryReader& operator=(DirectoryReader&& other) noexcept;

    // Opens `path` as a folder; a link to a folder is followed only when asked.
    static UniqueFd openFolder(const std::string& path, bool followLink);

    // Starts on another folder (closing the previous one); the buffer stays.
    void reset(UniqueFd folder = UniqueFd());
    bool isOpen() const { return folder_.valid(); }
    int fd() const { return folder_.get(); }

    // The next entry; false at the end of the folder or when reading failed.
    // Inline: a walk calls it once for every name it meets.
    bool next(Entry& entry) {
        while (!nextBuffered(entry))
            if (!refill()) return false;
        return true;
    }
    // The next entry of those already read; false when they are used up, so
    // that the names of every entry returned so far stay valid until the
    // next call of next().
    bool nextBuffered(Entry& entry) {
        while (offset_ < filled_) {
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
        return false;
    }
    // Reading stopped on an error rather than at the end, and its errno.
    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    // Starts the same folder over, for entries that appeared while it was read.
    void rewind();

    // Opens the subfolder `name` without following a link.
    UniqueFd openChild(const char* name) const;
    // True when the folder, whose device is `device`, lies on a kernel pseudo
    // file system entered by crossing from `parentDevice`: walks never read it.
    bool isPseudoFileSystemAt(dev_t device, dev_t parentDevice) const;

    static constexpr std::size_t bufferSize = 16 * 1024;

private:
    // Reads the next records into the buffer; false at the end or on an error.
    bool refill();
    // The kernel pads each record to eight bytes after the name's NUL, so the
    // NUL is among the record's last eight bytes: the first zero byte there
    // that belongs to the name ends it.
    static std::size_t nameLength(const struct dirent64* record) {
        const std::size_t room = record->d_reclen - offsetof(struct dirent64, d_name);
        std::uint64_t word;
        std::memcpy(&word, reinterpret_cast<const char*>(record) + record->d_reclen - 8, sizeof word);
        if (room < 8) word |= (std::uint64_t{1} << 8 * (8 - room)) - 1;  // header bytes, not the name
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        const std::uint64_t zeros = (word - 0x0101010101010101ULL) & ~word & 0x8080808080808080ULL;
        return room - 8 + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
    }

    UniqueFd folder_;
    std::unique_ptr<char[]> owned_;
    char* buffer_ = nullptr;
    std::size_t filled_ = 0;
    std::size_t offset_ = 0;
    bool ended_ = false;
    int error_ = 0;
};

}  // namespace korvane
