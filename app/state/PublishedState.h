#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>
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

    // Shared by every part of one application state.
    StateChanges& changes() const { return changes_; }

signals:
    void changed();

protected:
    template <class Field, class Value>
    void publish(Field& field, Value&& value) {
        field = std::forward<Value>(value);
        changes_.published(*this);
    }

private:
    StateChanges& changes_;
};

// Calls `refresh` (while `receiver` lives) once after each change that touched
// any of `parts`: a step that sets fields of several of them is one call, not
// one a part. The parts belong to one application state.
void followChanges(QObject& receiver, std::initializer_list<const PublishedState*> parts,
                   std::function<void()> refresh);

}  // namespace korvane
