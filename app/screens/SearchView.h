#pragma once

#include <QWidget>
#include <memory>

#include "app/presenters/SearchContent.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QStackedWidget;

namespace korvane {

class Clock;
class DesktopActions;
class DeveloperState;
class EmptyStateView;
class EntryList;
class FolderScanState;
class SearchRunner;
class SymbolButton;

// The search page: a field and filters that edit the state's query, and the
// matching entries of the last scan's index in the file list. The search
// itself runs off the UI thread (SearchRunner); the page shows the latest
// query's answer.
class SearchView : public QWidget {
    Q_OBJECT
public:
    // `developer`, `desktop` and `clock` serve the file list.
    SearchView(FolderScanState& folderScan, DeveloperState& developer, const DesktopActions& desktop,
               const Clock& clock, QWidget* parent = nullptr);
    ~SearchView() override;

    const SearchContent& content() const { return content_; }
    SearchRunner& runner() const { return *runner_; }
    QLineEdit* field() const { return field_; }
    QLabel* countBadge() const { return count_; }
    SymbolButton* clearButton() const { return clear_; }
    QComboBox* kindPicker() const { return kind_; }
    QComboBox* sizePicker() const { return size_; }
    QComboBox* agePicker() const { return age_; }
    QComboBox* sortPicker() const { return sort_; }
    QCheckBox* pathsBox() const { return paths_; }
    QCheckBox* regexBox() const { return regex_; }
    EntryList* list() const { return list_; }
    EmptyStateView* emptyState() const { return empty_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLayout* buildQueryBar();
    QLayout* buildFilterBar();
    void connectQuery();
    void followState();
    void showResults();
    void editQuery(const std::function<void(FileSearch::Query&)>& edit);
    void restyle();

    FolderScanState& folderScan_;
    std::unique_ptr<SearchRunner> runner_;
    // The scan the list's ticks belong to.
    std::shared_ptr<const std::optional<FileTreeScanner::Result>> shownScan_;
    SearchContent content_;
    QLineEdit* field_;
    QLabel* count_;
    SymbolButton* clear_;
    QComboBox* kind_;
    QComboBox* size_;
    QComboBox* age_;
    QCheckBox* paths_;
    QCheckBox* regex_;
    QComboBox* sort_;
    QStackedWidget* results_;
    EntryList* list_;
    EmptyStateView* empty_;
};

}  // namespace korvane
