#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace korvane {

class Clock;
class Notifier;
class Settings;

// The weekly automatic developer scan and the notifications after a scan.
// The schedule is kept under "automation.schedule" (JSON text), the moment of
// the last automatic run under "automation.lastRun" (ISO 8601 text).
class Automation : public QObject {
    Q_OBJECT
public:
    struct Schedule {
        bool isEnabled = false;
        std::int64_t weekday = 1;  // 1 = Sunday … 7 = Saturday
        std::int64_t hour = 10;    // the run is due from this hour to the end of that day
        std::int64_t reclaimableAlertGB = 10;
        std::int64_t lowSpaceAlertGB = 20;
        bool alertsEnabled = true;

        friend bool operator==(const Schedule&, const Schedule&) = default;
    };

    static constexpr const char* scheduleKey = "automation.schedule";
    static constexpr const char* lastRunKey = "automation.lastRun";
    // How often the due check runs while the schedule is on.
    static constexpr int checkIntervalMilliseconds = 600 * 1000;

    // Restores the stored schedule (arming the timer when it is on); a stored
    // value that does not decode leaves the defaults and is not rewritten.
    Automation(Settings& settings, Clock& clock, Notifier& notifier, QObject* parent = nullptr);
    ~Automation() override;

    const Schedule& schedule() const { return schedule_; }
    // Stores the schedule, then re-arms.
    void setSchedule(const Schedule& schedule);

    // Title, ". " and body of the last alert; none before the first.
    const std::optional<std::string>& standingAlert() const { return standingAlert_; }

    // Installs the callback that starts the scan, then re-arms.
    void setOnDue(std::function<void()> onDue);

    // While it answers true (a scan or a cleanup runs) a due run waits: it is
    // not recorded, and the next check after the work runs it, on whatever day.
    void setWorkInProgress(std::function<bool()> isBusy);
    // A due run waits for the work of the moment to end.
    bool isWaiting() const { return waiting_; }
    // A scan finished while a due run waited: it measured what the run
    // would have, so the run is recorded as done.
    void scanCompleted();

    // Stops the timer; with the schedule on, starts it again and checks at once.
    void reschedule();
    // Runs the callback when the schedule is on, a callback is installed, today
    // is the scheduled weekday, the hour is at or after the scheduled one and
    // no automatic run happened yet today (or a due run waited), and no work
    // is in progress. The run is recorded first.
    void checkDue();
    // Sets the standing alert, and shows it when a notification service is there.
    void notify(const std::string& title, const std::string& body);

    bool isTimerActive() const { return timer_.isActive(); }

signals:
    void scheduleChanged();
    void standingAlertChanged();
    // The user clicked a notification this program showed.
    void alertOpened();

private:
    // Today is the scheduled day, at or past the hour, with no run yet today.
    bool isDue(std::chrono::system_clock::time_point now) const;

    Settings& settings_;
    Clock& clock_;
    Notifier& notifier_;
    Schedule schedule_;
    std::optional<std::string> standingAlert_;
    QTimer timer_;
    std::function<void()> onDue_;
    std::function<bool()> isBusy_;
    bool waiting_ = false;
};

// All six keys required; other keys ignored.
void to_json(nlohmann::json& j, const Automation::Schedule& value);
void from_json(const nlohmann::json& j, Automation::Schedule& value);

}  // namespace korvane
