#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "app/presenters/LargeFilesContent.h"
#include "core/explorer/FileTreeScanner.h"

class QLabel;
class QStackedWidget;

namespace korvane {

class AppState;
class EmptyStateView;
class EntryList;

// The large-files page: the last scan's files over the large-file
// threshold, biggest first, with their total, in the file list.
class LargeFilesView : public QWidget {
    Q_OBJECT
public:
    explicit LargeFilesView(AppState& state, QWidget* parent = nullptr);

    const LargeFilesContent& content() const { return content_; }
    QLabel* total() const { return total_; }
    EntryList* list() const { return list_; }
    EmptyStateView* emptyState() const { return empty_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void restyle();

    AppState& state_;
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
