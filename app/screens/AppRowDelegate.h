#pragma once

#include <QRect>
#include <QStyledItemDelegate>
#include <functional>

#include "app/presenters/ApplicationsContent.h"

namespace korvane {

class AppListModel;

// Draws one application of the list: its icon, name, total and what it
// leaves behind, its age on the right, and the selected row highlighted.
// In a list too narrow for the total and what is left behind side by side,
// every row takes a third line, under its icon too, so that neither figure
// is ever cut.
class AppRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // How much of the selection's highlight a row shows (0 … 1): it moves
    // from the old row to the new one.
    using Highlight = std::function<double(int row)>;

    // Where the icon and each text of a row go; `leftBehind` is empty without leftovers.
    struct TextBoxes {
        QRect icon;
        QRect name;
        QRect total;
        QRect leftBehind;
        QRect age;
    };

    // The owner gives the palette and the highlight of each row.
    AppRowDelegate(QWidget& owner, AppListModel& model, Highlight highlight);

    // The narrowest list that shows this row's figures whole: side by side
    // on one line, or (`stacked`) each on a line of its own.
    static int widthNeeded(const AppRowContent& row, bool stacked);
    void setStacked(bool stacked) { stacked_ = stacked; }
    bool stacked() const { return stacked_; }
    TextBoxes textBoxes(const QRect& rect, const AppRowContent& row) const;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QWidget& owner_;
    AppListModel& model_;
    Highlight highlight_;
    bool stacked_ = false;
};

}  // namespace korvane
