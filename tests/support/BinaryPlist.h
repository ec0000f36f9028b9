#pragma once

// Binary property lists for tests that write the files tools keep their
// settings in. Include only where libplist is linked.

#include <plist/plist.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvane::testing {

// The binary form of `root`, which is freed.
inline std::string binaryPlist(plist_t root) {
    char* data = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &data, &length);
    std::string bytes(data, length);
    plist_to_bin_free(data);
    plist_free(root);
    return bytes;
}

// A binary list put together object by object, for shapes libplist would
// never write: strings holding NUL, shared or looping references, deep
// nesting. References and offsets are four bytes wide.
class RawBinaryPlist {
public:
    // Each returns the new object's index.
    std::uint32_t ascii(const std::string& text) { return add(marker(0x5, text.size()) + text); }
    std::uint32_t utf16(const std::u16string& text) {
        std::string units;
        for (char16_t unit : text) {
            units += static_cast<char>(unit >> 8);
            units += static_cast<char>(unit & 0xFF);
        }
        return add(marker(0x6, text.size()) + units);
    }
    std::uint32_t array(const std::vector<std::uint32_t>& members) {
        return add(marker(0xA, members.size()) + references(members));
    }
    std::uint32_t dict(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs) {
        std::vector<std::uint32_t> keys;
        std::vector<std::uint32_t> values;
        for (const auto& [key, value] : pairs) {
            keys.push_back(key);
            values.push_back(value);
        }
        return add(marker(0xD, pairs.size()) + references(keys) + references(values));
    }
    // A placeholder whose content comes later (for loops).
    std::uint32_t reserve() { return add({}); }
    void setArray(std::uint32_t index, const std::vector<std::uint32_t>& members) {
        objects_[index] = marker(0xA, members.size()) + references(members);
    }

    // The list with `top` as its top object.
    std::string bytes(std::uint32_t top) const {
        std::string out = "bplist00";
        std::vector<std::uint32_t> offsets;
        for (const auto& object : objects_) {
            offsets.push_back(static_cast<std::uint32_t>(out.size()));
            out += object;
        }
        const std::uint64_t table = out.size();
        for (std::uint32_t offset : offsets) out += bigEndian(offset, 4);
        out += std::string(6, '\0');
        out += '\4';  // offset width
        out += '\4';  // reference width
        out += bigEndian(objects_.size(), 8) + bigEndian(top, 8) + bigEndian(table, 8);
        return out;
    }

private:
    static std::string bigEndian(std::uint64_t value, int width) {
        std::string out;
        for (int i = width - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    }
    static std::string marker(unsigned type, std::size_t count) {
        if (count < 0xF) return std::string(1, static_cast<char>(type << 4 | count));
        return std::string(1, static_cast<char>(type << 4 | 0xF)) + '\x13' + bigEndian(count, 8);
    }
    static std::string references(const std::vector<std::uint32_t>& targets) {
        std::string out;
        for (std::uint32_t target : targets) out += bigEndian(target, 4);
        return out;
    }
    std::uint32_t add(std::string object) {
        objects_.push_back(std::move(object));
        return static_cast<std::uint32_t>(objects_.size() - 1);
    }

    std::vector<std::string> objects_;
};

}  // namespace korvane::testing
