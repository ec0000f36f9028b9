#include "app/canvases/NodeActionsMenu.h"

#include <QMenu>
#include <memory>

#include "app/presenters/NodeActions.h"
#include "app/state/DeveloperState.h"

namespace korvane {

namespace {

QMenu* makeMenu(const CanvasParts& parts, const std::vector<NodeActionEntry>& entries,
                const std::shared_ptr<const StorageNode>& shared, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const NodeActionEntry& entry : entries) {
        if (!entry.action) {
            menu->addSeparator();
            continue;
        }
        // A single "&" would mark a shortcut letter.
        QString title = QString::fromStdString(entry.title);
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const auto action = *entry.action;
        QAction* item = menu->addAction(title);
        item->setEnabled(entry.enabled);
        QObject::connect(item, &QAction::triggered, &parts.developer, [parts, action, shared] {
            runNodeAction(parts.developer, parts.navigation, parts.desktop, action, *shared);
        });
    }
    return menu;
}

}  // namespace

QMenu* makeNodeActionsMenu(const CanvasParts& parts, StorageNode node, QWidget* parent) {
    const auto shared = std::make_shared<const StorageNode>(std::move(node));
    const std::vector<NodeActionEntry> entries = nodeActionEntries(parts.developer, parts.desktop, *shared);
    return entries.empty() ? nullptr : makeMenu(parts, entries, shared, parent);
}

QMenu* makeSummedItemsMenu(const CanvasParts& parts, const StorageNode& folder, QWidget* parent) {
    // Where the folder is, without the tree beneath it.
    auto place = std::make_shared<StorageNode>();
    place->id = folder.id;
    place->name = folder.name;
    place->path = folder.path;
    place->kind = folder.kind;
    const std::shared_ptr<const StorageNode> shared = std::move(place);
    const std::vector<NodeActionEntry> entries = summedItemsActionEntries(parts.desktop, *shared);
    return entries.empty() ? nullptr : makeMenu(parts, entries, shared, parent);
}

}  // namespace korvane
