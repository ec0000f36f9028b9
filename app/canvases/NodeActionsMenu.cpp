#include "app/canvases/NodeActionsMenu.h"

#include <memory>

#include <QMenu>

#include "app/presenters/NodeActions.h"

namespace korvane {

QMenu* makeNodeActionsMenu(AppState& state, StorageNode node, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const auto shared = std::make_shared<const StorageNode>(std::move(node));
    for (const NodeActionEntry& entry : nodeActionEntries(state, *shared)) {
        if (!entry.action) {
            menu->addSeparator();
            continue;
        }
        // A single "&" would mark a shortcut letter.
        QString title = QString::fromStdString(entry.title);
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const auto action = *entry.action;
        QObject::connect(menu->addAction(title), &QAction::triggered, &state,
                         [&state, action, shared] { runNodeAction(state, action, *shared); });
    }
    return menu;
}

}  // namespace korvane
