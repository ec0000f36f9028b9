#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The file-URL text of a path, as JSON documents store locations.
struct FileURL {
    // "file://" followed by the percent-encoded absolute path.
    static std::string fromPath(std::string_view path);
    // The standardised absolute path of a "file://" (or "file://localhost")
    // URL text. No value for another scheme, a relative or empty path, a bad
    // percent escape, or a NUL byte anywhere in the decoded path.
    static std::optional<std::string> toPath(std::string_view text);
    // Percent-encodes everything but unreserved characters, sub-delimiters,
    // ":", "@" and "/"; bytes of any value round-trip.
    static std::string percentEncodePath(std::string_view path);
};

}  // namespace korvane
