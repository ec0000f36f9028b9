#include "app/screens/PageEmptyState.h"

namespace korvane {

EmptyStateView* makePageEmptyState() {
    auto* view = new EmptyStateView({}, 26, EmptyStateView::SymbolTone::inkTertiary, {}, 14, {});
    view->setMessageWidth(340);
    return view;
}

void showPageEmptyState(EmptyStateView& view, const EmptyStateText& text) {
    view.setSymbol(text.symbol);
    view.setTitle(QString::fromStdString(text.title));
    view.setMessage(QString::fromStdString(text.message));
}

}  // namespace korvane
