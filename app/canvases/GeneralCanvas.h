#pragma once

#include <QWidget>

#include "app/presenters/CanvasPageContent.h"

class QLabel;
class QStackedWidget;

namespace korvane {

class CanvasDrawing;
class ElidedLabel;
class EmptyStateView;

// The disk-usage page of general mode: the last folder scan's tree under a
// header and the mode switcher, a placeholder while the first scan runs, or
// an invitation to scan the home folder.
class GeneralCanvas : public QWidget {
    Q_OBJECT
public:
    explicit GeneralCanvas(AppState& state, QWidget* parent = nullptr);

    const GeneralCanvasContent& content() const { return content_; }
    CanvasDrawing* drawing() const { return drawing_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeTreePage();
    void refresh();
    void restyle();

    AppState& state_;
    GeneralCanvasContent content_;
    QStackedWidget* pages_;
    QWidget* treePage_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* bytes_ = nullptr;
    QLabel* dot_ = nullptr;
    QLabel* files_ = nullptr;
    ElidedLabel* blurb_ = nullptr;
    CanvasDrawing* drawing_ = nullptr;
    EmptyStateView* scanning_;
    EmptyStateView* nothingScanned_;
};

}  // namespace korvane
