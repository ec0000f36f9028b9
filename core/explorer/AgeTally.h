#pragma once

#include <cstdint>
#include <utility>

#include "core/model/AgeProfile.h"
#include "core/model/SizeSum.h"

namespace korvane {

// Bytes by age as a folder's walk meets them: an age profile, with the bytes
// of the cell met last kept beside it until a byte of another cell comes. A
// folder's files mostly share a day, so most of them cost a comparison and
// an addition, and a folder without a node whose bytes all share a cell
// hands them to its parent without ever making a profile.
class AgeTally {
public:
    AgeTally() = default;
    // Implicit: a profile passes wherever a tally is asked for.
    AgeTally(AgeProfile&& profile) : profile_(std::move(profile)) {}

    // Bytes of 0 or less are not recorded; `items` as AgeProfile::add counts them.
    void add(AgeProfile::Stamp stamp, std::int64_t bytes, std::uint32_t items = 0) {
        if (bytes <= 0) return;
        if (runBytes_ > 0 && stamp == run_) {
            runBytes_ = SizeSum::add(runBytes_, bytes);
            runItems_ += items;
            return;
        }
        flush();
        run_ = stamp;
        runBytes_ = bytes;
        runItems_ = items;
    }
    void merge(AgeTally&& other);
    void merge(const AgeProfile& profile) { profile_.merge(profile); }
    // The profile of every byte. Leaves the tally empty.
    AgeProfile take();
    // Whether every byte recorded, `bytes` of them, falls in the cell of `stamp`.
    bool holdsOnly(AgeProfile::Stamp stamp, std::int64_t bytes) const {
        return profile_.empty() && runBytes_ > 0 && runBytes_ == bytes && run_.cell == stamp.cell;
    }
    // The same, and those bytes are `items` items.
    bool holdsOnly(AgeProfile::Stamp stamp, std::int64_t bytes, std::uint32_t items) const {
        return holdsOnly(stamp, bytes) && runItems_ == items;
    }

private:
    void flush() {
        if (runBytes_ > 0) profile_.add(run_, runBytes_, runItems_);
        runBytes_ = 0;
    }

    AgeProfile profile_;
    AgeProfile::Stamp run_;
    std::int64_t runBytes_ = 0;  // none while 0
    std::uint32_t runItems_ = 0;
};

}  // namespace korvane
