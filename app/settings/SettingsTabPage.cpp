#include "app/settings/SettingsTabPage.h"

#include <QEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/settings/SettingsForm.h"

namespace korvane {

namespace {

// Takes a row out of its list; deleted later, since the row's own button may
// be what asked for its removal.
void discardRow(QLayout& list, QWidget* row) {
    list.removeWidget(row);
    row->disconnect();
    row->hide();
    row->deleteLater();
}

}  // namespace

SettingsTabPage::SettingsTabPage(QWidget* parent) : QWidget(parent) {
    restyleOnPaletteChange(*this, [this] { restyle(); });
}

void SettingsTabPage::setSections(std::initializer_list<QWidget*> sections) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    for (QWidget* section : sections) column->addWidget(section);
    column->addStretch(1);

    auto* scroller = new QScrollArea;
    scroller->setWidget(content);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // No stop of its own, whose ring would frame the whole page: Tab brings
    // each control into view, and the last one the notes under it.
    showColumnEndWithLastStop(*scroller);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(scroller);
}

std::vector<PathRowView*> SettingsTabPage::pathRows(const QLayout& list) {
    std::vector<PathRowView*> rows;
    for (int i = 0; i < list.count(); ++i)
        if (auto* row = qobject_cast<PathRowView*>(list.itemAt(i)->widget())) rows.push_back(row);
    return rows;
}

void SettingsTabPage::showPathRows(QVBoxLayout& list, const std::vector<PathRow>& paths,
                                   const std::function<void(const std::string&)>& remove) {
    const auto shown = pathRows(list);
    const bool same =
        std::equal(paths.begin(), paths.end(), shown.begin(), shown.end(),
                   [](const PathRow& row, const PathRowView* view) {
                       return row.path == view->path() && row.hint.has_value() == (view->hint() != nullptr);
                   });
    if (same) return;
    for (PathRowView* row : shown) discardRow(list, row);
    QWidget* previous = list.parentWidget() ? stopBefore(*list.parentWidget()) : nullptr;
    for (const auto& row : paths) {
        auto* view = new PathRowView(row.path, row.shown, row.hint);
        connect(view, &PathRowView::removeRequested, this, remove);
        list.addWidget(view);
        // A widget added later joins the end of the Tab order: the row's stops
        // go where the row is shown instead.
        for (QWidget* stop : view->findChildren<QWidget*>())
            if (previous != nullptr && (stop->focusPolicy() & Qt::TabFocus)) {
                setTabOrder(previous, stop);
                previous = stop;
            }
    }
}

QWidget* SettingsTabPage::stopBefore(const QWidget& list) const {
    for (QWidget* widget = list.previousInFocusChain(); widget != &list;
         widget = widget->previousInFocusChain()) {
        if (!isAncestorOf(widget)) return nullptr;
        if ((widget->focusPolicy() & Qt::TabFocus) && !list.isAncestorOf(widget)) return widget;
    }
    return nullptr;
}

}  // namespace korvane
