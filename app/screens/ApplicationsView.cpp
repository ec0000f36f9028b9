#include "app/screens/ApplicationsView.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "app/kit/CapsuleLabel.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/Ground.h"
#include "app/kit/PlainLabel.h"
#include "app/presenters/PlatformWords.h"
#include "app/screens/PageEmptyState.h"
#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/SymbolButton.h"
#include "app/kit/SymbolIcon.h"
#include "app/kit/SymbolView.h"
#include "app/platform/Clock.h"
#include "app/state/AppState.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

constexpr int listWidth = 320;

QLabel* styled(QLabel* label, const QFont& font, const QColor& color) {
    styleLabel(label, font, color);
    return label;
}

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

// The desktop entry's icon from the icon theme, then the file it names, then
// what the desktop shows for the application's path.
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

}  // namespace

// The applications of the list for an item view; each item carries its
// texts for screen readers. Icons are looked up once per bundle.
class AppListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setApps(std::vector<InstalledApp> apps, std::chrono::system_clock::time_point now) {
        beginResetModel();
        apps_ = std::move(apps);
        rows_.clear();
        for (const auto& app : apps_) rows_.push_back(appRowContent(app, now));
        endResetModel();
    }
    const std::vector<InstalledApp>& apps() const { return apps_; }
    const AppRowContent& row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    QIcon icon(int row, const QColor& fallback) const {
        const InstalledApp& app = apps_[static_cast<std::size_t>(row)];
        const QString key = QString::fromStdString(app.bundleURL);
        if (!icons_.contains(key)) icons_.insert(key, appIcon(app, fallback));
        return icons_.value(key);
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(apps_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const AppRowContent& content = rows_[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole) return QString::fromStdString(content.name);
        if (role == Qt::AccessibleTextRole)
            return QString::fromStdString(content.name + ", " + content.total +
                                          (content.leftBehind ? ", " + *content.leftBehind : "") +
                                          (content.age ? ", " + *content.age : ""));
        return {};
    }

private:
    std::vector<InstalledApp> apps_;
    std::vector<AppRowContent> rows_;
    mutable QHash<QString, QIcon> icons_;
};

namespace {

class AppRowDelegate : public QStyledItemDelegate {
public:
    AppRowDelegate(QWidget& owner, AppListModel& model, const ApplicationsPageContent& page)
        : QStyledItemDelegate(&owner), owner_(owner), model_(model), page_(page) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {listWidth, 8 + 28 + 8 + 4};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const Palette& palette = environmentPalette(&owner_);
        const AppRowContent& row = model_.row(index.row());
        const QRect rect = option.rect;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        if (page_.selectedRow && static_cast<int>(*page_.selectedRow) == index.row())
            painter->fillRect(rect, palette.hover);
        const QRect icon(rect.left() + 14, rect.center().y() - 14, 28, 28);
        model_.icon(index.row(), palette.inkTertiary).paint(painter, icon);

