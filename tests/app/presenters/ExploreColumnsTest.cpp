#include <gtest/gtest.h>

#include "app/presenters/ExploreColumns.h"

namespace korvane {
namespace {

using Section = GeneralSection;

TEST(ExploreColumns, InspectorColumnNeedsTheWishTheWidthAndAPageItServes) {
    struct Case {
        double width;
        bool shows;
        Mode mode;
        Section section;
        bool wanted;
        bool fits;
    };
    for (const Case& c : {
             Case{1140, true, Mode::developer, Section::search, true, true},
             Case{1139.9, true, Mode::developer, Section::explore, true, false},
             Case{1600, false, Mode::developer, Section::explore, false, true},
             Case{1600, true, Mode::general, Section::explore, true, true},
             Case{1600, true, Mode::general, Section::search, false, true},
             Case{1600, true, Mode::general, Section::largeFiles, false, true},
             Case{1600, true, Mode::general, Section::apps, false, true},
             Case{1600, true, Mode::general, Section::stats, false, true},
             Case{720, true, Mode::general, Section::explore, true, false},
         }) {
        const ExploreColumns columns = exploreColumns(c.width, c.shows, c.mode, c.section);
        EXPECT_EQ(columns.inspectorWanted, c.wanted) << c.width << " " << rawValue(c.section);
        EXPECT_EQ(columns.inspectorFits, c.fits) << c.width;
        EXPECT_EQ(columns.showsInspectorColumn, c.wanted && c.fits) << c.width;
    }
}

}  // namespace
}  // namespace korvane
