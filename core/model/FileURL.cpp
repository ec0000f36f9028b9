#include "core/model/FileURL.h"

#include "core/model/Paths.h"

namespace korvane {

namespace {

bool isAllowedInPath(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
        case '-': case '.': case '_': case '~':
        case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',': case ';': case '=':
        case ':': case '@': case '/':
            return true;
        default:
            return false;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string FileURL::percentEncodePath(std::string_view path) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(path.size());
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if (isAllowedInPath(c)) {
            result += ch;
        } else {
            result += '%';
            result += digits[c >> 4];
            result += digits[c & 0x0F];
        }
    }
    return result;
}

std::string FileURL::fromPath(std::string_view path) { return "file://" + percentEncodePath(path); }

std::optional<std::string> FileURL::toPath(std::string_view text) {
    constexpr std::string_view scheme = "file://";
    if (text.size() < scheme.size() || text.substr(0, scheme.size()) != scheme) return std::nullopt;
    text.remove_prefix(scheme.size());
    constexpr std::string_view localhost = "localhost";
    if (text.substr(0, localhost.size()) == localhost) text.remove_prefix(localhost.size());
    if (text.empty() || text.front() != '/') return std::nullopt;

    std::string path;
    path.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            int high = hexValue(text[i + 1]);
            int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            path += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c == '?' || c == '#' || c == '\0') {
            // A query or fragment has no place in a stored location.
            return std::nullopt;
        } else {
            path += c;
        }
    }
    return Paths::standardise(path);
}

}  // namespace korvane