        int right = rect.right() - 14;
        if (row.age) {
            painter->setFont(AppFont::small());
            const int width = QFontMetrics(AppFont::small()).horizontalAdvance(QString::fromStdString(*row.age));
            painter->setPen(palette.inkTertiary);
            painter->drawText(QRect(right - width, rect.top(), width + 1, rect.height()), Qt::AlignRight | Qt::AlignVCenter,
                              QString::fromStdString(*row.age));
            right -= width;
        }
        right -= 4;
        const int left = icon.right() + 1 + 10;
        const QFont nameFont = AppFont::font(13, QFont::Medium);
        const QFont totalFont = AppFont::font(11);
        const int nameHeight = QFontMetrics(nameFont).height();
        const int lineHeight = QFontMetrics(totalFont).height();
        const int top = rect.center().y() - (nameHeight + 1 + lineHeight) / 2;
        painter->setFont(nameFont);
        painter->setPen(palette.ink);
        painter->drawText(QRect(left, top, right - left, nameHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          QFontMetrics(nameFont).elidedText(QString::fromStdString(row.name), Qt::ElideRight, right - left));
        const QString total = QString::fromStdString(row.total);
        const int totalWidth = QFontMetrics(totalFont).horizontalAdvance(total);
        painter->setFont(totalFont);
        painter->setPen(palette.inkSecondary);
        const int second = top + nameHeight + 1;
        painter->drawText(QRect(left, second, totalWidth + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, total);
        if (row.leftBehind) {
            const int at = left + totalWidth + 5;
            painter->setFont(AppFont::small());
            painter->setPen(palette.amber());
            painter->drawText(QRect(at, second, std::max(0, right - at), lineHeight),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              QFontMetrics(AppFont::small())
                                  .elidedText(QString::fromStdString(*row.leftBehind), Qt::ElideRight, right - at));
        }
        painter->restore();
    }

private:
    QWidget& owner_;
    AppListModel& model_;
    const ApplicationsPageContent& page_;
};

// A "Busy" line: a label that counts dots, for the scan's progress.
class BusyDots : public QLabel {
public:
    BusyDots() {
        setTextFormat(Qt::PlainText);
        setAccessibleName(QStringLiteral("Busy"));
        timer_.setInterval(400);
        connect(&timer_, &QTimer::timeout, this, [this] {
            step_ = (step_ + 1) % 4;
            setText(QString(step_ + 1, QChar(0x2022)));
        });
        setText(QString(QChar(0x2022)));
    }

protected:
    void showEvent(QShowEvent* event) override {
        QLabel::showEvent(event);
        timer_.start();
    }
    void hideEvent(QHideEvent* event) override {
        QLabel::hideEvent(event);
        timer_.stop();
    }

private:
    QTimer timer_;
    int step_ = 0;
};

}  // namespace

ApplicationsView::ApplicationsView(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      filter_(new QLineEdit),
      refresh_(new SymbolButton("arrow.clockwise", QStringLiteral("Refresh"), 13)),
      body_(new QStackedWidget),
      looking_(new QWidget),
      lookingText_(plainLabel(QStringLiteral("Looking for applications\u2026"))),
      list_(new QListView),
      model_(new AppListModel(this)),
      footer_(new Ground(&Palette::rail)),
      footerText_(plainLabel()),
      detailPane_(new QStackedWidget),
      detailScroll_(new QScrollArea),
      empty_(makePageEmptyState()) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* listColumn = new QWidget;
    listColumn->setFixedWidth(listWidth);
    auto* column = new QVBoxLayout(listColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 12, 14, 12);
    header->setSpacing(8);
    auto* magnifier = new SymbolView("magnifyingglass", 11);
    magnifier->setObjectName(QStringLiteral("magnifier"));
    header->addWidget(magnifier);
    filter_->setPlaceholderText(QStringLiteral("Filter applications"));
    filter_->setAccessibleName(QStringLiteral("Filter applications"));
    filter_->setFrame(false);
    filter_->setFont(AppFont::font(12));
    header->addWidget(filter_, 1);
    header->addWidget(refresh_);
    column->addLayout(header);
    column->addWidget(new Hairline(Qt::Horizontal));

    auto* lookingColumn = new QVBoxLayout(looking_);
    lookingColumn->addStretch(1);
    lookingColumn->setSpacing(8);
    lookingColumn->addWidget(new BusyDots, 0, Qt::AlignHCenter);
    lookingColumn->addWidget(lookingText_, 0, Qt::AlignHCenter);
    lookingColumn->addStretch(1);
    list_->setModel(model_);
    list_->setItemDelegate(new AppRowDelegate(*this, *model_, content_));
    list_->setUniformItemSizes(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setAccessibleName(QStringLiteral("Applications"));
    body_->addWidget(looking_);
    body_->addWidget(list_);
    column->addWidget(body_, 1);
    auto* footerLine = new QHBoxLayout(footer_);
    footerLine->setContentsMargins(14, 8, 14, 8);
    footerLine->setSpacing(8);
    footerLine->addWidget(new BusyDots);
    footerLine->addWidget(footerText_, 1);
    column->addWidget(footer_);
    row->addWidget(listColumn);
    row->addWidget(new Hairline(Qt::Vertical));

    detailScroll_->setFrameShape(QFrame::NoFrame);
    detailScroll_->setWidgetResizable(true);
    detailScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    detailPane_->addWidget(detailScroll_);
    detailPane_->addWidget(empty_);
    row->addWidget(detailPane_, 1);

    connect(filter_, &QLineEdit::textEdited, this, &ApplicationsView::refresh);
    connect(refresh_, &QAbstractButton::clicked, &state_, &AppState::scanApps);
    connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) {
        state_.setSelectedApp(model_->apps()[static_cast<std::size_t>(index.row())]);
    });
    connect(&state_, &AppState::changed, this, &ApplicationsView::refresh);
    restyle();
    refresh();
}

void ApplicationsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) return;
    appeared_ = true;
    if (applicationsPageShouldScan(state_.apps(), state_.isScanningApps())) state_.scanApps();
}

