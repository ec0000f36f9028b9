#include "app/state/ViewChoices.h"

namespace korvane {

namespace {

template <class Enum, std::size_t N>
std::optional<Enum> fromRawValue(const std::array<Enum, N>& all, std::string_view text) {
    for (auto value : all)
        if (rawValue(value) == text) return value;
    return std::nullopt;
}

std::size_t position(auto value) { return static_cast<std::size_t>(value); }

struct SectionText {
    std::string_view rawValue, title, symbol;
};

constexpr std::array<SectionText, 5> sectionTexts = {{
    {"explore", "Disk usage", "square.grid.2x2"},
    {"search", "Search", "magnifyingglass"},
    {"largeFiles", "Large files", "arrow.up.circle"},
    {"apps", "Applications", "app.badge"},
    {"stats", "Live stats", "waveform.path.ecg"},
}};

struct CanvasText {
    std::string_view rawValue, title, symbol, blurb;
};

constexpr std::array<CanvasText, 10> canvasTexts = {{
    {"strata", "Strata", "square.stack.3d.down.right",
     "Depth is age, width is size \u2014 deep and wide is what to delete"},
    {"ageMap", "Age Map", "calendar", "Where your bytes sit on a timeline"},
    {"treemap", "Treemap", "square.grid.2x2", "Area is size \u00b7 double-click to drill in"},
    {"folders", "Folders", "folder", "Browse folder by folder, sized as you go"},
    {"bubbles", "Bubbles", "circle.hexagongrid", "Nested bubbles, one per folder"},
    {"flame", "Flame", "flame", "Depth top to bottom, size left to right"},
    {"mindMap", "Mind Map", "point.3.connected.trianglepath.dotted",
     "Branches from the root, sized by weight"},
    {"sunburst", "Sunburst", "circle.circle", "Rings radiate out from the scan root"},
    {"bars", "Top Sizes", "chart.bar", "The biggest items, ranked"},
    {"table", "Table", "list.bullet", "Every number, sortable and selectable"},
}};

}  // namespace

const std::array<Mode, 2>& allModes() {
    static const std::array<Mode, 2> modes = {Mode::general, Mode::developer};
    return modes;
}

std::string_view rawValue(Mode mode) { return mode == Mode::general ? "general" : "developer"; }

std::optional<Mode> modeFromRawValue(std::string_view text) { return fromRawValue(allModes(), text); }

std::string_view rawValue(Sheet sheet) {
    static constexpr std::array<std::string_view, 3> ids = {"review", "history", "settings"};
    return ids[position(sheet)];
}

const std::array<GeneralSection, 5>& allGeneralSections() {
    using S = GeneralSection;
    static const std::array<S, 5> sections = {S::explore, S::search, S::largeFiles, S::apps, S::stats};
    return sections;
}

std::string_view rawValue(GeneralSection section) { return sectionTexts[position(section)].rawValue; }

std::optional<GeneralSection> generalSectionFromRawValue(std::string_view text) {
    return fromRawValue(allGeneralSections(), text);
}

std::string_view title(GeneralSection section) { return sectionTexts[position(section)].title; }

std::string_view symbolName(GeneralSection section) { return sectionTexts[position(section)].symbol; }

const std::array<CanvasMode, 10>& allCanvasModes() {
    using C = CanvasMode;
    static const std::array<C, 10> modes = {C::strata, C::ageMap,  C::treemap,  C::folders, C::bubbles,
                                            C::flame,  C::mindMap, C::sunburst, C::bars,    C::table};
    return modes;
}

std::string_view rawValue(CanvasMode mode) { return canvasTexts[position(mode)].rawValue; }

std::optional<CanvasMode> canvasModeFromRawValue(std::string_view text) {
    return fromRawValue(allCanvasModes(), text);
}

std::string_view title(CanvasMode mode) { return canvasTexts[position(mode)].title; }

std::string_view symbolName(CanvasMode mode) { return canvasTexts[position(mode)].symbol; }

std::string_view blurb(CanvasMode mode) { return canvasTexts[position(mode)].blurb; }

}  // namespace korvane
