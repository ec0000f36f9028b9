#include "core/text/TextCase.h"

#include <cstdint>

namespace korvane {

namespace {

char32_t lowerCodePoint(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;  // Latin-1 capitals, not ×
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: mostly even capital, odd small.
        if (c == 0x130) return 0x69;  // İ
        if (c == 0x178) return 0xFF;  // Ÿ
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                 // Cyrillic А–Я
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;                 // Cyrillic Ѐ–Џ
    return c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string TextCase::lowercased(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(lowerCodePoint(byte));
            ++i;
            continue;
        }
        // Only two-byte sequences hold letters this folds; everything else is copied.
        if ((byte & 0xE0) == 0xC0 && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            char32_t c = (static_cast<char32_t>(byte & 0x1F) << 6) |
                         (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            if (c >= 0x80) {  // not an overlong form
                appendUtf8(out, lowerCodePoint(c));
                i += 2;
                continue;
            }
        }
        out += text[i];
        ++i;
    }
    return out;
}

}  // namespace korvane
