#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/kit/ElidedLabel.h"
#include "app/presenters/SettingsContent.h"
#include "app/settings/AutomationTab.h"
#include "app/settings/CleanupSettingsTab.h"
#include "app/settings/ScanSettingsTab.h"
#include "app/settings/SettingsForm.h"
#include "app/settings/SettingsView.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

// 4 March 2024 is a Monday (weekday 2).
const QDate monday(2024, 3, 4);

class SettingsViewTest : public testing::FlowFixture {
protected:
    ScanSettings storedSettings() {
        return nlohmann::json::parse(*settings_.value(PreferencesState::scanSettingsKey)).get<ScanSettings>();
    }
    Automation::Schedule storedSchedule() {
        return nlohmann::json::parse(*settings_.value(Automation::scheduleKey)).get<Automation::Schedule>();
    }
    // What the user's pick of a picker entry does.
    static void pick(QComboBox* picker, int index) {
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
};

TEST_F(SettingsViewTest, OpensOnTheFirstTabInItsFrameEveryTime) {
    launch();
    SettingsView view(state());
    ASSERT_EQ(view.tabs()->count(), 4);
    const QStringList titles{"Scanning", "Cleanup", "Automation", "About"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(view.tabs()->tabText(i), titles[i]);
    // 520 wide, at least 420 high: the sheet around it grows with the window.
    EXPECT_EQ(view.tabs()->minimumSize(), QSize(520, 420));
    EXPECT_EQ(view.tabs()->maximumWidth(), 520);
    view.show();
    view.tabs()->setCurrentIndex(2);
    view.hide();
    view.show();
    EXPECT_EQ(view.tabs()->currentIndex(), 0);
}

TEST_F(SettingsViewTest, EachCategoryToggleSavesTheWholeSettingsAtOnce) {
    launch();
    ScanSettingsTab tab(state().preferences(), state().desktop());
    const auto& toggles = tab.categoryToggles();
    ASSERT_EQ(toggles.size(), allCleanupCategories().size());
    int writes = settings_.writeCount(PreferencesState::scanSettingsKey);
    // Off one by one down to none (allowed), then on again, in declaration order throughout.
    for (bool on : {false, true})
        for (std::size_t i = 0; i < toggles.size(); ++i) {
            const CleanupCategory category = allCleanupCategories()[i];
            EXPECT_EQ(toggles[i]->text().toStdString(), title(category));
            EXPECT_EQ(toggles[i]->isChecked(), !on);  // the stored set starts full
            toggles[i]->click();
            EXPECT_EQ(settings_.writeCount(PreferencesState::scanSettingsKey), ++writes) << title(category);
            EXPECT_EQ(storedSettings().enabledCategories.contains(category), on);
        }
    EXPECT_EQ(state().preferences().settings().enabledCategories.size(), 9U);
}

TEST_F(SettingsViewTest, AllCategoriesOffIsSavedAsAnEmptySet) {
    launch();
    ScanSettingsTab tab(state().preferences(), state().desktop());
    for (QCheckBox* toggle : tab.categoryToggles()) toggle->click();
    EXPECT_TRUE(storedSettings().enabledCategories.empty());
}

TEST_F(SettingsViewTest, AddFolderAppendsOnlyNewFoldersInThePickersOrderAndStartsNoScan) {
    launch();
    auto settings = state().preferences().settings();
    settings.projectRoots = {at("Code")};
    state().preferences().setSettings(settings);
    ScanSettingsTab tab(state().preferences(), state().desktop());
    const int writes = settings_.writeCount(PreferencesState::scanSettingsKey);
    desktop_.answers.push_back({at("a"), at("Code"), at("b")});
    tab.addFolderButton()->click();
    ASSERT_EQ(desktop_.requests.size(), 1U);
    EXPECT_EQ(desktop_.requests[0].prompt, "Add");
    EXPECT_EQ(desktop_.requests[0].message, "Choose a folder Korvane should search for projects.");
    EXPECT_TRUE(desktop_.requests[0].multiple);
    EXPECT_EQ(state().preferences().settings().projectRoots,
              (std::vector<std::string>{at("Code"), at("a"), at("b")}));
    EXPECT_EQ(settings_.writeCount(PreferencesState::scanSettingsKey), writes + 2);
    EXPECT_EQ(storedSettings().projectRoots, state().preferences().settings().projectRoots);
    EXPECT_NE(state().navigation().route(), AppState::Route::scanning);

    // The rows follow, with "~" for the home folder; a cancelled picker changes nothing.
    const auto rows = tab.projectRows();
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_EQ(rows[1]->label()->text(), QStringLiteral("~/a"));
    tab.addFolderButton()->click();
    EXPECT_EQ(state().preferences().settings().projectRoots.size(), 3U);
}

TEST_F(SettingsViewTest, AddFolderRefusesTheWholeComputerAndFoldersHoldingTheHomeAndSaysWhy) {
    const std::string parent = home_.substr(0, home_.rfind('/'));
    std::filesystem::create_directories(at("src/app"));
    std::filesystem::create_directories(parent + "/beside");
    std::filesystem::create_symlink(parent, at("up"));
    struct Case {
        const char* name;
        std::vector<std::string> chosen;
        std::vector<std::string> added;
        const char* note;  // empty: no note
    };
    const std::string refusedRoot =
        "Korvane does not search the whole computer for projects. Choose the folders that hold them.";
    const Case cases[] = {
        {"the whole computer", {"/"}, {}, refusedRoot.c_str()},
        {"the home itself",
         {home_},
         {},
         "\u201C~\u201D holds your whole home folder. Choose the folders that hold your projects."},
        {"the folder above", {parent + "/"}, {}, ""},
        {"a link up to it", {at("up")}, {}, ""},
        {"a folder inside", {at("src/app")}, {at("src/app")}, ""},
        {"beside the home", {parent + "/beside"}, {parent + "/beside"}, ""},
        {"one refused among others",
         {at("src/app"), "/", parent + "/beside"},
         {at("src/app"), parent + "/beside"},
         refusedRoot.c_str()},
        {"a default folder adds nothing", {at("src")}, {}, ""},
    };
    for (const auto& c : cases) {
        launch();
        ScanSettingsTab tab(state().preferences(), state().desktop());
        desktop_.answers.push_back(c.chosen);
        tab.addFolderButton()->click();
        EXPECT_EQ(desktop_.requests.back().directory, home_) << c.name;
        EXPECT_EQ(state().preferences().settings().projectRoots, c.added) << c.name;
        const bool refused = std::any_of(c.chosen.begin(), c.chosen.end(), [&](const std::string& path) {
            return std::find(c.added.begin(), c.added.end(), path) == c.added.end() && path != at("src");
        });
        EXPECT_EQ(tab.refusalNote()->isVisibleTo(&tab), refused) << c.name;
        if (*c.note) {
            EXPECT_EQ(tab.refusalNote()->text().toStdString(), c.note) << c.name;
        } else if (refused) {
            EXPECT_TRUE(tab.refusalNote()->text().endsWith(
                QStringLiteral("holds your whole home folder. Choose the folders that hold your projects.")))
                << c.name;
        }
        // The next choice that adds cleanly takes the note away.
        std::filesystem::create_directories(at("later"));
        desktop_.answers.push_back({at("later")});
        tab.addFolderButton()->click();
        EXPECT_FALSE(tab.refusalNote()->isVisibleTo(&tab)) << c.name;
        auto cleared = state().preferences().settings();
        cleared.projectRoots.clear();
        state().preferences().setSettings(cleared);
        state().preferences().saveSettings();
    }
}

TEST_F(SettingsViewTest, TheListShowsDefaultFoldersMadeLaterAndSaysWhichFolderIsMissing) {
    launch();
    std::filesystem::create_directories(at("Projects"));
    std::filesystem::create_directories(at("mine"));
    state().preferences().addProjectRoot(at("mine"));
    state().preferences().addProjectRoot("/nowhere/at/all");
    ScanSettingsTab tab(state().preferences(), state().desktop());
    const auto rowsSeen = [&tab] {
        std::vector<std::pair<std::string, bool>> seen;
        for (const PathRowView* row : tab.projectRows())
            seen.emplace_back(row->path(), row->hint() != nullptr);
        return seen;
    };
    EXPECT_EQ(rowsSeen(), (std::vector<std::pair<std::string, bool>>{
                              {at("Projects"), false}, {at("mine"), false}, {"/nowhere/at/all", true}}));
    EXPECT_EQ(tab.projectRows()[2]->hint()->text(), QStringLiteral("Not found: skipped until it is back"));
    // Stored: only what the user chose.
    EXPECT_EQ(storedSettings().projectRoots, (std::vector<std::string>{at("mine"), "/nowhere/at/all"}));

    // A default folder made now is listed at the next look; one taken off stays off.
    std::filesystem::create_directories(at("work"));
    tab.projectRows()[0]->removeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(storedSettings().removedDefaultRoots, std::set<std::string>{at("Projects")});
    EXPECT_EQ(rowsSeen(), (std::vector<std::pair<std::string, bool>>{
                              {at("work"), false}, {at("mine"), false}, {"/nowhere/at/all", true}}));
    std::filesystem::remove(at("mine"));
    state().preferences().setSettings(state().preferences().settings());
    EXPECT_EQ(rowsSeen()[1], (std::pair<std::string, bool>{at("mine"), true}));
}

TEST_F(SettingsViewTest, RemovingAFolderListedTwiceRemovesBothWithTheStoredPath) {
    launch();
    auto settings = state().preferences().settings();
    settings.projectRoots = {at("x"), "/elsewhere", at("x")};
    state().preferences().setSettings(settings);
    ScanSettingsTab tab(state().preferences(), state().desktop());
    ASSERT_EQ(tab.projectRows().size(), 3U);
    tab.projectRows()[0]->removeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(state().preferences().settings().projectRoots, std::vector<std::string>{"/elsewhere"});
    EXPECT_EQ(storedSettings().projectRoots, std::vector<std::string>{"/elsewhere"});
    ASSERT_EQ(tab.projectRows().size(), 1U);
    EXPECT_EQ(tab.projectRows()[0]->path(), "/elsewhere");
}

TEST_F(SettingsViewTest, StalenessPickerShowsNoChoiceForAStoredValueThatIsNoOption) {
    launch();
    auto settings = state().preferences().settings();
    settings.staleProjectDays = 45;
    state().preferences().setSettings(settings);
    ScanSettingsTab tab(state().preferences(), state().desktop());
    EXPECT_EQ(tab.stalePicker()->currentIndex(), -1);
    EXPECT_EQ(state().preferences().settings().staleProjectDays, 45);
    const int writes = settings_.writeCount(PreferencesState::scanSettingsKey);
    pick(tab.stalePicker(), 3);
    EXPECT_EQ(state().preferences().settings().staleProjectDays, 180);
    EXPECT_EQ(storedSettings().staleProjectDays, 180);
    EXPECT_EQ(settings_.writeCount(PreferencesState::scanSettingsKey), writes + 1);
}

TEST_F(SettingsViewTest, RemovalRadiosStoreTheDisposalAndFollowTheReviewSheet) {
    launch();
    CleanupSettingsTab tab(state().preferences());
    const auto& radios = tab.removalButtons();
    ASSERT_EQ(radios.size(), 3U);
    EXPECT_TRUE(radios[0]->isChecked());
    const struct {
        int button;
        std::optional<std::string> stored;
    } rows[] = {{1, "trash"}, {2, "delete"}, {0, std::nullopt}};
    for (const auto& row : rows) {
        const int writes = settings_.writeCount(PreferencesState::disposalKey);
        radios[static_cast<std::size_t>(row.button)]->click();
        EXPECT_EQ(settings_.value(PreferencesState::disposalKey), row.stored);
        EXPECT_EQ(settings_.writeCount(PreferencesState::disposalKey), writes + 1);
    }
    // Chosen elsewhere (the review sheet's picker), shown here.
    state().preferences().setDisposalOverride(Disposal::delete_);
    EXPECT_TRUE(radios[2]->isChecked());
}

TEST_F(SettingsViewTest, RemovalRadiosStoreTheChoiceHoweverItIsChecked) {
    launch();
    CleanupSettingsTab tab(state().preferences());
    const auto& radios = tab.removalButtons();
    ASSERT_EQ(radios.size(), 3U);
    const struct {
        const char* way;
        std::function<void(QRadioButton*)> check;
    } ways[] = {
        {"click", [](QRadioButton* radio) { radio->click(); }},
        {"screen reader", [](QRadioButton* radio) {
             QAccessible::queryAccessibleInterface(radio)->actionInterface()->doAction(
                 QAccessibleActionInterface::toggleAction());
         }},
        {"programmatic", [](QRadioButton* radio) { radio->setChecked(true); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        for (const auto& [button, stored] : {std::pair{2, std::optional<std::string>("delete")},
                                             std::pair{0, std::optional<std::string>()}}) {
            const int before = settings_.writeCount(PreferencesState::disposalKey);
            way.check(radios[static_cast<std::size_t>(button)]);
            EXPECT_TRUE(radios[static_cast<std::size_t>(button)]->isChecked());
            EXPECT_EQ(settings_.value(PreferencesState::disposalKey), stored);
            EXPECT_EQ(settings_.writeCount(PreferencesState::disposalKey), before + 1);
        }
    }
    // Showing the value chosen elsewhere writes nothing.
    const int before = settings_.writeCount(PreferencesState::disposalKey);
    state().preferences().setDisposalOverride(Disposal::trash);
    EXPECT_TRUE(radios[1]->isChecked());
    EXPECT_EQ(settings_.writeCount(PreferencesState::disposalKey), before);
}

TEST_F(SettingsViewTest, EachScheduleControlReplacesOneFieldAndStoresTheWholeSchedule) {
    launch();
    AutomationTab tab(state().automation(), state().preferences());
    const Automation::Schedule start = state().automation().schedule();
    const struct {
        const char* control;
        std::function<void()> act;
        std::function<void(Automation::Schedule&)> expect;
    } rows[] = {
        {"weekday", [&] { pick(tab.weekdayPicker(), 6); }, [](auto& s) { s.weekday = 7; }},
        {"hour", [&] { pick(tab.hourPicker(), 0); }, [](auto& s) { s.hour = 7; }},
        {"alerts", [&] { tab.alertsToggle()->click(); }, [](auto& s) { s.alertsEnabled = false; }},
        {"reclaimable", [&] { pick(tab.reclaimablePicker(), 3); }, [](auto& s) { s.reclaimableAlertGB = 50; }},
        {"low space", [&] { pick(tab.lowSpacePicker(), 3); }, [](auto& s) { s.lowSpaceAlertGB = 40; }},
        {"schedule", [&] { tab.scheduleToggle()->click(); }, [](auto& s) { s.isEnabled = true; }},
    };
    Automation::Schedule expected = start;
    for (const auto& row : rows) {
        const int writes = settings_.writeCount(Automation::scheduleKey);
        row.act();
        row.expect(expected);
        EXPECT_EQ(state().automation().schedule(), expected) << row.control;
        EXPECT_EQ(storedSchedule(), expected) << row.control;
        EXPECT_EQ(settings_.writeCount(Automation::scheduleKey), writes + 1) << row.control;
    }
    EXPECT_TRUE(state().automation().isTimerActive());
}

TEST_F(SettingsViewTest, SwitchingTheScheduleOnWhenDueRunsAtOnceAndOtherwiseOnlyStores) {
    clock_.setLocal(monday, QTime(11, 0));
    launch();
    AutomationTab tab(state().automation(), state().preferences());
    // While off, a due weekday and hour start nothing.
    pick(tab.weekdayPicker(), 1);
    pick(tab.hourPicker(), 2);
    EXPECT_FALSE(settings_.value(Automation::lastRunKey).has_value());
    EXPECT_FALSE(state().automation().isTimerActive());
    tab.scheduleToggle()->click();
    EXPECT_TRUE(state().automation().isTimerActive());
    EXPECT_TRUE(settings_.value(Automation::lastRunKey).has_value());
    // The scan runs behind the settings: the screen stays.
    EXPECT_TRUE(state().developer().isScanning() || state().developer().hasScan());
    EXPECT_NE(state().navigation().route(), AppState::Route::scanning);
}

TEST_F(SettingsViewTest, ScheduleValuesThatAreNoOptionShowNoChoiceAndTheTabFollowsTheSchedule) {
    launch();
    AutomationTab tab(state().automation(), state().preferences());
    Automation::Schedule odd = state().automation().schedule();
    odd.weekday = 9;
    odd.hour = 11;
    odd.reclaimableAlertGB = 7;
    odd.lowSpaceAlertGB = 50;
    odd.alertsEnabled = false;
    state().automation().setSchedule(odd);
    for (QComboBox* picker : {tab.weekdayPicker(), tab.hourPicker(), tab.reclaimablePicker(), tab.lowSpacePicker()})
        EXPECT_EQ(picker->currentIndex(), -1);
    EXPECT_FALSE(tab.alertsToggle()->isChecked());
    EXPECT_EQ(state().automation().schedule(), odd);
}

TEST_F(SettingsViewTest, NeverTouchedRowsAreSortedByteWiseAndRemovable) {
    launch();
    EXPECT_EQ(neverTouchedRows(state().preferences().settings()).size(), 0U);
    AutomationTab tab(state().automation(), state().preferences());
    tab.show();
    EXPECT_FALSE(tab.neverTouchedSection()->isVisible());
    auto settings = state().preferences().settings();
    settings.excludedPaths = {at("a/b"), at("a/B"), at("a/a")};
    state().preferences().setSettings(settings);
    EXPECT_TRUE(tab.neverTouchedSection()->isVisible());
    auto rows = tab.neverTouchedRows();
    ASSERT_EQ(rows.size(), 3U);
    const QStringList shown{"~/a/B", "~/a/a", "~/a/b"};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(rows[i]->label()->text(), shown[static_cast<int>(i)]);

    for (int left = 2; left >= 0; --left) {
        tab.neverTouchedRows().front()->removeButton()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(storedSettings().excludedPaths.size(), static_cast<std::size_t>(left));
        EXPECT_EQ(tab.neverTouchedRows().size(), static_cast<std::size_t>(left));
    }
    EXPECT_FALSE(tab.neverTouchedSection()->isVisible());
}

TEST(SettingsContent, OptionTablesAndTheirLabels) {
    const auto labels = [](const std::vector<PickerOption>& options) {
        std::vector<std::string> result;
        for (const auto& o : options) result.push_back(o.label + "=" + std::to_string(o.value));
        return result;
    };
    using Labels = std::vector<std::string>;
    EXPECT_EQ(labels(staleOptions()), (Labels{"30 days=30", "60 days=60", "90 days=90", "6 months=180"}));
    EXPECT_EQ(labels(hourOptions()),
              (Labels{"07:00=7", "09:00=9", "10:00=10", "12:00=12", "14:00=14", "18:00=18", "21:00=21"}));
    EXPECT_EQ(labels(reclaimableOptions()), (Labels{"5 GB=5", "10 GB=10", "20 GB=20", "50 GB=50"}));
    EXPECT_EQ(labels(lowSpaceOptions()), (Labels{"5 GB=5", "10 GB=10", "20 GB=20", "40 GB=40"}));
    EXPECT_EQ(weekdayOptions().front().label, "Sunday");
    EXPECT_EQ(weekdayOptions().back().value, 7);
    EXPECT_EQ(optionIndex(staleOptions(), 182), -1);
    EXPECT_EQ(removalIndex(std::nullopt), 0);
    EXPECT_EQ(removalIndex(Disposal::delete_), 2);
}

}  // namespace
}  // namespace korvane
