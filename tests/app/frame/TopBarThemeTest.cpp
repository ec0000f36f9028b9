#include <gtest/gtest.h>

#include <QTest>

#include "app/frame/TopBar.h"
#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/ThemePicker.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class TopBarThemeTest : public testing::FlowFixture {
protected:
    TopBarThemeTest() { AppMotion::setJumpToEnd(true); }
    ~TopBarThemeTest() override { AppMotion::setJumpToEnd(false); }
};

TEST_F(TopBarThemeTest, AThemePickedInTheBarIsStoredAtOnce) {
    launch({"--screen", "explore"});
    TopBar bar(state().preferences(), state().navigation(), state().folderScan(), [] { return new QWidget; });
    bar.resize(1200, 50);
    bar.show();
    auto* picker = bar.findChild<ThemePicker*>();
    ASSERT_NE(picker, nullptr);
    QTest::mouseClick(picker->dropdown(), Qt::LeftButton);
    ASSERT_TRUE(picker->dropdown()->isOpen());
    const auto rows = picker->dropdown()->list()->findChildren<DropdownRow*>();
    ASSERT_EQ(rows.size(), 9);
    const int writes = settings_.writeCount(PreferencesState::themeKey);
    QTest::mouseClick(rows[8], Qt::LeftButton);
    EXPECT_EQ(state().preferences().themeID(), ThemeID::nord);
    EXPECT_EQ(settings_.value(PreferencesState::themeKey), "nord");
    EXPECT_EQ(settings_.writeCount(PreferencesState::themeKey), writes + 1);
    EXPECT_FALSE(picker->dropdown()->isOpen());
}

}  // namespace
}  // namespace korvane
