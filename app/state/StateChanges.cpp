#include "app/state/StateChanges.h"

#include <algorithm>
#include <memory>

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

void followChanges(QObject& receiver, std::initializer_list<const PublishedState*> parts,
                   std::function<void()> refresh) {
    if (parts.size() == 0) return;
    auto touched = std::make_shared<bool>(false);
    for (const PublishedState* part : parts)
        QObject::connect(part, &PublishedState::changed, &receiver, [touched] { *touched = true; });
    // Emitted after the parts' own, once a batch.
    QObject::connect(&(*parts.begin())->changes(), &StateChanges::changed, &receiver,
                     [touched, refresh = std::move(refresh)] {
                         if (std::exchange(*touched, false)) refresh();
                     });
}

}  // namespace korvane
