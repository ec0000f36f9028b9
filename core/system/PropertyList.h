#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The top-level dictionary of a property list (XML or binary) that Korvane
// did not write: a simulator's device.plist, an application's Info.plist.
// Such a file must never take the process down, so before libplist sees the
// bytes they are capped in size and checked for nesting, repeated
// references and loops; libplist frees and walks trees recursively and
// expands every reference of a binary list into a copy of its own.
class PropertyList {
public:
    // Real files of this kind are a few kilobytes.
    static constexpr std::int64_t maxBytes = 1048576;
    // Containers within containers; real files stay below ten.
    static constexpr int maxDepth = 32;
    // The values a binary list may expand to, counting every reference as
    // the copy libplist makes of it: about what the largest XML list can
    // hold (an element takes at least seven bytes).
    static constexpr std::int64_t maxValues = maxBytes / 7;

    // The dictionary in the regular file at `path`; none when the file is
    // missing, a symbolic link, not a regular file, larger than maxBytes,
    // nested deeper than maxDepth, not a property list, or its top level is
    // not a dictionary. Opened without blocking, so a FIFO is refused.
    static std::optional<PropertyList> readDictionary(const std::string& path);
    // The same for bytes already in memory.
    static std::optional<PropertyList> dictionaryFrom(std::string_view bytes);

    // The text of `key`; none when it is absent, not a string, or holds a
    // NUL byte (no real name or version does, and libplist's own string
    // reader aborts the process on one).
    std::optional<std::string> string(const char* key) const;

private:
    struct Free {
        void operator()(void* node) const;
    };
    explicit PropertyList(void* root) : root_(root) {}

    std::unique_ptr<void, Free> root_;
};

}  // namespace korvane
