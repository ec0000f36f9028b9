#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/state/Automation.h"
#include "core/text/IsoDate.h"
#include "tests/app/fakes/FakeClock.h"
#include "tests/app/fakes/FakeNotifier.h"
#include "tests/app/fakes/FakeSettings.h"

namespace korvane {
namespace {

// 4 March 2024 is a Monday (weekday 2).
const QDate monday(2024, 3, 4);

Automation::Schedule mondayAtTen() {
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    return schedule;
}

struct Services {
    testing::FakeSettings settings;
    testing::FakeClock clock;
    testing::FakeNotifier notifier;
};

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
    testing::FakeClock zone;
    const auto localText = [&zone](QDate day, QTime time) { return IsoDate::format(zone.at(day, time)); };
    // clang-format off
    const std::vector<Row> rows = {
        {"before the hour", true, true, monday, QTime(9, 50), std::nullopt, false},
        {"at the hour", true, true, monday, QTime(10, 0), std::nullopt, true},
        {"last minute of the day", true, true, monday, QTime(23, 59), std::nullopt, true},
        {"another weekday", true, true, monday.addDays(1), QTime(10, 0), std::nullopt, false},
        {"Sunday", true, true, monday.addDays(-1), QTime(12, 0), std::nullopt, false},
        {"already ran today", true, true, monday, QTime(17, 0), localText(monday, QTime(10, 5)), false},
        // 01:00 local is still the previous day in UTC; the day is the local one.
        {"ran just after midnight today", true, true, monday, QTime(11, 0), localText(monday, QTime(1, 0)), false},
        {"ran last week", true, true, monday, QTime(11, 0), localText(monday.addDays(-7), QTime(10, 0)), true},
        {"stored run is not a date", true, true, monday, QTime(11, 0), "last Monday", true},
        {"disabled", false, true, monday, QTime(11, 0), std::nullopt, false},
        {"no callback", true, false, monday, QTime(11, 0), std::nullopt, false},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Services s;
        s.clock.setLocal(row.day, row.time);
        if (row.lastRun) s.settings.values["automation.lastRun"] = *row.lastRun;
        Automation automation(s.settings, s.clock, s.notifier);
        int runs = 0;
        if (row.callback) automation.setOnDue([&] { ++runs; });
        auto schedule = mondayAtTen();
        schedule.isEnabled = row.enabled;
        automation.setSchedule(schedule);  // re-arms and checks at once
        automation.checkDue();             // a second check the same day does nothing more

        EXPECT_EQ(runs, row.runs ? 1 : 0);
        EXPECT_EQ(s.settings.value("automation.lastRun"),
                  row.runs ? IsoDate::format(s.clock.moment) : row.lastRun);
        EXPECT_EQ(automation.isTimerActive(), row.enabled);  // the timer runs only while the schedule is on
    }
}

TEST(Automation, StoredScheduleIsRestoredOnlyWhenAllSixKeysDecode) {
    const std::string six = R"("isEnabled": true, "weekday": 2, "hour": 10, "reclaimableAlertGB": 10, )"
                            R"("lowSpaceAlertGB": 20)";
    const std::pair<std::string, bool> rows[] = {
        {"{" + six + R"(, "alertsEnabled": true})", true},
        {"{" + six + R"(, "alertsEnabled": true, "colour": "blue"})", true},  // an extra key is ignored
        {"{" + six + "}", false},                                             // one key missing
        {"{" + six + R"(, "alertsEnabled": "yes"})", false},                  // a key of the wrong type
        {"isEnabled=true", false},
    };
    for (const auto& [text, restored] : rows) {
        SCOPED_TRACE(text);
        Services s;
        s.settings.values["automation.schedule"] = text;
        Automation automation(s.settings, s.clock, s.notifier);
        EXPECT_EQ(automation.schedule(), restored ? mondayAtTen() : Automation::Schedule());
        EXPECT_EQ(automation.isTimerActive(), restored);
        // A restored value is stored again by the setter, with exactly its six keys;
        // one that did not decode is left as it was.
        const std::string stored = s.settings.value("automation.schedule").value_or("");
        if (restored)
            EXPECT_EQ(nlohmann::json::parse(stored), nlohmann::json::parse(rows[0].first));
        else
            EXPECT_EQ(stored, text);
    }
}

TEST(Automation, NotifyAlwaysSetsTheStandingAlertAndPostsOnlyWhereItCan) {
    for (const bool available : {true, false}) {
        Services s;
        s.notifier.available = available;
        Automation automation(s.settings, s.clock, s.notifier);
        automation.notify("12 GB is reclaimable", "Worth it.");
        EXPECT_EQ(automation.standingAlert(), "12 GB is reclaimable. Worth it.");
        EXPECT_EQ(s.notifier.posted.size(), available ? 1u : 0u);
    }
}

// While work is in progress a due run waits, unrecorded; the first check
// after the work runs it, also on a later day; a scan that completed meanwhile
// counts as the run; a schedule switched off owes nothing.
TEST(Automation, ADueRunWaitsForWorkInProgress) {
    enum class End { checkAfterTheWork, scanCompleted, scheduleSwitchedOff };
    for (const End end : {End::checkAfterTheWork, End::scanCompleted, End::scheduleSwitchedOff}) {
        SCOPED_TRACE(static_cast<int>(end));
        Services s;
        s.clock.setLocal(monday, QTime(10, 30));
        Automation automation(s.settings, s.clock, s.notifier);
        bool busy = true;
        int runs = 0;
        automation.setWorkInProgress([&] { return busy; });
        automation.setOnDue([&] { ++runs; });
        automation.setSchedule(mondayAtTen());
        EXPECT_TRUE(automation.isWaiting());
        EXPECT_EQ(runs, 0);
        EXPECT_FALSE(s.settings.value("automation.lastRun"));

        s.clock.setLocal(monday.addDays(1), QTime(0, 5));
        automation.checkDue();  // still busy
        EXPECT_EQ(runs, 0);
        busy = false;
        if (end == End::scanCompleted) automation.scanCompleted();
        if (end == End::scheduleSwitchedOff) {
            auto off = mondayAtTen();
            off.isEnabled = false;
            automation.setSchedule(off);
            automation.setSchedule(mondayAtTen());
        }
        automation.checkDue();
        EXPECT_FALSE(automation.isWaiting());
        EXPECT_EQ(runs, end == End::checkAfterTheWork ? 1 : 0);
        EXPECT_EQ(s.settings.value("automation.lastRun"),
                  end == End::scheduleSwitchedOff ? std::nullopt
                                                  : std::optional(IsoDate::format(s.clock.moment)));
    }
}

}  // namespace
}  // namespace korvane
