#include "core/text/AbbreviatedDate.h"

#include <array>
#include <ctime>

#include "core/text/RelativeDate.h"

namespace korvane {

namespace {

std::tm local(AbbreviatedDate::TimePoint date) {
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(RelativeDate::clamped(date)));
    std::tm fields{};
    ::localtime_r(&t, &fields);
    return fields;
}

std::string dayText(const std::tm& fields) {
    static constexpr std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return std::string(months[static_cast<std::size_t>(fields.tm_mon % 12)]) + " " + std::to_string(fields.tm_mday) +
           ", " + std::to_string(fields.tm_year + 1900);
}

}  // namespace

std::string AbbreviatedDate::string(TimePoint date) { return dayText(local(date)); }

std::string AbbreviatedDate::withTime(TimePoint date) {
    const std::tm fields = local(date);
    const int hour = fields.tm_hour % 12 == 0 ? 12 : fields.tm_hour % 12;
    const std::string minute = (fields.tm_min < 10 ? "0" : "") + std::to_string(fields.tm_min);
    return dayText(fields) + " at " + std::to_string(hour) + ":" + minute + (fields.tm_hour < 12 ? " AM" : " PM");
}

}  // namespace korvane
