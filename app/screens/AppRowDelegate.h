#pragma once

#include <QStyledItemDelegate>

#include "app/presenters/ApplicationsContent.h"

namespace korvane {

class AppListModel;

// The width of the applications list, which its rows fill.
inline constexpr int appListWidth = 320;

// Draws one application of the list: its icon, name, total and what it
// leaves behind, its age on the right, and the selected row highlighted.
class AppRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The owner gives the palette; the page names the selected row.
    AppRowDelegate(QWidget& owner, AppListModel& model, const ApplicationsPageContent& page);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QWidget& owner_;
    AppListModel& model_;
    const ApplicationsPageContent& page_;
};

}  // namespace korvane
