#pragma once

#include <QWidget>
#include <vector>

#include "app/canvases/CanvasParts.h"
#include "app/presenters/CanvasPageContent.h"

class QHBoxLayout;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace korvane {

class CanvasBlurb;
class CanvasDrawing;
class ElidedLabel;
class EmptyStateView;
class FolderScanState;

// The disk-usage page of general mode: the last folder scan's tree under a
// header (the folders above the one on show as buttons back to them, then
// its name) and the mode switcher, a placeholder while the first scan runs,
// or an invitation to scan the home folder. Backspace and Alt+Up go up.
class GeneralCanvasPage : public QWidget {
    Q_OBJECT
public:
    GeneralCanvasPage(FolderScanState& folderScan, const CanvasParts& parts, QWidget* parent = nullptr);

    const GeneralCanvasContent& content() const { return content_; }
    CanvasDrawing* drawing() const { return drawing_; }
    // The buttons back to the folders above the one on show, the scan root first.
    std::vector<QPushButton*> crumbButtons() const;
    QWidget* header() const { return header_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeTreePage();
    void refresh();
    void rebuildCrumbs();
    void restyle();

    FolderScanState& folderScan_;
    CanvasParts parts_;
    GeneralCanvasContent content_;
    QStackedWidget* pages_;
    QWidget* treePage_ = nullptr;
    QWidget* header_ = nullptr;
    QWidget* crumbs_ = nullptr;
    QHBoxLayout* crumbRow_ = nullptr;
    std::vector<GeneralCanvasContent::Crumb> shownCrumbs_;
    QLabel* name_ = nullptr;
    QLabel* bytes_ = nullptr;
    QLabel* dot_ = nullptr;
    QLabel* files_ = nullptr;
    CanvasBlurb* blurb_ = nullptr;
    CanvasDrawing* drawing_ = nullptr;
    EmptyStateView* scanning_;
    EmptyStateView* nothingScanned_;
    EmptyStateView* unreadable_;
};

}  // namespace korvane
