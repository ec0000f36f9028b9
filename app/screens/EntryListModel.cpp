#include "app/screens/EntryListModel.h"

#include "app/presenters/OneLineText.h"

namespace korvane {

EntryListModel::EntryListModel(QObject* parent) : QAbstractListModel(parent) {}

void EntryListModel::setEntries(std::vector<FileTreeScanner::Entry> entries,
                                std::chrono::system_clock::time_point now) {
    beginResetModel();
    entries_ = std::move(entries);
    rows_.clear();
    rows_.reserve(entries_.size());
    const TrashFolders trash;
    for (const auto& entry : entries_) rows_.push_back(entryRowContent(entry, now, trash));
    endResetModel();
    // The listed sum changes with the list even when no tick does.
    emit tickedChanged();
}

void EntryListModel::setNeverTouched(const std::set<std::uint64_t>& ids) {
    bool changed = false;
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        const bool marked = ids.contains(entries_[row].id);
        changed |= rows_[row].neverTouched != marked;
        rows_[row].neverTouched = marked;
    }
    if (changed && rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1));
    untick(ids);
}

void EntryListModel::toggle(int row) {
    if (row < 0 || row >= rowCount() || !rows_[static_cast<std::size_t>(row)].isOffered()) return;
    const std::uint64_t id = entries_[static_cast<std::size_t>(row)].id;
    if (!ticked_.erase(id)) ticked_.insert(id);
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
    emit tickedChanged();
    emit choiceChanged();
}

void EntryListModel::clearTicks() {
    if (ticked_.empty()) return;
    ticked_.clear();
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
    emit tickedChanged();
    emit choiceChanged();
}

void EntryListModel::untick(const std::set<std::uint64_t>& ids) {
    std::size_t erased = 0;
    for (const std::uint64_t id : ids) erased += ticked_.erase(id);
    if (erased == 0) return;
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
    emit tickedChanged();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const EntryRowContent& content = rows_[row];
    switch (role) {
        case Qt::DisplayRole: return QString::fromStdString(content.name);
        case Qt::AccessibleTextRole:
            return QString::fromStdString(content.name + ", " + content.wholePath + ", " + content.age + ", " +
                                          content.size + (content.neverTouched ? ", marked Never touch" : "") +
                                          (content.inTrash ? ", in the Trash" : ""));
        // The whole name and path, however the row cuts them; as text, never as markup.
        case Qt::ToolTipRole:
            return QStringLiteral("<qt>%1<br>%2%3</qt>")
                .arg(QString::fromStdString(oneLineText(content.name)).toHtmlEscaped(),
                     QString::fromStdString(oneLineText(content.wholePath)).toHtmlEscaped(),
                     content.neverTouched ? QStringLiteral("<br>Marked Never touch: Korvane will not remove it")
                     : content.inTrash    ? QStringLiteral("<br>In the Trash: Korvane will not remove it")
                                          : QString());
        case Qt::CheckStateRole:
            if (!content.isOffered()) return {};
            return ticked_.contains(entries_[row].id) ? Qt::Checked : Qt::Unchecked;
        default: return {};
    }
}

bool EntryListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid()) return false;
    const bool wanted = value.value<Qt::CheckState>() == Qt::Checked;
    if (wanted != ticked_.contains(entries_[static_cast<std::size_t>(index.row())].id)) toggle(index.row());
    return true;
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.row() < rowCount() && !rows_[static_cast<std::size_t>(index.row())].isOffered())
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

}  // namespace korvane
