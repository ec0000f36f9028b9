#include "app/state/HistoryRecords.h"

namespace korvane {

HistoryRecords::HistoryRecords(std::string directory, QObject* parent)
    : QObject(parent), store_(std::move(directory)) {
    writer_.setMaxThreadCount(1);
}

HistoryRecords::~HistoryRecords() { writer_.waitForDone(); }

void HistoryRecords::write(std::function<void(HistoryStore&)> write) {
    writer_.start([this, write = std::move(write)] { write(store_); });
}

}  // namespace korvane
