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

}  // namespace
}  // namespace korvane
