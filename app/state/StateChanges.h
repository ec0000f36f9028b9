#pragma once

#include <QObject>
#include <vector>

namespace korvane {

class PublishedState;

// The one place the sub-states report that a field changed. Changes made
// while a batch is open reach the screens when the outermost batch ends, as
// one `changed` of each sub-state touched and one `changed` here, so a step
// that sets several fields, even of several sub-states, is redrawn once.
class StateChanges : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    class Batch {
    public:
        explicit Batch(StateChanges& changes) : changes_(changes) { ++changes_.depth_; }
        ~Batch() { changes_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        StateChanges& changes_;
    };

    void published(PublishedState& source);

signals:
    // Some field of some sub-state changed.
    void changed();

private:
    void endBatch();

    int depth_ = 0;
    std::vector<PublishedState*> touched_;
};

}  // namespace korvane
