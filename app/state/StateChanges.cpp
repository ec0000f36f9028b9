#include "app/state/StateChanges.h"

#include <algorithm>

#include "app/state/PublishedState.h"

namespace korvane {

void StateChanges::published(PublishedState& source) {
    if (depth_ > 0) {
        if (std::find(touched_.begin(), touched_.end(), &source) == touched_.end())
            touched_.push_back(&source);
        return;
    }
    emit source.changed();
    emit changed();
}

void StateChanges::endBatch() {
    if (--depth_ > 0 || touched_.empty()) return;
    const auto touched = std::exchange(touched_, {});
    for (PublishedState* source : touched) emit source->changed();
    emit changed();
}

}  // namespace korvane
