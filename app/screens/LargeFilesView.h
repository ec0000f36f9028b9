#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "app/presenters/LargeFilesContent.h"
#include "core/explorer/FileTreeScanner.h"

class QLabel;
class QStackedWidget;

namespace korvane {

class Clock;
class DesktopActions;
class DeveloperState;
class EmptyStateView;
class EntryList;
class FolderScanState;

// The large-files page: the last scan's files over the large-file
// threshold, biggest first, with their total, in the file list.
class LargeFilesView : public QWidget {
    Q_OBJECT
public:
    // `developer`, `desktop` and `clock` serve the file list.
    LargeFilesView(FolderScanState& folderScan, DeveloperState& developer, const DesktopActions& desktop,
                   const Clock& clock, QWidget* parent = nullptr);

    const LargeFilesContent& content() const { return content_; }
    QLabel* total() const { return total_; }
    EntryList* list() const { return list_; }
    EmptyStateView* emptyState() const { return empty_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void restyle();

    FolderScanState& folderScan_;
    std::shared_ptr<const std::optional<FileTreeScanner::Result>> shown_;
    LargeFilesContent content_;
    QLabel* title_;
    QLabel* subtitle_;
    QLabel* total_;
    QStackedWidget* body_;
    EntryList* list_;
    EmptyStateView* empty_;
};

}  // namespace korvane
