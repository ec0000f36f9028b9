#include "core/explorer/AgeTally.h"

namespace korvane {

void AgeTally::merge(AgeTally&& other) {
    profile_.merge(std::move(other.profile_));
    add(other.run_, other.runBytes_, other.runItems_);
    other.runBytes_ = 0;
}

AgeProfile AgeTally::take() {
    flush();
    AgeProfile profile = std::move(profile_);
    profile_ = AgeProfile();
    return profile;
}

}  // namespace korvane
