#pragma once

#include <span>
#include <string_view>

#include <QFont>

namespace korvane {

// Symbol names are kept as data throughout the app and drawn with the bundled
// Material Icons font through this one table.
struct SymbolGlyph {
    std::string_view name;      // the symbol name the app uses ("lock.fill")
    std::string_view material;  // the Material Icons name it is drawn as ("lock")
    char16_t codepoint;
};

// Every symbol name the app knows, in name order.
std::span<const SymbolGlyph> allSymbolGlyphs();
// The glyph drawn for a name not in the table: a neutral outlined circle.
inline constexpr SymbolGlyph fallbackSymbolGlyph{"", "radio_button_unchecked", 0xe836};

// The table's entry for `name`, or the fallback.
const SymbolGlyph& symbolGlyph(std::string_view name);
bool hasSymbolGlyph(std::string_view name);
// The character to draw in symbolFont().
QString symbolText(std::string_view name);
// The bundled icon font for a symbol of the given point size; loads it on first use.
QFont symbolFont(double size);

}  // namespace korvane
