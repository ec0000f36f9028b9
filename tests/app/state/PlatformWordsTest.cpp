// The texts that name this computer: its file manager, its volume, and no
// word of another platform anywhere a screen shows.

#include <gtest/gtest.h>

#include "app/presenters/LiveStatsContent.h"
#include "app/presenters/OnboardingContent.h"
#include "app/presenters/SettingsContent.h"
#include "app/presenters/SidebarContent.h"
#include "app/presenters/TopBarContent.h"
#include "app/state/CleanupTexts.h"
#include "app/state/PlatformWords.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

TEST(PlatformWords, DesktopNamesWithTheirFallbacks) {
    EXPECT_EQ(platformWords::showIn(""), "Show in Files");
    EXPECT_EQ(platformWords::revealIn(""), "Reveal in Files");
    EXPECT_EQ(platformWords::showIn("Dolphin"), "Show in Dolphin");
    EXPECT_EQ(platformWords::volumeTitle("", "/home/u"), "/home/u");
    EXPECT_EQ(platformWords::volumeTitle("Data", "/home/u"), "Data");
}

class PlatformWordsFlow : public testing::FlowFixture {};

// Every text these presenters give, read for another platform's words.
TEST_F(PlatformWordsFlow, NoScreenTextNamesAnotherPlatform) {
    launch({"--screen", "explore", "--mode", "developer"});
    std::vector<std::string> texts;
    const auto& onboarding = onboardingContent();
    texts.push_back(onboarding.reassurance);
    for (const auto& choice : onboarding.choices) texts.push_back(choice.title);
    for (const auto& mode :
         topBarContent(state().preferences(), state().navigation(), state().folderScan(), true, true, false)
             .modes)
        texts.push_back(mode.help);
    texts.push_back(sidebarContent(state().navigation(), state().developer()).scanTitle);
    texts.push_back(settingsText::aboutPrivacy);
    texts.push_back(CleanupTexts::shareSummary(state().developer().scan()));
    SystemStats stats;
    stats.swapUsed = 1;
    texts.push_back(liveStatsContent(stats).swapWarning.value_or(""));
    texts.push_back(state().desktop().homeVolumeName());
    for (const auto& word : {"Mac", "Finder", "Mach", "IOKit"})
        for (const auto& text : texts)
            EXPECT_EQ(text.find(word), std::string::npos) << word << " in " << text;
}

TEST_F(PlatformWordsFlow, TheDiskTitleIsTheVolumeHoldingTheHome) {
    launch();
    desktop_.volume = "Data";
    EXPECT_EQ(state().desktop().homeVolumeName(), "Data");
    ASSERT_FALSE(desktop_.volumeAsked.empty());
    EXPECT_EQ(desktop_.volumeAsked.back(), home_);
    desktop_.volume.clear();
    EXPECT_EQ(state().desktop().homeVolumeName(), home_) << "the home folder when the volume cannot be told";
}

}  // namespace
}  // namespace korvane
