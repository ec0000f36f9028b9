#include "app/screens/AppIcon.h"

#include <QFileIconProvider>
#include <QFileInfo>

#include "app/kit/SymbolIcon.h"

namespace korvane {

namespace {

// The icon the desktop shows for the bundle's path; the application symbol
// when it has none (a bundle that is gone, a desktop without icon themes).
QIcon bundleIcon(const std::string& path, const QColor& fallback) {
    static QFileIconProvider provider;
    const QFileInfo info(QString::fromStdString(path));
    if (info.exists()) {
        QIcon icon = provider.icon(info);
        if (!icon.isNull() && !icon.availableSizes().isEmpty()) return icon;
    }
    return symbolIcon("app.badge", fallback, 28);
}

}  // namespace

QIcon appIcon(const InstalledApp& app, const QColor& fallback) {
    if (app.icon && !app.icon->empty() && app.icon->front() != '/') {
        QIcon themed = QIcon::fromTheme(QString::fromStdString(*app.icon));
        if (!themed.isNull()) return themed;
    }
    for (const auto& file : {app.iconFile, app.icon}) {
        if (!file || file->empty() || file->front() != '/') continue;
        // A scalable icon lists no sizes; whether it draws is what counts.
        QIcon drawn(QString::fromStdString(*file));
        if (!drawn.pixmap(QSize(28, 28)).isNull()) return drawn;
    }
    return bundleIcon(app.bundleURL, fallback);
}

}  // namespace korvane
