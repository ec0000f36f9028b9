#include "app/screens/ApplicationsView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/kit/BusyDots.h"
#include "app/kit/CrossFade.h"
#include "app/kit/FieldFocus.h"
#include "app/kit/Ground.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/SymbolButton.h"
#include "app/kit/SymbolView.h"
#include "app/platform/Clock.h"
#include "app/screens/AppDetailPane.h"
#include "app/screens/AppListModel.h"
#include "app/screens/AppRowDelegate.h"
#include "app/state/ApplicationsState.h"
#include "app/state/PreferencesState.h"
#include "app/theme/AppFont.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

ApplicationsView::ApplicationsView(ApplicationsState& applications, const DesktopActions& desktop,
                                   const Clock& clock, QWidget* parent)
    : QWidget(parent),
      applications_(applications),
      clock_(clock),
      filter_(new QLineEdit),
      refresh_(new SymbolButton("arrow.clockwise", QStringLiteral("Refresh"), 13)),
      body_(new QStackedWidget),
      looking_(new QWidget),
      lookingText_(plainLabel(QStringLiteral("Looking for applications\u2026"))),
      list_(new QListView),
      model_(new AppListModel(this)),
      footer_(new Ground(&Palette::rail)),
      footerText_(plainLabel()),
      detailPane_(new AppDetailPane(applications, desktop, clock)),
      selection_(new MotionAnimation(AppMotion::snappy, 1.0, this)),
      detailFade_(new CrossFade(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildListColumn());
    row->addWidget(new Hairline(Qt::Vertical));
    row->addWidget(detailPane_, 1);

    // Whatever changes the text filters: typing, a paste, a screen reader setting it.
    connect(filter_, &QLineEdit::textChanged, this, &ApplicationsView::refresh);
    connect(refresh_, &QAbstractButton::clicked, &applications_, &ApplicationsState::scanApps);
    connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) {
        applications_.setSelectedApp(model_->apps()[static_cast<std::size_t>(index.row())]);
    });
    // The arrows choose as a click does; a list built anew moves nothing,
    // nor does the current row following the chosen one.
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                const auto row = static_cast<std::size_t>(index.row());
                if (index.isValid() && list_->hasFocus() && content_.selectedRow != row)
                    applications_.setSelectedApp(model_->apps()[row]);
            });
    // The detail's note follows how the review is set to remove, too.
    followChanges(*this, {&applications_, &applications_.preferences()}, [this] { refresh(); });
    connect(selection_, &QVariantAnimation::valueChanged, list_->viewport(), qOverload<>(&QWidget::update));
    restyleOnPaletteChange(*this, [this] {
        restyle();
        detailPane_->showApp(detailApp_, content_.noApplications, content_.disposalOverride);
    });
    restyle();
    refresh();
}

const std::optional<AppDetailContent>& ApplicationsView::detail() const { return detailPane_->content(); }
QCheckBox* ApplicationsView::includeBundleBox() const { return detailPane_->includeBundleBox(); }
KitButton* ApplicationsView::uninstallButton() const { return detailPane_->uninstallButton(); }
KitButton* ApplicationsView::showInFileManagerButton() const {
    return detailPane_->showInFileManagerButton();
}

// The filter over the list, the list (or the scan's first moments) and the
// scan's progress under it.
QWidget* ApplicationsView::buildListColumn() {
    auto* listColumn = new QWidget;
    listColumn_ = listColumn;
    auto* column = new QVBoxLayout(listColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(buildFilterHeader());
    followFieldFocus(*filter_, listColumn->findChild<SymbolView*>(QStringLiteral("magnifier")));
    column->addWidget(new Hairline(Qt::Horizontal));
    buildLooking();
    buildList();
    body_->addWidget(looking_);
    body_->addWidget(list_);
    column->addWidget(body_, 1);
    buildFooter();
    column->addWidget(footer_);
    return listColumn;
}

QLayout* ApplicationsView::buildFilterHeader() {
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 12, 14, 12);
    header->setSpacing(8);
    auto* magnifier = new SymbolView("magnifyingglass", 11);
    magnifier->setObjectName(QStringLiteral("magnifier"));
    header->addWidget(magnifier);
    filter_->setPlaceholderText(QStringLiteral("Filter applications"));
    // The placeholder, read as the description, says what the filter looks at.
    filter_->setAccessibleName(QStringLiteral("Filter"));
    // The narrowest list cuts the hint short.
    setShownToolTip(*filter_, QStringLiteral("Filter applications"));
    filter_->setFrame(false);
    filter_->setFont(AppFont::font(12));
    header->addWidget(filter_, 1);
    header->addWidget(refresh_);
    return header;
}

void ApplicationsView::buildLooking() {
    auto* lookingColumn = new QVBoxLayout(looking_);
    lookingColumn->addStretch(1);
    lookingColumn->setSpacing(8);
    lookingColumn->addWidget(new BusyDots, 0, Qt::AlignHCenter);
    lookingColumn->addWidget(lookingText_, 0, Qt::AlignHCenter);
    lookingColumn->addStretch(1);
}

