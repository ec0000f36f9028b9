#pragma once

#include <QRect>
#include <QStyledItemDelegate>

namespace korvane {

class EntryList;
class EntryListModel;

// Paints one row of the entry list (tick, symbol, name over parent folder,
// age, size) and ticks a row on a click in its tick column or on Space.
class EntryRowDelegate : public QStyledItemDelegate {
public:
    // The side of the hover buttons' symbols.
    static constexpr int actionSymbolSize = 13;

    EntryRowDelegate(EntryList& list, EntryListModel& model);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where the hover buttons go in a row (the row without its divider line).
    static QRect hoverActionsRect(const QRect& row);

private:
    EntryList& list_;
    EntryListModel& model_;
};

}  // namespace korvane
