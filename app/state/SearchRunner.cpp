#include "app/state/SearchRunner.h"

#include "app/state/FolderScanState.h"

namespace korvane {

SearchRunner::SearchRunner(FolderScanState& scan, QObject* parent) : QObject(parent), scan_(scan) {
    worker_.setMaxThreadCount(1);
    Request request = wanted();
    results_ = search(request);
    requested_ = request;
    shown_ = std::move(request);
    connect(&scan_, &FolderScanState::changed, this, &SearchRunner::follow);
}

SearchRunner::~SearchRunner() { worker_.waitForDone(); }

SearchRunner::Request SearchRunner::wanted() const {
    return {scan_.searchQuery(), scan_.searchSort(), scan_.sharedGeneralResult()};
}

std::vector<FileTreeScanner::Entry> SearchRunner::search(const Request& request) {
    if (!request.scan || !*request.scan) return {};
    return FileSearch::run(request.query, (*request.scan)->index, request.sort, FolderScanState::searchLimit);
}

void SearchRunner::follow() {
    Request request = wanted();
    if (running_) {
        // The running search finishes first; only the newest change waits for it.
        if (request == *requested_) pending_.reset();
        else pending_ = std::move(request);
        return;
    }
    if (request == requested_) return;
    start(std::move(request));
}

void SearchRunner::start(Request request) {
    running_ = true;
    requested_ = request;
    const std::uint64_t run = ++run_;
    // The request holds the scan it searches, so a newer scan replacing the
    // state's result leaves this one alive until the search is done.
    worker_.start([this, run, request = std::move(request)]() mutable {
        std::vector<FileTreeScanner::Entry> results = search(request);
        QMetaObject::invokeMethod(
            this,
            [this, run, request = std::move(request), results = std::move(results)]() mutable {
                finish(run, std::move(request), std::move(results));
            },
            Qt::QueuedConnection);
    });
}

void SearchRunner::finish(std::uint64_t run, Request request, std::vector<FileTreeScanner::Entry> results) {
    if (run != run_) return;
    running_ = false;
    if (pending_) {
        // Typed on while this ran: its answer is already stale.
        Request next = std::move(*pending_);
        pending_.reset();
        start(std::move(next));
        return;
    }
    results_ = std::move(results);
    shown_ = std::move(request);
    emit resultsChanged();
}

}  // namespace korvane
