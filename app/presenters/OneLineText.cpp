#include "app/presenters/OneLineText.h"

namespace korvane {

std::string oneLineText(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != 0x7F) {
            line += static_cast<char>(c);
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += "\u23CE";
        } else if (c == '\t') {
            line += "\u21E5";
        } else {
            line += "\uFFFD";
        }
    }
    return line;
}

}  // namespace korvane
