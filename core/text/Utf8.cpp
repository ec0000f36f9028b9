#include "core/text/Utf8.h"

#include <cstddef>

namespace korvane {

bool Utf8::isValid(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::size_t Utf8::sequenceLength(std::string_view text, std::size_t at) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    if (at >= n) return 0;
    const unsigned char c = s[at];
    if (c < 0x80) return 1;
    // The lead byte fixes the length and, for the edges of the range, how
    // far the second byte may go (this rules out overlong forms,
    // surrogates and values past U+10FFFF).
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > n) return 0;
    if (s[at + 1] < low || s[at + 1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (s[at + k] < 0x80 || s[at + k] > 0xBF) return 0;
    return length;
}

}  // namespace korvane
