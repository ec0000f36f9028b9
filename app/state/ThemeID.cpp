#include "app/state/ThemeID.h"

namespace korvane {

namespace {

constexpr std::array<std::string_view, 9> rawValues = {"paper",  "graphite", "terminal", "blueprint", "iron",
                                                       "arcade", "bloom",    "solar",    "nord"};

}  // namespace

const std::array<ThemeID, 9>& allThemeIDs() {
    static const std::array<ThemeID, 9> themes = {ThemeID::paper,     ThemeID::graphite, ThemeID::terminal,
                                                  ThemeID::blueprint, ThemeID::iron,     ThemeID::arcade,
                                                  ThemeID::bloom,     ThemeID::solar,    ThemeID::nord};
    return themes;
}

std::string_view rawValue(ThemeID theme) { return rawValues[static_cast<std::size_t>(theme)]; }

std::optional<ThemeID> themeIDFromRawValue(std::string_view text) {
    for (auto theme : allThemeIDs())
        if (rawValue(theme) == text) return theme;
    return std::nullopt;
}

}  // namespace korvane
