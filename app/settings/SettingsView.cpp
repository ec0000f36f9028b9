#include "app/settings/SettingsView.h"

#include <QEvent>
#include <QPixmapCache>
#include <QScrollArea>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/presenters/SettingsContent.h"
#include "app/settings/AboutTab.h"
#include "app/settings/AutomationTab.h"
#include "app/settings/CleanupSettingsTab.h"
#include "app/settings/ScanSettingsTab.h"
#include "app/settings/SettingsForm.h"

namespace korvane {

SettingsView::SettingsView(AppState& state, QWidget* parent)
    : QWidget(parent),
      tabs_(new QTabWidget),
      scan_(new ScanSettingsTab(state.preferences(), state.desktop())),
      cleanup_(new CleanupSettingsTab(state.preferences())),
      automation_(new AutomationTab(state.automation(), state.preferences())),
      about_(new AboutTab) {
    const auto& titles = settingsTabs();
    QWidget* pages[] = {scan_, cleanup_, automation_, about_};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        tabs_->addTab(pages[i], QString::fromStdString(titles[i].title));
        // Screen readers name a page's scrolling part after its tab.
        if (auto* scroll = pages[i]->findChild<QScrollArea*>()) scroll->setAccessibleName(tabs_->tabText(i));
    }
    tabs_->setFixedWidth(width);
    tabs_->setMinimumHeight(height);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 0, Qt::AlignHCenter);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

SettingsView::~SettingsView() {
    // The style caches the faces it draws for the stock controls here under
    // keys made from this window's palettes, new for every window, so no later
    // opening finds them again: left there, they would fill the pixmap cache up
    // to its limit. All it holds can be drawn again, so it goes as a whole.
    QPixmapCache::clear();
}

QSize SettingsView::sizeHint() const {
    // A scroll area asks for a few lines whatever it holds: the tabs ask for
    // the tallest page's sections as laid out across the page.
    int tallest = 0;
    int pages = 0;
    for (int i = 0; i < tabs_->count(); ++i) {
        const QWidget* page = tabs_->widget(i);
        pages = std::max(pages, page->sizeHint().height());
        const auto* scroll = page->findChild<QScrollArea*>();
        const QWidget* sections = scroll ? scroll->widget() : nullptr;
        if (!sections) continue;
        // Before the first showing the page has no width yet: the tab's, less a scroll bar.
        const int across = scroll->isVisible() ? scroll->viewport()->width() : width - 24;
        tallest = std::max(tallest, sections->hasHeightForWidth() ? sections->heightForWidth(across)
                                                                 : sections->sizeHint().height());
    }
    const QMargins margins = contentsMargins() + layout()->contentsMargins();
    const int tabs = std::max(tabs_->sizeHint().height() - pages + tallest, height);
    return {width + margins.left() + margins.right(), tabs + margins.top() + margins.bottom()};
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // No remembered tab: every showing starts on "Scanning" (a window coming
    // back from the task bar is no new showing).
    if (!event->spontaneous()) tabs_->setCurrentIndex(0);
}

void SettingsView::restyle() {
    const Palette& palette = environmentPalette(this);
    const auto& titles = settingsTabs();
    for (std::size_t i = 0; i < titles.size(); ++i)
        tabs_->setTabIcon(static_cast<int>(i), symbolIcon(titles[i].symbol, 14, palette.ink));
}

}  // namespace korvane
