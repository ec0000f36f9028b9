#pragma once

#include <QLayout>
#include <QList>

namespace korvane {

// Items side by side at their size while they fit the width, the rest on
// the next line, and so on: a row of facts or buttons that a narrow window
// stacks instead of cutting. Items keep their order; none is ever narrower
// than it wants to be, unless it alone is wider than the width. Items of
// different heights are centred on their line, unless bottom-aligned.
class WrapLayout : public QLayout {
public:
    WrapLayout(int horizontalSpacing, int verticalSpacing, QWidget* parent = nullptr);
    ~WrapLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

    // The last item keeps to the right end of whatever line it lands on, as
    // a row's trailing control does behind a spacer.
    void setLastAtLineEnd(bool atEnd) { lastAtLineEnd_ = atEnd; }
    // Items of different heights stand on their line's foot instead of its middle.
    void setBottomAligned(bool bottom) { bottomAligned_ = bottom; }

private:
    // Places the items in `rect` (or only measures, when `place` is false); the height used.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
    int horizontalSpacing_;
    int verticalSpacing_;
    bool lastAtLineEnd_ = false;
    bool bottomAligned_ = false;
};

}  // namespace korvane
