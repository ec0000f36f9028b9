#pragma once

// Property lists shaped to take a reader down, for the tests of everything
// that reads device and bundle descriptions. Include only where libplist is
// linked.

#include <string>
#include <utility>
#include <vector>

#include "tests/support/BinaryPlist.h"

namespace korvane::testing {

using StringPairs = std::vector<std::pair<std::string, std::string>>;

// How a string reaches libplist: XML text, or a binary list's one-byte or
// UTF-16 string object.
enum class PlistForm { xml, binaryAscii, binaryUtf16 };

inline const char* formName(PlistForm form) {
    switch (form) {
        case PlistForm::xml: return "xml";
        case PlistForm::binaryAscii: return "binaryAscii";
        case PlistForm::binaryUtf16: return "binaryUtf16";
    }
    return "?";
}

// A dictionary of strings written byte for byte as given (a NUL stays a NUL;
// in UTF-16 every byte becomes one code unit).
inline std::string stringDictionary(const StringPairs& pairs, PlistForm form) {
    if (form == PlistForm::xml) {
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
        for (const auto& [key, value] : pairs) text += "<key>" + key + "</key><string>" + value + "</string>\n";
        return text + "</dict>\n</plist>\n";
    }
    RawBinaryPlist list;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    for (const auto& [key, value] : pairs) {
        const auto keyIndex = list.ascii(key);
        const auto valueIndex = form == PlistForm::binaryAscii
                                    ? list.ascii(value)
                                    : list.utf16(std::u16string(value.begin(), value.end()));
        entries.emplace_back(keyIndex, valueIndex);
    }
    return list.bytes(list.dict(entries));
}

// A dictionary holding `pairs` and, under "nested", arrays `levels` deep.
inline std::string deepXml(const StringPairs& pairs, int levels, bool closed = true) {
    std::string text = "<plist version=\"1.0\"><dict>";
    for (const auto& [key, value] : pairs) text += "<key>" + key + "</key><string>" + value + "</string>";
    text += "<key>nested</key>";
    for (int i = 0; i < levels; ++i) text += "<array>";
    if (!closed) return text;
    for (int i = 0; i < levels; ++i) text += "</array>";
    return text + "</dict></plist>";
}

inline std::string deepBinary(const StringPairs& pairs, int levels) {
    RawBinaryPlist list;
    std::uint32_t inner = list.array({});
    for (int i = 1; i < levels; ++i) inner = list.array({inner});
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    for (const auto& [key, value] : pairs) entries.emplace_back(list.ascii(key), list.ascii(value));
    entries.emplace_back(list.ascii("nested"), inner);
    return list.bytes(list.dict(entries));
}

// Shallow, but every array refers twice to the next: libplist would build
// 2^levels copies.
inline std::string expandingBinary(const StringPairs& pairs, int levels) {
    RawBinaryPlist list;
    std::uint32_t inner = list.ascii("leaf");
    for (int i = 0; i < levels; ++i) inner = list.array({inner, inner});
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    for (const auto& [key, value] : pairs) entries.emplace_back(list.ascii(key), list.ascii(value));
    entries.emplace_back(list.ascii("nested"), inner);
    return list.bytes(list.dict(entries));
}

// An array that holds itself.
inline std::string loopingBinary(const StringPairs& pairs) {
    RawBinaryPlist list;
    const std::uint32_t loop = list.reserve();
    list.setArray(loop, {loop});
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    for (const auto& [key, value] : pairs) entries.emplace_back(list.ascii(key), list.ascii(value));
    entries.emplace_back(list.ascii("nested"), loop);
    return list.bytes(list.dict(entries));
}

struct HostilePlist {
    std::string label;
    std::string bytes;
};

// One of each kind of file that once crashed, hung or exhausted a reader;
// every one carries `pairs` too, which none of them may yield.
inline std::vector<HostilePlist> hostilePlists(const StringPairs& pairs) {
    StringPairs withNul;
    for (const auto& [key, value] : pairs) withNul.emplace_back(key, value + std::string(1, '\0') + "x");
    std::vector<HostilePlist> files{
        {"nul-xml", stringDictionary(withNul, PlistForm::xml)},
        {"nul-binaryUtf16", stringDictionary(withNul, PlistForm::binaryUtf16)},
        // Just under the size limit: freeing such a tree overflowed the stack.
        {"deep-xml", deepXml(pairs, 140000, false)},
        // Checking it for loops took libplist seconds per level.
        {"deep-binary", deepBinary(pairs, 90000)},
        {"expanding-binary", expandingBinary(pairs, 30)},
        {"looping-binary", loopingBinary(pairs)},
    };
    std::string large = stringDictionary(pairs, PlistForm::xml);
    large.insert(large.find("<dict>"), "<!--" + std::string(1048576, ' ') + "-->");
    files.push_back({"over-1MiB", std::move(large)});
    return files;
}

}  // namespace korvane::testing
