#include "app/canvases/NodeActionsMenu.h"

#include <QMenu>
#include <memory>

#include "app/presenters/NodeActions.h"
#include "app/state/DeveloperState.h"

namespace korvane {

QMenu* makeNodeActionsMenu(const CanvasParts& parts, StorageNode node, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const auto shared = std::make_shared<const StorageNode>(std::move(node));
    for (const NodeActionEntry& entry : nodeActionEntries(parts.developer, parts.desktop, *shared)) {
        if (!entry.action) {
            menu->addSeparator();
            continue;
        }
        // A single "&" would mark a shortcut letter.
        QString title = QString::fromStdString(entry.title);
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const auto action = *entry.action;
        QObject::connect(menu->addAction(title), &QAction::triggered, &parts.developer,
                         [parts, action, shared] {
                             runNodeAction(parts.developer, parts.navigation, parts.desktop, action, *shared);
                         });
    }
    return menu;
}

}  // namespace korvane
