#include "core/text/FileURL.h"

#include "core/text/PathText.h"
#include "core/text/PercentEncoding.h"

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

}  // namespace

std::string FileURL::percentEncodePath(std::string_view path) {
    return PercentEncoding::encode(path, isAllowedInPath);
}

std::string FileURL::fromPath(std::string_view path) { return "file://" + percentEncodePath(path); }

std::optional<std::string> FileURL::toPath(std::string_view text) {
    constexpr std::string_view scheme = "file://";
    if (text.size() < scheme.size() || text.substr(0, scheme.size()) != scheme) return std::nullopt;
    text.remove_prefix(scheme.size());
    constexpr std::string_view localhost = "localhost";
    if (text.substr(0, localhost.size()) == localhost) text.remove_prefix(localhost.size());
    if (text.empty() || text.front() != '/') return std::nullopt;

    // A query or fragment has no place in a stored location.
    if (text.find_first_of("?#") != std::string_view::npos) return std::nullopt;
    const auto path = PercentEncoding::decode(text);
    if (!path) return std::nullopt;
    if (path->find('\0') != std::string::npos) return std::nullopt;
    return PathText::lexicallyStandardised(*path);
}

}  // namespace korvane