void ApplicationsView::buildList() {
    list_->setModel(model_);
    rowDelegate_ = new AppRowDelegate(*this, *model_, [this](int row) { return rowHighlight(row); });
    list_->setItemDelegate(rowDelegate_);
    list_->setUniformItemSizes(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setAccessibleName(QStringLiteral("Applications"));
}

void ApplicationsView::buildFooter() {
    auto* footerLine = new QHBoxLayout(footer_);
    footerLine->setContentsMargins(14, 8, 14, 8);
    footerLine->setSpacing(8);
    footerLine->addWidget(new BusyDots);
    footerLine->addWidget(footerText_, 1);
}

void ApplicationsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) return;
    appeared_ = true;
    if (applicationsPageShouldScan(applications_.apps(), applications_.isScanningApps()))
        applications_.scanApps();
}

void ApplicationsView::resizeEvent(QResizeEvent* event) {
    // The list gives way on a narrow page, so the detail pane keeps its room.
    fitListColumn();
    QWidget::resizeEvent(event);
}

void ApplicationsView::measureRows() {
    stackedNeed_ = 0;
    sideBySideNeed_ = 0;
    for (const AppRowContent& row : model_->rows()) {
        stackedNeed_ = std::max(stackedNeed_, AppRowDelegate::widthNeeded(row, true));
        sideBySideNeed_ = std::max(sideBySideNeed_, AppRowDelegate::widthNeeded(row, false));
    }
}

void ApplicationsView::fitListColumn() {
    // Room for the scroll bar, whether a long list shows it or not.
    const int scrollBar = list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    const int width = static_cast<int>(appListColumnWidth(this->width(), stackedNeed_ + scrollBar));
    listColumn_->setFixedWidth(width);
    const bool stacked = width - scrollBar < sideBySideNeed_;
    if (stacked == rowDelegate_->stacked()) return;
    rowDelegate_->setStacked(stacked);
    list_->doItemsLayout();
}

void ApplicationsView::refresh() {
    ApplicationsPageContent content = applicationsPageContent(
        applications_.apps(), applications_.isScanningApps(), applications_.appScanProgress(),
        applications_.selectedApp(), filter_->text().toStdString(),
        applications_.preferences().disposalOverride());
    if (content == content_) return;
    const bool rowsChanged = content.rows != content_.rows;
    const std::optional<std::size_t> selectedBefore = content_.selectedRow;
    content_ = std::move(content);
    // Among the same rows a new selection moves; a new list shows it at once.
    if (!rowsChanged && content_.selectedRow != selectedBefore)
        moveSelection(selectedBefore);
    else if (rowsChanged) {
        leavingRow_.reset();
        selection_->jumpTo(1.0);
    }
    refresh_->setEnabled(content_.refreshEnabled);
    body_->setCurrentWidget(content_.showsLooking ? looking_ : list_);
    footer_->setVisible(content_.footer.has_value());
    footerText_->setText(QString::fromStdString(content_.footer.value_or("")));
    // An empty list is no Tab stop: focusing it would show nothing.
    list_->setFocusPolicy(content_.rows.empty() ? Qt::NoFocus : Qt::StrongFocus);
    if (rowsChanged) {
        model_->setApps(content_.rows, clock_.now());
        measureRows();
        fitListColumn();
    } else
        list_->viewport()->update();
    // The keyboard goes on from the chosen row, also in a list built anew
    // (Tab into it would otherwise choose its first row).
    if (content_.selectedRow) {
        const QModelIndex chosen = model_->index(static_cast<int>(*content_.selectedRow));
        if (list_->currentIndex() != chosen)
            list_->selectionModel()->setCurrentIndex(chosen, QItemSelectionModel::NoUpdate);
    }
    // Without an application the pane's text follows the filter too.
    if (content_.detail != detailApp_ || content_.disposalOverride != detailPane_->disposalOverride() ||
        (!content_.detail && content_.noApplications != detailPane_->emptyState())) {
        detailApp_ = content_.detail;
        detailPane_->showApp(detailApp_, content_.noApplications, content_.disposalOverride);
    }
}

void ApplicationsView::moveSelection(std::optional<std::size_t> from) {
    if (!isVisible() || AppMotion::jumpsToEnd()) {
        leavingRow_.reset();
        selection_->jumpTo(1.0);
        return;
    }
    leavingRow_ = from;
    selection_->jumpTo(0.0);
    selection_->animateTo(1.0);
    if (content_.detail != detailApp_) {
        detailFade_->fadeOut(detailPane_->grab(), detailPane_->geometry(), AppMotion::snappy);
        detailFade_->raise();
    }
}

double ApplicationsView::rowHighlight(int row) const {
    const double moved = std::clamp(selection_->currentValue().toDouble(), 0.0, 1.0);
    const auto is = [row](const std::optional<std::size_t>& at) {
        return at && static_cast<int>(*at) == row;
    };
    return (is(content_.selectedRow) ? moved : 0.0) + (is(leavingRow_) ? 1 - moved : 0.0);
}

void ApplicationsView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), environmentPalette(this).canvas);
}

void ApplicationsView::restyle() {
    const Palette& palette = environmentPalette(this);
    findChild<SymbolView*>(QStringLiteral("magnifier"))->setColor(palette.inkTertiary);
    styleLabel(lookingText_, AppFont::caption(), palette.inkSecondary);
    styleLabel(footerText_, AppFont::small(), palette.inkTertiary);
    QPalette colors = list_->palette();
    colors.setColor(QPalette::Base, palette.canvas);
    list_->setPalette(colors);
    QPalette field = filter_->palette();
    field.setColor(QPalette::Base, Qt::transparent);
    filter_->setPalette(field);
}

}  // namespace korvane
