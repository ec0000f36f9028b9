#pragma once

#include <QObject>
#include <utility>

#include "app/state/StateChanges.h"

namespace korvane {

// A part of the application's state that publishes its fields: setting one
// emits `changed` (through the shared StateChanges, so batches hold).
class PublishedState : public QObject {
    Q_OBJECT
public:
    explicit PublishedState(StateChanges& changes, QObject* parent = nullptr)
        : QObject(parent), changes_(changes) {}

signals:
    void changed();

protected:
    template <class Field, class Value>
    void publish(Field& field, Value&& value) {
        field = std::forward<Value>(value);
        changes_.published(*this);
    }
    StateChanges& changes() { return changes_; }

private:
    StateChanges& changes_;
};

}  // namespace korvane
