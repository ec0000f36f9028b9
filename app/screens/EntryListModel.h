#pragma once

#include <QAbstractListModel>
#include <chrono>
#include <cstdint>
#include <set>
#include <vector>

#include "app/presenters/EntryListContent.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

// The rows of a file list for an item view: each item carries its texts (the
// name as its display text, everything a row shows as its accessible text)
// and its tick as a check state, so screen readers reach both.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit EntryListModel(QObject* parent = nullptr);

    // The ticks stay: ids no longer listed keep counting (the action bar says so).
    void setEntries(std::vector<FileTreeScanner::Entry> entries, std::chrono::system_clock::time_point now);
    const std::vector<FileTreeScanner::Entry>& entries() const { return entries_; }
    const EntryRowContent& rowContent(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    const std::set<std::uint64_t>& ticked() const { return ticked_; }
    // Rows in or holding a place marked "Never touch": not offered, so not
    // tickable; a tick they had goes.
    void setNeverTouched(const std::set<std::uint64_t>& ids);
    // Nothing for a row marked "Never touch" or in the Trash.
    void toggle(int row);
    void clearTicks();
    void untick(const std::set<std::uint64_t>& ids);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void tickedChanged();
    // The user ticked, unticked or cleared: a choice of their own, not the
    // list or the disk taking ticks away.
    void choiceChanged();

private:
    std::vector<FileTreeScanner::Entry> entries_;
    std::vector<EntryRowContent> rows_;
    std::set<std::uint64_t> ticked_;
};

}  // namespace korvane
