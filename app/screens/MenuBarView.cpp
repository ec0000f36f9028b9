#include "app/screens/MenuBarView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/kit/ByteHeadline.h"
#include "app/kit/ColorDot.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/Hairline.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/platform/Compositor.h"
#include "app/state/DeveloperState.h"
#include "app/state/NavigationState.h"

namespace korvane {

namespace {

QLabel* plainLabel(const std::string& text, const QColor& color) {
    auto* label = new QLabel(QString::fromStdString(text));
    label->setTextFormat(Qt::PlainText);
    styleLabel(label, AppFont::font(11), color);
    return label;
}

// A line of the summary: the key on the left, the figure on the right.
QWidget* summaryLine(QWidget* key, QWidget* figure, ColorDot* dot = nullptr) {
    auto* line = new QWidget;
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    if (dot) row->addWidget(dot, 0, Qt::AlignVCenter);
    row->addWidget(key, 1);
    row->addWidget(figure);
    return line;
}

}  // namespace

MenuBarView::MenuBarView(DeveloperState& developer, const NavigationState& navigation, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      developer_(developer),
      navigation_(navigation),
      surface_(Compositor::current().isComposited()),
      headline_(new ByteHeadline(0, 26, 13)),
      summary_(new QWidget),
      summaryLayout_(new QVBoxLayout(summary_)),
      scan_(new QPushButton),
      open_(new QPushButton(QStringLiteral("Open Korvane"))),
      quit_(new QPushButton(QStringLiteral("Quit Korvane"))) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    surface_.prepare(this);
    setAccessibleName(QStringLiteral("Korvane"));
    // The panel keeps to the paper palette whatever theme the window wears.
    setEnvironmentPalette(this, ThemeID::paper);
    const Palette& palette = environmentPalette(this);
    headline_->setColor(palette.accent);
    const QMargins room = surface_.margins();
    setFixedWidth(panelWidth + room.left() + room.right());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(room + QMargins(12, 12, 12, 12));
    column->setSpacing(10);
    auto* headline = new QVBoxLayout;
    headline->setSpacing(2);
    headline->addWidget(plainLabel("Reclaimable", palette.inkSecondary));
    headline->addWidget(headline_);
    column->addLayout(headline);
    summaryLayout_->setContentsMargins(0, 0, 0, 0);
    summaryLayout_->setSpacing(10);
    column->addWidget(summary_);
    column->addWidget(new Hairline(Qt::Horizontal));
    column->addWidget(scan_);
    column->addWidget(open_);
    column->addWidget(new Hairline(Qt::Horizontal));
    column->addWidget(quit_);
    for (QPushButton* button : {scan_, open_, quit_})
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    // The tray's scan never moves the window from what the user is on.
    connect(scan_, &QPushButton::clicked, &developer_, &DeveloperState::startBackgroundScan);
    connect(open_, &QPushButton::clicked, this, [this] {
        hide();
        emit openRequested();
    });
    connect(quit_, &QPushButton::clicked, this, &MenuBarView::quitRequested);
    // Hidden, the panel has nothing to keep up to date; it catches up when shown.
    followChanges(*this, {&developer_, &navigation_}, [this] {
        if (isVisible()) refresh();
    });
    refresh();
}

void MenuBarView::showEvent(QShowEvent* event) {
    refresh();
    adjustSize();
    QWidget::showEvent(event);
}

void MenuBarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Palette& palette = environmentPalette(this);
    surface_.paint(painter, rect(), palette, palette.radius, palette.canvas);
}

void MenuBarView::refresh() {
    MenuBarContent content = menuBarContent(developer_.scan(), developer_.reclaimableBytes(),
                                            navigation_.route(), developer_.isScanning());
    if (hasContent_ && content == content_) return;
    const bool summaryChanged = !hasContent_ || content.showsScanSummary != content_.showsScanSummary ||
                                content.rows != content_.rows || content.freeSpace != content_.freeSpace;
    content_ = std::move(content);
    hasContent_ = true;
    headline_->setBytes(content_.reclaimableBytes);
    scan_->setText(QString::fromStdString(content_.scanButtonTitle));
    scan_->setEnabled(content_.scanEnabled);
    if (summaryChanged) rebuildSummary();
}

void MenuBarView::rebuildSummary() {
    while (QLayoutItem* item = summaryLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    summary_->setVisible(content_.showsScanSummary);
    if (!content_.showsScanSummary) return;
    const Palette& palette = environmentPalette(this);
    summaryLayout_->addWidget(new Hairline(Qt::Horizontal));
    for (const MenuBarRow& row : content_.rows) {
        auto* title = new ElidedLabel(QString::fromStdString(row.title));
        styleLabel(title, AppFont::font(11), palette.ink);
        summaryLayout_->addWidget(summaryLine(title, plainLabel(row.bytes, palette.inkSecondary),
                                              new ColorDot(palette.colorForCategory(row.category), 6)));
    }
    summaryLayout_->addWidget(new Hairline(Qt::Horizontal));
    summaryLayout_->addWidget(summaryLine(plainLabel("Free space", palette.inkSecondary),
                                          plainLabel(content_.freeSpace, palette.ink)));
}

}  // namespace korvane
