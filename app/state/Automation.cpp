#include "app/state/Automation.h"

#include <QDateTime>
#include <utility>

#include "app/platform/Clock.h"
#include "app/platform/Notifier.h"
#include "app/platform/Settings.h"
#include "core/text/IsoDate.h"
#include "core/text/Json.h"

namespace korvane {

namespace {

QDateTime localTime(std::chrono::system_clock::time_point moment, const QTimeZone& zone) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(milliseconds.count(), zone);
}

}  // namespace

void to_json(nlohmann::json& j, const Automation::Schedule& value) {
    j = nlohmann::json{{"isEnabled", value.isEnabled},
                       {"weekday", value.weekday},
                       {"hour", value.hour},
                       {"reclaimableAlertGB", value.reclaimableAlertGB},
                       {"lowSpaceAlertGB", value.lowSpaceAlertGB},
                       {"alertsEnabled", value.alertsEnabled}};
}

void from_json(const nlohmann::json& j, Automation::Schedule& value) {
    value.isEnabled = json::toBool(json::required(j, "isEnabled"));
    value.weekday = json::toInt64(json::required(j, "weekday"));
    value.hour = json::toInt64(json::required(j, "hour"));
    value.reclaimableAlertGB = json::toInt64(json::required(j, "reclaimableAlertGB"));
    value.lowSpaceAlertGB = json::toInt64(json::required(j, "lowSpaceAlertGB"));
    value.alertsEnabled = json::toBool(json::required(j, "alertsEnabled"));
}

Automation::Automation(Settings& settings, Clock& clock, Notifier& notifier, QObject* parent)
    : QObject(parent), settings_(settings), clock_(clock), notifier_(notifier) {
    timer_.setInterval(checkIntervalMilliseconds);
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &Automation::checkDue);
    notifier_.setOpenHandler([this] { emit alertOpened(); });

    const auto stored = settings_.value(scheduleKey);
    if (!stored) return;
    if (const auto decoded = decodeJsonText<Schedule>(*stored)) setSchedule(*decoded);
}

Automation::~Automation() { notifier_.setOpenHandler({}); }

void Automation::setSchedule(const Schedule& schedule) {
    schedule_ = schedule;
    emit scheduleChanged();
    settings_.setValue(scheduleKey, nlohmann::json(schedule_).dump());
    reschedule();
}

void Automation::setOnDue(std::function<void()> onDue) {
    onDue_ = std::move(onDue);
    reschedule();
}

void Automation::setWorkInProgress(std::function<bool()> isBusy) { isBusy_ = std::move(isBusy); }

void Automation::scanCompleted() {
    if (!std::exchange(waiting_, false)) return;
    settings_.setValue(lastRunKey, IsoDate::format(clock_.now()));
}

void Automation::reschedule() {
    timer_.stop();
    if (!schedule_.isEnabled) {
        // A run switched off is not owed when the schedule comes back on.
        waiting_ = false;
        return;
    }
    timer_.start();
    checkDue();
}

bool Automation::isDue(std::chrono::system_clock::time_point now) const {
    const QTimeZone zone = clock_.timeZone();
    const QDateTime local = localTime(now, zone);
    if (!local.isValid()) return false;  // no weekday to compare
    // Qt counts Monday as 1 and Sunday as 7; the schedule counts Sunday as 1.
    const int weekday = local.date().dayOfWeek() % 7 + 1;
    if (weekday != schedule_.weekday) return false;
    if (local.time().hour() < schedule_.hour) return false;
    if (const auto stored = settings_.value(lastRunKey)) {
        const auto lastRun = IsoDate::parse(*stored);
        if (lastRun && localTime(*lastRun, zone).date() == local.date()) return false;
    }
    return true;
}

void Automation::checkDue() {
    if (!schedule_.isEnabled) return;
    if (!onDue_) return;
    const auto now = clock_.now();
    if (!waiting_ && !isDue(now)) return;
    // A scan would measure what a cleanup is removing, or run beside one: the run waits.
    if (isBusy_ && isBusy_()) {
        waiting_ = true;
        return;
    }
    waiting_ = false;
    settings_.setValue(lastRunKey, IsoDate::format(now));
    onDue_();
}

void Automation::notify(const std::string& title, const std::string& body) {
    standingAlert_ = title + ". " + body;
    emit standingAlertChanged();
    if (notifier_.canPost()) notifier_.post(title, body);
}

}  // namespace korvane
