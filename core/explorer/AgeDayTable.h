#pragma once

#include <cstdint>
#include <vector>

#include "core/model/AgeProfile.h"

namespace korvane {

// Where modification times fall among the age cells of one reference moment,
// worked out once per scan so that dating a file needs no time-zone
// conversion. For every UTC day from just before the oldest day kept one by
// one to some weeks after the reference, the table holds the (at most two)
// seconds at which the cell changes within that day, local midnight and the
// reference's time of day, and the cells between them. Older times fall in
// months, which the UTC date tells wherever it lies two days or more from
// the month's edges. Read-only once made: the workers of a scan share one.
class AgeDayTable {
public:
    // Days after the reference's that the table covers: files of a clock a
    // little ahead, or of a scan that runs past midnight.
    static constexpr std::int64_t futureDays = 64;

    explicit AgeDayTable(AgeProfile::Moment reference);

    // A cell and the UTC seconds [from, until) around a time that all fall in it.
    struct Span {
        AgeProfile::Stamp stamp;
        std::int64_t from = 0;
        std::int64_t until = 0;
    };
    // False where the table cannot tell: a UTC day with a change of offset in
    // it, an old time near a month's edge, a time far ahead or far back.
    bool find(std::int64_t utcSeconds, Span& span) const;

    AgeProfile::Moment reference() const { return reference_; }

private:
    // Sixteen bytes a day: the seconds into the day where the cell changes
    // (a day's length: no change), the first cell and how far the other two
    // lie from it. A day with a change of offset in it has none.
    struct UtcDay {
        std::int32_t edges[2] = {-1, -1};
        std::int32_t first = 0;
        std::int16_t then[2] = {0, 0};

        bool regular() const { return edges[0] >= 0; }
        std::int32_t cell(int k) const { return k == 0 ? first : first + then[k - 1]; }
    };
    bool findOld(std::int64_t utcDay, Span& span) const;

    AgeProfile::Moment reference_;
    std::int64_t firstDay_ = 0;  // the UTC day of days_[0]
    std::vector<UtcDay> days_;
};

}  // namespace korvane
