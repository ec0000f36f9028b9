#pragma once

#include <QWidget>

#include "app/canvases/CanvasParts.h"
#include "app/presenters/CanvasPageContent.h"

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QSlider;
class QStackedWidget;

namespace korvane {

class CanvasBlurb;
class CanvasDrawing;
class CanvasModeSwitcher;
class ElidedLabel;
class EmptyStateView;
class KitButton;
class LinkButton;

// The developer canvas page: a header naming the node on show, a toolbar
// with the mode switcher, "Include protected" and the depth slider, the
// canvas or its empty states, and the footer with the cleanup selection and
// the review button (the window's Return default, except while typing).
class DeveloperCanvasPage : public QWidget {
    Q_OBJECT
public:
    explicit DeveloperCanvasPage(const CanvasParts& parts, QWidget* parent = nullptr);

    const DeveloperCanvasContent& content() const { return content_; }
    CanvasDrawing* drawing() const { return drawing_; }
    KitButton* reviewButton() const { return review_; }
    QWidget* header() const { return header_; }
    QWidget* footer() const { return footer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // "Include protected" and the depth slider move below the switcher when
    // the page is too narrow for both in one row, rather than drawing over
    // it; the same for every canvas, whether the slider shows or not.
    void placeToolbarControls();
    QWidget* makeHeader();
    QWidget* makeToolbar();
    QWidget* makeFooter();
    void refresh();
    void restyle();
    // Return and Enter open the review unless a text field has the focus.
    void reviewFromKeyboard();

    CanvasParts parts_;
    DeveloperCanvasContent content_;
    QWidget* header_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* bytes_ = nullptr;
    QLabel* dot_ = nullptr;
    QLabel* items_ = nullptr;
    QLabel* secondDot_ = nullptr;
    QLabel* reclaimable_ = nullptr;
    CanvasModeSwitcher* switcher_ = nullptr;
    CanvasBlurb* blurb_ = nullptr;
    QCheckBox* includeProtected_ = nullptr;
    QWidget* depthGroup_ = nullptr;
    QLabel* depthTitle_ = nullptr;
    QSlider* depth_ = nullptr;
    QLabel* depthValue_ = nullptr;
    QHBoxLayout* toolbarRow_ = nullptr;
    QHBoxLayout* toolbarSecondRow_ = nullptr;
    QStackedWidget* body_ = nullptr;
    EmptyStateView* noMatch_ = nullptr;
    CanvasDrawing* drawing_ = nullptr;
    EmptyStateView* nothingHere_ = nullptr;
    EmptyStateView* notScanned_ = nullptr;
    QWidget* footer_ = nullptr;
    QLabel* selectedCount_ = nullptr;
    QLabel* selectedBytes_ = nullptr;
    QWidget* freeSpaceTexts_ = nullptr;
    ElidedLabel* freeSpace_ = nullptr;
    ElidedLabel* freeSpaceOnceEmptied_ = nullptr;
    LinkButton* selectSafe_ = nullptr;
    LinkButton* clear_ = nullptr;
    KitButton* review_ = nullptr;
};

}  // namespace korvane
