#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <limits>

#include "core/model/AgeProfile.h"
#include "core/system/LocalDays.h"

namespace korvane {

// Turns the modification times one walker meets into age profile stamps
// counted from one reference moment. Not shared between threads.
class AgeStamper {
public:
    explicit AgeStamper(AgeProfile::Moment reference) : reference_(reference) {}

    AgeProfile::Stamp operator()(std::int64_t utcSeconds) {
        const LocalDays::Day local = days_.at(utcSeconds);
        if (local.day >= reference_.day - AgeProfile::dayRange)
            return AgeProfile::stamp(reference_, local.day, local.second);
        // Old files come in runs of one day, and only their month counts.
        if (local.day != oldDay_) {
            oldDay_ = local.day;
            oldStamp_ = AgeProfile::stamp(reference_, local.day, local.second);
        }
        return oldStamp_;
    }
    AgeProfile::Stamp operator()(const struct stat& st) { return (*this)(std::int64_t{st.st_mtim.tv_sec}); }
    AgeProfile::Stamp operator()(std::chrono::system_clock::time_point time) {
        return (*this)(std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count());
    }

private:
    AgeProfile::Moment reference_;
    LocalDays days_;
    std::int64_t oldDay_ = std::numeric_limits<std::int64_t>::min();
    AgeProfile::Stamp oldStamp_;
};

}  // namespace korvane
