#pragma once

#include <QStyledItemDelegate>
#include <functional>

#include "app/presenters/ApplicationsContent.h"

namespace korvane {

class AppListModel;

// Draws one application of the list: its icon, name, total and what it
// leaves behind, its age on the right, and the selected row highlighted.
class AppRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // How much of the selection's highlight a row shows (0 … 1): it moves
    // from the old row to the new one.
    using Highlight = std::function<double(int row)>;

    // The owner gives the palette and the highlight of each row.
    AppRowDelegate(QWidget& owner, AppListModel& model, Highlight highlight);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QWidget& owner_;
    AppListModel& model_;
    Highlight highlight_;
};

}  // namespace korvane
