#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace korvane {

// The nine colour themes, in the order the theme picker lists them.
enum class ThemeID { paper, graphite, terminal, blueprint, iron, arcade, bloom, solar, nord };

const std::array<ThemeID, 9>& allThemeIDs();
// The stored text form is the case name ("paper").
std::string_view rawValue(ThemeID theme);
// Exactly the nine case names; anything else gives no value.
std::optional<ThemeID> themeIDFromRawValue(std::string_view text);

}  // namespace korvane
