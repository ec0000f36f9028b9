#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace korvane {

// Which top-level screen the window shows.
enum class Route { onboarding, scanning, explore, cleaning, finished };
enum class Mode { general, developer };
// Which sheet lies over the window.
enum class Sheet { review, history, settings };
// Which page general mode shows.
enum class GeneralSection { explore, search, largeFiles, apps, stats };
// Which storage canvas is shown.
enum class CanvasMode { strata, ageMap, treemap, folders, bubbles, flame, mindMap, sunburst, bars, table };

const std::array<Mode, 2>& allModes();
std::string_view rawValue(Mode mode);
// Exactly "general" and "developer".
std::optional<Mode> modeFromRawValue(std::string_view text);

// "review", "history", "settings".
std::string_view rawValue(Sheet sheet);

const std::array<GeneralSection, 5>& allGeneralSections();
std::string_view rawValue(GeneralSection section);
std::optional<GeneralSection> generalSectionFromRawValue(std::string_view text);
std::string_view title(GeneralSection section);
std::string_view symbolName(GeneralSection section);

const std::array<CanvasMode, 10>& allCanvasModes();
std::string_view rawValue(CanvasMode mode);
std::optional<CanvasMode> canvasModeFromRawValue(std::string_view text);
std::string_view title(CanvasMode mode);
std::string_view symbolName(CanvasMode mode);
// The one-line description the canvas switcher shows.
std::string_view blurb(CanvasMode mode);

}  // namespace korvane
