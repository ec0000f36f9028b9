#include "app/screens/AppListModel.h"

#include "app/screens/AppIcon.h"

namespace korvane {

void AppListModel::setApps(std::vector<InstalledApp> apps, std::chrono::system_clock::time_point now) {
    beginResetModel();
    apps_ = std::move(apps);
    rows_.clear();
    for (const auto& app : apps_) rows_.push_back(appRowContent(app, now));
    endResetModel();
}

QIcon AppListModel::icon(int row, const QColor& fallback) const {
    const InstalledApp& app = apps_[static_cast<std::size_t>(row)];
    const QString key = QString::fromStdString(app.bundleURL);
    if (!icons_.contains(key)) icons_.insert(key, appIcon(app, fallback));
    return icons_.value(key);
}

int AppListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(apps_.size());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const AppRowContent& content = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return QString::fromStdString(content.name);
    // The whole name, however the row cuts it; as text, never as markup.
    if (role == Qt::ToolTipRole)
        return QStringLiteral("<qt>%1</qt>").arg(QString::fromStdString(content.name).toHtmlEscaped());
    if (role == Qt::AccessibleTextRole)
        return QString::fromStdString(content.name + ", " + content.total +
                                      (content.leftBehind ? ", " + *content.leftBehind : "") +
                                      (content.age ? ", " + *content.age : ""));
    return {};
}

}  // namespace korvane
