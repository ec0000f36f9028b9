#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// "%XX" escapes of bytes in paths written to URLs and records.
struct PercentEncoding {
    // `text` with every byte for which `keeps` is false written as "%XX"
    // (upper-case hex digits); bytes of any value round-trip.
    static std::string encode(std::string_view text, bool (*keeps)(unsigned char));
    // `text` with every "%XX" escape (hex digits of either case) replaced by
    // its byte. No value for a malformed or cut-short escape, or for a NUL
    // byte, escaped or not.
    static std::optional<std::string> decode(std::string_view text);
};

}  // namespace korvane
