#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <chrono>
#include <vector>

#include "app/presenters/ApplicationsContent.h"

namespace korvane {

// The applications of the list for an item view; each item carries its
// texts for screen readers. Icons are looked up once per bundle.
class AppListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setApps(std::vector<InstalledApp> apps, std::chrono::system_clock::time_point now);
    const std::vector<InstalledApp>& apps() const { return apps_; }
    const AppRowContent& row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    const std::vector<AppRowContent>& rows() const { return rows_; }
    QIcon icon(int row, const QColor& fallback) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<InstalledApp> apps_;
    std::vector<AppRowContent> rows_;
    mutable QHash<QString, QIcon> icons_;
};

}  // namespace korvane