void ApplicationsView::refresh() {
    ApplicationsPageContent content = applicationsPageContent(state_.apps(), state_.isScanningApps(),
                                                              state_.appScanProgress(), state_.selectedApp(),
                                                              filter_->text().toStdString());
    if (content == content_) return;
    const bool rowsChanged = content.rows != content_.rows;
    content_ = std::move(content);
    refresh_->setEnabled(content_.refreshEnabled);
    body_->setCurrentWidget(content_.showsLooking ? looking_ : list_);
    footer_->setVisible(content_.footer.has_value());
    footerText_->setText(QString::fromStdString(content_.footer.value_or("")));
    if (rowsChanged) model_->setApps(content_.rows, state_.clock().now());
    else list_->viewport()->update();
    if (content_.detail != detailApp_) {
        detailApp_ = content_.detail;
        rebuildDetail();
    }
}

void ApplicationsView::rebuildDetail() {
    includeBundleBox_ = nullptr;
    uninstall_ = nullptr;
    showInFileManager_ = nullptr;
    if (!detailApp_) {
        detail_.reset();
        showPageEmptyState(*empty_, content_.noApplications);
        detailPane_->setCurrentWidget(empty_);
        return;
    }
    const InstalledApp app = *detailApp_;
    detail_ = appDetailContent(app, includeBundle_, state_.clock().now());
    const Palette& palette = environmentPalette(this);

    auto* pane = new QWidget;
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(16);

    // Header: icon, name, version, identifier and the facts.
    auto* header = new QHBoxLayout;
    header->setSpacing(13);
    auto* icon = new QLabel;
    icon->setPixmap(appIcon(app, palette.inkTertiary).pixmap(54, 54));
    icon->setFixedSize(54, 54);
    header->addWidget(icon, 0, Qt::AlignTop);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(styled(plainLabel(QString::fromStdString(detail_->name)), AppFont::font(19, QFont::DemiBold),
                             palette.ink));
    if (detail_->version)
        titles->addWidget(
            styled(plainLabel(QString::fromStdString(*detail_->version)), AppFont::caption(), palette.inkSecondary));
    if (detail_->identifier) {
        auto* identifier = styled(plainLabel(QString::fromStdString(*detail_->identifier)), AppFont::mono(),
                                  palette.inkTertiary);
        identifier->setTextInteractionFlags(Qt::TextSelectableByMouse);
        titles->addWidget(identifier);
    }
    auto* facts = new QHBoxLayout;
    facts->setContentsMargins(0, 6, 0, 0);
    facts->setSpacing(10);
    for (const AppFact& fact : detail_->facts) {
        auto* cell = new QVBoxLayout;
        cell->setSpacing(0);
        cell->addWidget(styled(plainLabel(QString::fromStdString(fact.label)), AppFont::small(), palette.inkTertiary));
        const QColor tint = fact.tint == AppFact::Tint::amber    ? palette.amber()
                            : fact.tint == AppFact::Tint::accent ? palette.accent
                                                                 : palette.ink;
        cell->addWidget(styled(plainLabel(QString::fromStdString(fact.value)), AppFont::font(12, QFont::Medium), tint));
        facts->addLayout(cell);
    }
    facts->addStretch(1);
    titles->addLayout(facts);
    header->addLayout(titles, 1);
    column->addLayout(header);

    // What it leaves behind.
    if (detail_->leftovers.empty()) {
        auto* panel = new Panel(12);
        auto* line = new QHBoxLayout;
        line->setSpacing(6);
        auto* check = new SymbolView("checkmark.circle", 12);
        check->setColor(palette.inkSecondary);
        line->addWidget(check);
        line->addWidget(styled(plainLabel(QStringLiteral("Nothing left behind that Korvane can find")), AppFont::body(),
                               palette.inkSecondary),
                        1);
        panel->contentLayout()->addLayout(line);
        column->addWidget(panel);
    } else {
        auto* panel = new Panel(0);
        panel->contentLayout()->setSpacing(0);
        auto* heading = new QHBoxLayout;
        heading->setContentsMargins(13, 13, 13, 13);
        heading->addWidget(styled(plainLabel(QStringLiteral("LEFT BEHIND")),
                                  AppFont::font(10, QFont::DemiBold, palette.fontDesign, palette.tracking + 0.6),
                                  palette.inkTertiary));
        heading->addStretch(1);
        heading->addWidget(
            styled(plainLabel(QString::fromStdString(detail_->leftoversHeader)), AppFont::small(), palette.inkTertiary));
        panel->contentLayout()->addLayout(heading);
        panel->contentLayout()->addWidget(new Hairline(Qt::Horizontal));
        for (const LeftoverRowContent& leftover : detail_->leftovers) {
            auto* line = new QHBoxLayout;
            line->setContentsMargins(13, 7, 13, 7);
            line->setSpacing(10);
            auto* tagColumn = new QWidget;
            tagColumn->setFixedWidth(116);
            auto* tagLine = new QHBoxLayout(tagColumn);
            tagLine->setContentsMargins(0, 0, 0, 0);
            tagLine->addWidget(styled(new CapsuleLabel(QString::fromStdString(leftover.kind), QMargins(6, 2, 6, 2)),
                                      AppFont::font(10, QFont::Medium), palette.inkSecondary));
            tagLine->addStretch(1);
            line->addWidget(tagColumn);
            auto* path = new QLabel;
            path->setTextFormat(Qt::PlainText);
            styleLabel(path, AppFont::font(11, QFont::Normal, FontDesign::monospaced), palette.inkSecondary);
            path->setText(QFontMetrics(path->font()).elidedText(QString::fromStdString(leftover.path), Qt::ElideMiddle, 360));
            path->setAccessibleName(QString::fromStdString(leftover.path));
            path->setMinimumWidth(40);
            line->addWidget(path, 1);
            line->addSpacing(6);
            line->addWidget(styled(plainLabel(QString::fromStdString(leftover.bytes)), AppFont::font(11, QFont::Medium),
                                   palette.ink));
            panel->contentLayout()->addLayout(line);
            if (leftover.hasDivider) {
                auto* divider = new QHBoxLayout;
                divider->setContentsMargins(13, 0, 0, 0);
                divider->addWidget(new Hairline(Qt::Horizontal));
                panel->contentLayout()->addLayout(divider);
            }
        }
        column->addWidget(panel);
    }

    // The uninstall.
    auto* block = new QVBoxLayout;
    block->setSpacing(10);
    includeBundleBox_ = new QCheckBox(QStringLiteral("Remove the application itself as well"));
    includeBundleBox_->setFont(AppFont::body());
    includeBundleBox_->setChecked(includeBundle_);
    block->addWidget(includeBundleBox_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(9);
    uninstall_ = new KitButton(KitButton::Style::solid, QString::fromStdString(detail_->uninstallTitle));
    uninstall_->setSymbol("trash");
    uninstall_->setEnabled(detail_->uninstallEnabled);
    buttons->addWidget(uninstall_);
    showInFileManager_ = new KitButton(KitButton::Style::outline, QString::fromStdString(platformWords::showIn(state_.fileManagerName())));
    showInFileManager_->setSymbol("folder");
    buttons->addWidget(showInFileManager_);
    buttons->addStretch(1);
    block->addLayout(buttons);
    auto* note = styled(plainLabel(QString::fromUtf8(platformWords::systemManagedNote)),
                        AppFont::small(), palette.inkTertiary);
    note->setWordWrap(true);
    block->addWidget(note);
    if (detail_->commandNote) {
        auto* commandNote =
            styled(plainLabel(QString::fromStdString(*detail_->commandNote)), AppFont::small(), palette.inkTertiary);
        commandNote->setWordWrap(true);
        block->addWidget(commandNote);
    }
    column->addLayout(block);
    column->addStretch(1);

    connect(includeBundleBox_, &QCheckBox::toggled, this, [this](bool on) {
        includeBundle_ = on;
        // The button's title and state follow the box.
        if (!detailApp_) return;
        detail_ = appDetailContent(*detailApp_, includeBundle_, state_.clock().now());
        uninstall_->setTitle(QString::fromStdString(detail_->uninstallTitle));
        uninstall_->setEnabled(detail_->uninstallEnabled);
    });
    connect(uninstall_, &QPushButton::clicked, this, [this] {
        if (detailApp_) state_.uninstall(*detailApp_, includeBundle_);
    });
    connect(showInFileManager_, &QPushButton::clicked, this, [this] {
        if (detailApp_) state_.reveal({detailApp_->bundleURL});
    });

    // The old pane may hold the control whose signal brought us here.
    if (QWidget* old = detailScroll_->takeWidget()) old->deleteLater();
    detailScroll_->setWidget(pane);
    detailPane_->setCurrentWidget(detailScroll_);
}

void ApplicationsView::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), environmentPalette(this).canvas); }

void ApplicationsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        restyle();
        rebuildDetail();
    }
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
    detailScroll_->viewport()->setAutoFillBackground(false);
}

}  // namespace korvane
