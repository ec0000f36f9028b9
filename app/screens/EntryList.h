#pragma once

#include <QPointer>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/presenters/EntryListContent.h"
#include "core/explorer/FileTreeScanner.h"

class QLabel;
class QListView;
class QMenu;

namespace korvane {

class Clock;
class DesktopActions;
class DeveloperState;
class EntryListModel;
class KitButton;
class LinkButton;
class MotionAnimation;
class SlideReveal;
class SymbolButton;

// The file list of the search and large-files pages: one row per entry
// (only the rows in view are painted), a tick per row, "Show in Files" and
// "Open" on the row under the pointer (and in the row's menu, for the
// keyboard), reveal on a double click or Return, and, while
// something is ticked, a bar with the count, the size and "Clear" and
// "Remove" (which stages the ticked entries for review).
class EntryList : public QWidget {
    Q_OBJECT
public:
    // Remove stages the ticked entries in `developer`.
    EntryList(DeveloperState& developer, const DesktopActions& desktop, const Clock& clock,
              QWidget* parent = nullptr);

    // The ticks survive a new list.
    void setEntries(std::vector<FileTreeScanner::Entry> entries);
    // A new scan: ticks of what it does not hold go (the list may show only part of it).
    void keepTicksWithin(const std::vector<FileTreeScanner::Entry>& scanned);

    QListView* view() const { return view_; }
    EntryListModel* model() const { return model_; }
    const EntryActionBar& actionBar() const { return bar_; }
    QWidget* actionBarWidget() const { return barWidget_; }
    // The bar's holder, which slides it in from the bottom and out again.
    SlideReveal* actionBarSlot() const { return barSlot_; }
    LinkButton* clearButton() const { return clear_; }
    KitButton* removeButton() const { return remove_; }
    // The line on what "Remove" left out when it left nothing to review.
    QLabel* noticeLabel() const { return notice_; }
    // The row under the pointer; -1 for none.
    int hoveredRow() const { return hoveredRow_; }
    void setHoveredRow(int row);
    // How strongly a row's hover highlight shows at this moment: 0 … 1.
    double hoverLevel(int row) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor's steps.
    void setUpView();
    void buildHoverActions();
    void buildActionBar();
    void connectActions();

    void refreshBar();
    // Rows in or holding a place marked "Never touch", by the settings now.
    void markNeverTouched();
    void placeHoverActions();
    void revealRow(int row);
    // "Show in Files" and "Open" for a row, at a point on screen.
    void openRowMenu(int row, QPoint at);
    void restyle();

    DeveloperState& developer_;
    const DesktopActions& desktop_;
    const Clock& clock_;
    EntryListModel* model_;
    QListView* view_;
    QWidget* hoverActions_;
    SymbolButton* reveal_;
    SymbolButton* open_;
    QPointer<QMenu> rowMenu_;
    int hoveredRow_ = -1;
    int fadingRow_ = -1;  // the row the pointer left, while its highlight fades
    EntryActionBar bar_;
    QWidget* barWidget_;
    QLabel* count_;
    QLabel* bytes_;
    QLabel* notice_;
    // Said after a "Remove" that staged nothing; gone with the next change of ticks or rows.
    std::optional<std::string> leftOut_;
    LinkButton* clear_;
    KitButton* remove_;
    SlideReveal* barSlot_;
    MotionAnimation* hoverIn_;
    MotionAnimation* hoverOut_;
};

}  // namespace korvane
