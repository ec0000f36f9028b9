#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/system/DirectoryReader.h"

namespace korvane {

// A run of a folder's listing that a worker reading a wide folder hands to an
// idle one beside the queue's other jobs: one folder of thousands of files
// must not leave the others waiting at the end of a scan.
class ListingShare {
public:
    // A worker offers shares after every `interval` entries it reads, each
    // of at most `size` entries: about a tenth of a millisecond of work.
    static constexpr std::uint32_t interval = 128;
    static constexpr std::uint32_t size = 128;

    // Takes the next entries of `reader` that `skip` does not refuse, at
    // most `size`; returns how many.
    template <class Skip>
    std::uint32_t fill(DirectoryReader& reader, Skip&& skip) {
        std::uint32_t count = 0;
        DirectoryReader::Entry listed;
        while (count < size && reader.next(listed)) {
            if (skip(listed.name)) continue;
            entries_ += static_cast<char>(listed.type);
            entries_.append(listed.name, listed.length).push_back('\0');
            ++count;
        }
        return count;
    }

    bool empty() const { return entries_.empty(); }

    // Calls `visit(name, type)` for each entry in listing order while it
    // returns true; each name ends in a NUL.
    template <class Visit>
    void forEach(Visit&& visit) const {
        for (std::size_t at = 0; at < entries_.size();) {
            const auto type = static_cast<unsigned char>(entries_[at]);
            const std::string_view name(entries_.data() + at + 1);
            at += 2 + name.size();
            if (!visit(name, type)) return;
        }
    }

private:
    // Each entry's type byte, then its NUL-terminated name.
    std::string entries_;
};

}  // namespace korvane
