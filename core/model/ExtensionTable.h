#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/model/FileKind.h"

namespace korvane {

// The kind of a file by its name, as classifyFileKind(name, false) says it,
// for callers that classify many names in a row: a folder scan asks for
// every file it meets. Every known extension is packed into one 64-bit word
// with its length (they are all at most seven letters) and has a slot of its
// own, so a lookup reads one slot and compares once, with no branch on the
// name that the processor would have to guess; the lookup is inline, so the
// caller's loop keeps the table at hand.
class ExtensionTable {
public:
    // Built on first use, kept for the program's life.
    static const ExtensionTable& get();

    // A file's kind: "*.app" is apps, else by its lower-cased extension;
    // hidden names without another dot and unknown extensions are any.
    FileKind kindOfFile(std::string_view name) const {
        const std::size_t size = name.size();
        if (size == 0) return FileKind::any;
        if (size < 8) return kindOfTail(shortTail(name), std::uint64_t{0x80} << 8 * (8 - size));
        // The last eight bytes as one word, the name's last byte highest.
        std::uint64_t tail;
        std::memcpy(&tail, name.data() + size - 8, sizeof tail);
        if constexpr (std::endian::native == std::endian::big) tail = __builtin_bswap64(tail);
        return kindOfTail(tail, std::uint64_t{size == 8} << 7);
    }

private:
    ExtensionTable();
    // The length and lower-cased ASCII letters of `extension`, the first
    // letter lowest; 0 when it is empty or longer than any known one.
    static std::uint64_t pack(std::string_view extension);

    static constexpr std::uint64_t ones = 0x0101010101010101ULL;
    static constexpr std::uint64_t low7 = 0x7f * ones;
    static constexpr std::uint64_t high = 0x80 * ones;
    static constexpr int slotBits = 9;

    // A name of fewer than eight bytes in the highest bytes of the word.
    static std::uint64_t shortTail(std::string_view name) {
        std::uint64_t tail = 0;
        for (std::size_t i = 0; i < name.size(); ++i)
            tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << 8 * (8 - name.size() + i);
        return tail;
    }

    // `tail` holds the last bytes of a name, whose first byte is the high
    // bit of `first` where it is among them; the last dot among them is
    // found all at once. A leading dot never starts an extension, and no
    // known one is longer than seven letters.
    FileKind kindOfTail(std::uint64_t tail, std::uint64_t first) const {
        constexpr std::uint64_t dotApp = 0x7070612eULL;  // ".app", first byte lowest
        if (tail >> 32 == dotApp) return FileKind::apps;
        // A high bit in each byte that is a dot (exact: no borrow between bytes).
        const std::uint64_t x = tail ^ ('.' * ones);
        const std::uint64_t dots = ~(((x & low7) + low7) | x) & high & ~first;
        // Eight bits for each byte after the last dot: 8 to 56 for an
        // extension, 0 for a name that ends in its dot, 64 for no dot.
        const int letterBits = std::countl_zero(dots);
        if (static_cast<unsigned>(letterBits - 8) > 48) return FileKind::any;
        std::uint64_t key = tail >> (64 - letterBits);  // the first letter lowest
        // Every known extension is lower-case letters and digits: setting
        // 0x20 in each byte that has 0x40 turns capitals into their small
        // letters, leaves small letters and digits be, and makes no letter
        // or digit of anything else, so the lookup ignores case exactly.
        key |= (key & (0x40 * ones)) >> 1;
        return find(key | static_cast<std::uint64_t>(letterBits) << 53);
    }

    FileKind find(std::uint64_t key) const {
        const std::size_t i = slotOf(key);
        return keys_[i] == key ? kinds_[i] : FileKind::any;
    }
    std::size_t slotOf(std::uint64_t key) const { return (key * multiplier_) >> (64 - slotBits); }

    std::uint64_t multiplier_ = 0;
    std::array<std::uint64_t, std::size_t{1} << slotBits> keys_{};  // 0: no extension
    std::array<FileKind, std::size_t{1} << slotBits> kinds_{};
};

}  // namespace korvane
