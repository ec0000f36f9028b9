#include "core/text/Utf8.h"

#include <cstddef>

namespace korvane {

bool Utf8::isValid(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
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
            return false;
        }
        if (i + length > n) return false;
        if (s[i + 1] < low || s[i + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if (s[i + k] < 0x80 || s[i + k] > 0xBF) return false;
        i += length;
    }
    return true;
}

}  // namespace korvane
