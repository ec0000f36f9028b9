#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/state/Automation.h"
#include "core/text/IsoDate.h"
#include "tests/app/fakes/FakeClock.h"
#include "tests/app/fakes/FakeNotifier.h"
#include "tests/app/fakes/FakeSettings.h"

namespace korvane {
namespace {

using testing::FakeClock;
using testing::FakeNotifier;
using testing::FakeSettings;

// 4 March 2024 is a Monday (weekday 2).
const QDate monday(2024, 3, 4);

Automation::Schedule mondayAtTen() {
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    schedule.hour = 10;
    return schedule;
}

TEST(Automation, DueCheckMatrix) {
    struct Row {
        const char* name;
        bool enabled;
        bool callback;
        QDate day;
        QTime time;
        std::optional<std::string> lastRun;  // stored text
        bool runs;
    };
    FakeClock zone;
    const auto localText = [&zone](QDate day, QTime time) { return IsoDate::format(zone.at(day, time)); };
    const std::vector<Row> rows = {
        {"before the hour", true, true, monday, QTime(9, 50), std::nullopt, false},
        {"at the hour", true, true, monday, QTime(10, 0), std::nullopt, true},
        {"later that day", true, true, monday, QTime(17, 30), std::nullopt, true},
        {"last minute of the day", true, true, monday, QTime(23, 59), std::nullopt, true},
        {"another weekday", true, true, monday.addDays(1), QTime(10, 0), std::nullopt, false},
        {"Sunday", true, true, monday.addDays(-1), QTime(12, 0), std::nullopt, false},
        {"already ran today", true, true, monday, QTime(17, 0), localText(monday, QTime(10, 5)), false},
        // 01:00 local is still the previous day in UTC; the day is the local one.
        {"ran just after midnight today", true, true, monday, QTime(11, 0), localText(monday, QTime(1, 0)),
         false},
        {"ran last week", true, true, monday, QTime(11, 0), localText(monday.addDays(-7), QTime(10, 0)),
         true},
        {"stored run is not a date", true, true, monday, QTime(11, 0), "last Monday", true},
        {"disabled", false, true, monday, QTime(11, 0), std::nullopt, false},
        {"no callback", true, false, monday, QTime(11, 0), std::nullopt, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSettings settings;
        FakeClock clock;
        FakeNotifier notifier;
        clock.setLocal(row.day, row.time);
        if (row.lastRun) settings.values["automation.lastRun"] = *row.lastRun;
        Automation automation(settings, clock, notifier);
        int runs = 0;
        if (row.callback) automation.setOnDue([&] { ++runs; });
        auto schedule = mondayAtTen();
        schedule.isEnabled = row.enabled;
        automation.setSchedule(schedule);  // re-arms and checks at once
        automation.checkDue();             // a second check the same day does nothing more

        EXPECT_EQ(runs, row.runs ? 1 : 0);
        if (row.runs)
            EXPECT_EQ(settings.value("automation.lastRun"), IsoDate::format(clock.moment));
        else
            EXPECT_EQ(settings.value("automation.lastRun"), row.lastRun);
    }
}

TEST(Automation, TheTimerRunsOnlyWhileTheScheduleIsOn) {
    FakeSettings settings;
    FakeClock clock;
    FakeNotifier notifier;
    Automation automation(settings, clock, notifier);
    EXPECT_FALSE(automation.isTimerActive());
    automation.setSchedule(mondayAtTen());
    EXPECT_TRUE(automation.isTimerActive());
    auto off = mondayAtTen();
    off.isEnabled = false;
    automation.setSchedule(off);
    EXPECT_FALSE(automation.isTimerActive());
}

TEST(Automation, StoredScheduleIsRestoredOnlyWhenAllSixKeysDecode) {
    const nlohmann::json stored = mondayAtTen();
    struct Row {
        const char* name;
        std::string text;
        bool restored;
    };
    nlohmann::json missing = stored;
    missing.erase("alertsEnabled");
    nlohmann::json extra = stored;
    extra["colour"] = "blue";
    nlohmann::json wrongType = stored;
    wrongType["hour"] = "10";
    const std::vector<Row> rows = {
        {"all six keys", stored.dump(), true},
        {"an extra key is ignored", extra.dump(), true},
        {"a missing key fails the whole value", missing.dump(), false},
        {"a key of the wrong type", wrongType.dump(), false},
        {"not JSON", "isEnabled=true", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSettings settings;
        FakeClock clock;
        FakeNotifier notifier;
        settings.values["automation.schedule"] = row.text;
        Automation automation(settings, clock, notifier);
        EXPECT_EQ(automation.schedule(), row.restored ? mondayAtTen() : Automation::Schedule());
        EXPECT_EQ(automation.isTimerActive(), row.restored);
        // A restored value is stored again by the setter; one that did not decode is left as it was.
        EXPECT_EQ(settings.writeCount("automation.schedule"), row.restored ? 1 : 0);
    }
}

TEST(Automation, ScheduleIsStoredAsJsonWithItsSixKeys) {
    FakeSettings settings;
    FakeClock clock;
    FakeNotifier notifier;
    Automation automation(settings, clock, notifier);
    auto schedule = mondayAtTen();
    schedule.lowSpaceAlertGB = 7;
    automation.setSchedule(schedule);
    const auto stored = nlohmann::json::parse(*settings.value("automation.schedule"));
    EXPECT_EQ(stored, (nlohmann::json{{"isEnabled", true},
                                      {"weekday", 2},
                                      {"hour", 10},
                                      {"reclaimableAlertGB", 10},
                                      {"lowSpaceAlertGB", 7},
                                      {"alertsEnabled", true}}));
}

TEST(Automation, NotifyAlwaysSetsTheStandingAlertAndPostsOnlyWhereItCan) {
    for (const bool available : {true, false}) {
        FakeSettings settings;
        FakeClock clock;
        FakeNotifier notifier;
        notifier.available = available;
        Automation automation(settings, clock, notifier);
        automation.notify("12 GB is reclaimable", "Worth it.");
        EXPECT_EQ(automation.standingAlert(), "12 GB is reclaimable. Worth it.");
        EXPECT_EQ(notifier.posted.size(), available ? 1u : 0u);
    }
}

}  // namespace
}  // namespace korvane
