#include <gtest/gtest.h>

#include "app/state/AppState.h"

namespace korvane {
namespace {

TEST(AppStateTypes, RawValuesRoundTripAndNothingElseParses) {
    for (const auto mode : allModes()) EXPECT_EQ(modeFromRawValue(rawValue(mode)), mode);
    for (const auto section : allGeneralSections())
        EXPECT_EQ(generalSectionFromRawValue(rawValue(section)), section);
    for (const auto canvas : allCanvasModes()) EXPECT_EQ(canvasModeFromRawValue(rawValue(canvas)), canvas);
    for (const char* text : {"General", "developer ", "", "Strata"}) {
        EXPECT_FALSE(modeFromRawValue(text)) << text;
        EXPECT_FALSE(canvasModeFromRawValue(text)) << text;
    }
    EXPECT_FALSE(generalSectionFromRawValue("large_files"));
}

TEST(AppStateTypes, TextsOfTheSwitchers) {
    using C = AppState::CanvasMode;
    using S = AppState::GeneralSection;
    EXPECT_EQ(rawValue(AppState::Mode::developer), "developer");
    EXPECT_EQ(rawValue(AppState::Sheet::settings), "settings");
    EXPECT_EQ(rawValue(S::largeFiles), "largeFiles");
    EXPECT_EQ(title(S::explore), "Disk usage");
    EXPECT_EQ(symbolName(S::stats), "waveform.path.ecg");
    EXPECT_EQ(rawValue(C::ageMap), "ageMap");
    EXPECT_EQ(title(C::bars), "Top Sizes");
    EXPECT_EQ(symbolName(C::mindMap), "point.3.connected.trianglepath.dotted");
    EXPECT_EQ(blurb(C::strata), "Depth is age, width is size \u2014 deep and wide is what to delete");
    EXPECT_EQ(blurb(C::treemap), "Area is size \u00b7 double-click to drill in");
    EXPECT_EQ(allCanvasModes().back(), C::table);
}

}  // namespace
}  // namespace korvane
