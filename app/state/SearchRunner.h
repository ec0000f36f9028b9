#pragma once

#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

class FolderScanState;

// Runs the search page's query over the last folder scan's index, once per
// change of the query, the sort or the scan, on a worker thread so typing
// never waits for it. While one search runs, further changes are folded
// into one more search of the latest query; only the latest query's results
// are ever published.
class SearchRunner : public QObject {
    Q_OBJECT
public:
    // Searches once at once, so the page opens with its results.
    explicit SearchRunner(FolderScanState& scan, QObject* parent = nullptr);
    // Waits for a search still running.
    ~SearchRunner() override;

    SearchRunner(const SearchRunner&) = delete;
    SearchRunner& operator=(const SearchRunner&) = delete;

    // At most FolderScanState::searchLimit entries.
    const std::vector<FileTreeScanner::Entry>& results() const { return results_; }
    // The results answer what the state asks for now.
    bool isCurrent() const { return !running_ && !pending_ && shown_ == wanted(); }

signals:
    void resultsChanged();

private:
    struct Request {
        FileSearch::Query query;
        FileSearch::Sort sort = FileSearch::Sort::size;
        std::shared_ptr<const std::optional<FileTreeScanner::Result>> scan;

        bool operator==(const Request& other) const {
            return query == other.query && sort == other.sort && scan == other.scan;
        }
    };

    Request wanted() const;
    void follow();
    void start(Request request);
    void finish(std::uint64_t run, Request request, std::vector<FileTreeScanner::Entry> results);
    static std::vector<FileTreeScanner::Entry> search(const Request& request);

    FolderScanState& scan_;
    QThreadPool worker_;
    bool running_ = false;
    std::optional<Request> pending_;
    std::optional<Request> requested_;  // of the running or last search
    std::optional<Request> shown_;      // what `results_` answers
    std::uint64_t run_ = 0;
    std::vector<FileTreeScanner::Entry> results_;
};

}  // namespace korvane
