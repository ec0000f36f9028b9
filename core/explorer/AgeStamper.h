#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>

#include "core/explorer/AgeDayTable.h"
#include "core/model/AgeProfile.h"
#include "core/system/LocalDays.h"

namespace korvane {

// Turns the modification times one walker meets into age profile stamps
// counted from the reference of a scan's day table. Not shared between
// threads; the table is.
class AgeStamper {
public:
    explicit AgeStamper(const AgeDayTable& table) : table_(&table), reference_(table.reference()) {}

    AgeProfile::Stamp operator()(std::int64_t utcSeconds) {
        // Files come in runs of one day: the span of the last stamp first.
        if (utcSeconds >= from_ && utcSeconds < until_) return last_;
        return miss(utcSeconds);
    }
    AgeProfile::Stamp operator()(const struct stat& st) { return (*this)(std::int64_t{st.st_mtim.tv_sec}); }
    AgeProfile::Stamp operator()(std::chrono::system_clock::time_point time) {
        return (*this)(std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count());
    }
    // The UTC seconds [from, until) that all have the stamp returned last;
    // empty where the zone was asked.
    void lastSpan(std::int64_t& from, std::int64_t& until) const {
        from = from_;
        until = until_;
    }

private:
    AgeProfile::Stamp miss(std::int64_t utcSeconds) {
        AgeDayTable::Span span;
        if (table_->find(utcSeconds, span)) {
            last_ = span.stamp;
            from_ = span.from;
            until_ = span.until;
            return last_;
        }
        // A day with a change of offset, or a time the table does not reach:
        // the zone is asked.
        const LocalDays::Day local = days_.at(utcSeconds);
        last_ = AgeProfile::stamp(reference_, local.day, local.second);
        from_ = until_ = 0;
        if (local.isUniform) {
            // The UTC seconds of that local day, or of its half before or after
            // the reference's time of day where days are kept one by one.
            const std::int64_t start = utcSeconds - local.second;
            from_ = start;
            until_ = start + 86'400;
            if (local.day >= reference_.day - AgeProfile::dayRange) {
                const std::int64_t late = reference_.millisecond / 1000 + 1;  // the first second after it
                if (local.second >= late)
                    from_ = start + late;
                else
                    until_ = start + late;
            }
        }
        return last_;
    }

    const AgeDayTable* table_;
    AgeProfile::Moment reference_;
    LocalDays days_;
    std::int64_t from_ = 0;  // the UTC seconds [from_, until_) all have the stamp `last_`
    std::int64_t until_ = 0;
    AgeProfile::Stamp last_;
};

}  // namespace korvane
