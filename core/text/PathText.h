#pragma once

#include <string>
#include <string_view>

namespace korvane {

// Path text handled by its letters alone, without asking the file system.
struct PathText {
    // "//" and "/./" collapsed, ".." resolved (never above "/"), trailing "/"
    // dropped; "~" is left as it is. An empty path stays empty; a relative
    // path that cancels out becomes ".".
    static std::string lexicallyStandardised(std::string_view path);
    // The path as text to paste: itself when it is UTF-8; otherwise, since
    // text cannot hold its odd bytes, the shell's $'…' form with those bytes
    // (and control characters, backslashes and quotes) escaped, which bash
    // and zsh read back as the very same bytes.
    static std::string copiedText(std::string_view path);
};

}  // namespace korvane
