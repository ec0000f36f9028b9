#include "app/screens/InspectorView.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/kit/ByteHeadline.h"
#include "app/kit/CapsuleLabel.h"
#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/NameLines.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/SymbolView.h"
#include "app/platform/Clock.h"
#include "app/screens/InspectorSections.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/state/NavigationState.h"
#include "app/state/PlatformWords.h"
#include "app/state/PreferencesState.h"
#include "app/theme/ButtonLook.h"

namespace korvane {

namespace {

constexpr double tileSize = 38;

QLabel* plainLabel(const QString& text, bool wraps = false) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wraps);
    return label;
}

// The node's category colour as a rounded tile with its symbol.
class CategoryTile : public QWidget {
public:
    CategoryTile(const QColor& color, double fillOpacity, const std::string& symbol)
        : color_(color), fillOpacity_(fillOpacity), symbol_(new SymbolView(symbol, 15, this)) {
        setFixedSize(static_cast<int>(tileSize), static_cast<int>(tileSize));
        symbol_->setColor(color);
        auto* centre = new QHBoxLayout(this);
        centre->setContentsMargins(0, 0, 0, 0);
        centre->addWidget(symbol_, 0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(withOpacity(color_, fillOpacity_));
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
    }

private:
    QColor color_;
    double fillOpacity_;
    SymbolView* symbol_;
};

// Two buttons side by side while both whole titles fit, sharing what is
// left over; one above the other where they do not, so that neither title
// is ever cut.
class ButtonPair : public QWidget {
public:
    ButtonPair(QWidget* left, QWidget* right) : left_(left), right_(right) {
        left->setParent(this);
        right->setParent(this);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        return sideBySide(width) ? lineHeight() : 2 * lineHeight() + spacing;
    }
    QSize sizeHint() const override {
        return {left_->sizeHint().width() + spacing + right_->sizeHint().width(), lineHeight()};
    }
    QSize minimumSizeHint() const override {
        const int width = std::max(left_->sizeHint().width(), right_->sizeHint().width());
        return {width, heightForWidth(width)};
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        const int height = lineHeight();
        if (sideBySide(width())) {
            const int extra = width() - sizeHint().width();
            const int leftWidth = left_->sizeHint().width() + extra / 2;
            left_->setGeometry(0, 0, leftWidth, height);
            right_->setGeometry(leftWidth + spacing, 0, width() - leftWidth - spacing, height);
        } else {
            left_->setGeometry(0, 0, width(), height);
            right_->setGeometry(0, height + spacing, width(), height);
        }
    }

private:
    static constexpr int spacing = 7;
    int lineHeight() const { return std::max(left_->sizeHint().height(), right_->sizeHint().height()); }
    bool sideBySide(int width) const { return sizeHint().width() <= width; }

    QWidget* left_;
    QWidget* right_;
};

KitButton* actionButton(const char* title, const char* symbol) {
    auto* button = new KitButton(KitButton::Style::outline, QString::fromUtf8(title));
    button->setSymbol(symbol);
    return button;
}

// The content without the cleanup button's fields, which change without the column changing.
InspectorContent columnPart(InspectorContent content) {
    content.cleanupTitle.clear();
    content.cleanupSymbol.clear();
    return content;
}

}  // namespace

InspectorView::InspectorView(const PreferencesState& preferences, NavigationState& navigation,
                             DeveloperState& developer, const FolderScanState& folderScan,
                             const DesktopActions& desktop, const Clock& clock, QWidget* parent)
    : QWidget(parent),
      preferences_(preferences),
      navigation_(navigation),
      developer_(developer),
      folderScan_(folderScan),
      desktop_(desktop),
      clock_(clock),
      mode_(preferences.mode()),
      scroll_(new QScrollArea),
      divider_(new Hairline(Qt::Horizontal)),
      footer_(new QWidget),
      cleanup_(new KitButton(KitButton::Style::solid, {})) {
    restyleOnPaletteChange(*this, [this] {
        if (built_) rebuild();
    });
    scroll_->setWidgetResizable(true);
    scroll_->setAccessibleName(QStringLiteral("Inspector"));
    followScrollFocus(*scroll_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    auto* footerLayout = new QVBoxLayout(footer_);
    footerLayout->setContentsMargins(14, 10, 14, 10);
    footerLayout->addWidget(cleanup_);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->addWidget(scroll_, 1);
    frame->addWidget(divider_);
    frame->addWidget(footer_);

    connect(cleanup_, &QPushButton::clicked, this,
            [this] { withNode([this](const StorageNode& node) { developer_.toggleSelection(node); }); });
    followChanges(*this, {&preferences_, &navigation_, &developer_, &folderScan_}, [this] { refresh(); });
    refresh();
}

void InspectorView::withNode(const std::function<void(const StorageNode&)>& action) {
    if (const StorageNode* node = inspectedNode(navigation_)) action(*node);
}

void InspectorView::refresh() {
    std::optional<InspectorContent> content =
        inspectorContent(navigation_, developer_, folderScan_, preferences_.mode(), clock_.now());
    const bool columnChanged = !built_ || mode_ != preferences_.mode() ||
                               content.has_value() != content_.has_value() ||
                               (content && columnPart(*content) != columnPart(*content_));
    // The same node with a fact that changed ("1 minute ago") keeps the place the user scrolled to.
    const bool sameNode = content && content_ && content->nodeID == content_->nodeID;
    content_ = std::move(content);
    mode_ = preferences_.mode();
    // The footer first: the rebuilt column may hand the keyboard to its button.
    const bool showsCleanup = content_ && content_->showsCleanup;
    divider_->setVisible(showsCleanup);
    footer_->setVisible(showsCleanup);
    if (content_) {
        cleanup_->setTitle(QString::fromStdString(content_->cleanupTitle));
        cleanup_->setSymbol(content_->cleanupSymbol);
        cleanup_->setEnabled(content_->cleanupEnabled);
    }
    if (columnChanged) {
        const int scrolled = scroll_->verticalScrollBar()->value();
        rebuild();
        if (sameNode)
            QTimer::singleShot(0, scroll_, [scroll = scroll_, scrolled] { scroll->verticalScrollBar()->setValue(scrolled); });
    }
}

namespace {

// The controls of a column that Tab reaches, in the order they were made (top to bottom).
QWidgetList columnStops(const QWidget* column) {
    QWidgetList stops;
    if (!column) return stops;
    for (QWidget* widget : column->findChildren<QWidget*>())
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled()) stops.append(widget);
    return stops;
}

}  // namespace

std::optional<InspectorView::FocusPlace> InspectorView::focusPlace() const {
    QWidget* focused = QApplication::focusWidget();
    const QWidgetList stops = columnStops(scroll_->widget());
    const qsizetype overall = stops.indexOf(focused);
    if (overall < 0) return std::nullopt;
    FocusPlace place{focused->metaObject(), 0, overall};
    for (qsizetype i = 0; i < overall; ++i) place.ofKind += stops[i]->metaObject() == place.kind;
    return place;
}

void InspectorView::restoreFocus(const FocusPlace& place) {
    const QWidgetList stops = columnStops(scroll_->widget());
    QWidgetList ofKind;
    for (QWidget* stop : stops)
        if (stop->metaObject() == place.kind) ofKind.append(stop);
    QWidget* target = nullptr;
    if (!ofKind.isEmpty())
        target = ofKind[std::min(place.ofKind, ofKind.size() - 1)];
    else if (!stops.isEmpty())
        target = stops[std::min(place.overall, stops.size() - 1)];
    else if (footer_->isVisibleTo(this) && cleanup_->isEnabled())
        target = cleanup_;
    if (!target) {
        emit keyboardHasNoStop();
        return;
    }
    target->setFocus(Qt::OtherFocusReason);
    scroll_->ensureWidgetVisible(target);
}

void InspectorView::rebuild() {
    built_ = true;
    // A control pressed from the keyboard may be rebuilt by what it did (a
    // "Largest inside" row shows its child): the keyboard stays in its place.
    const std::optional<FocusPlace> place = focusPlace();
    // Held meanwhile, so that the old column going takes it nowhere else.
    if (place) scroll_->setFocus(Qt::OtherFocusReason);
    const Palette& palette = environmentPalette(this);
    auto* column = new QWidget;
    column->setAutoFillBackground(false);
    // The panel's width is the column's: a row that asks for more (a long
    // unbreakable detail) wraps or is cut inside it, never widens it.
    column->setMinimumWidth(1);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    if (content_) {
        layout->addWidget(makeHeader(*content_, palette));
        layout->addWidget(makeSizeBlock(*content_, palette));
        if (content_->reason) layout->addWidget(makeReasonSection(*content_->reason, palette));
        layout->addWidget(makeDetailsSection(content_->details, palette));
        if (content_->largest)
            layout->addWidget(makeLargestInsideSection(*content_->largest, palette, [this](const std::string& id) {
                // The canvas keeps its focus; only the inspector moves to the child.
                navigation_.setSelectedID(id);
            }));
        layout->addWidget(makeActions(*content_));
    } else {
        layout->addWidget(makeEmptyState(palette));
    }
    layout->addStretch(1);
    // The old column may hold the button being clicked: it goes once the click is over.
    if (QWidget* old = scroll_->takeWidget()) old->deleteLater();
    scroll_->setWidget(column);
    if (place) restoreFocus(*place);
}

QWidget* InspectorView::makeHeader(const InspectorContent& content, const Palette& palette) {
    auto* header = new QWidget;
    auto* column = new QVBoxLayout(header);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(new CategoryTile(palette.colorForCategory(content.tileCategory), palette.fillStrength * 1.6,
                                    content.tileSymbol));
    auto* names = new QVBoxLayout;
    names->setSpacing(3);
    // A long name wraps where it breaks; past three lines it is cut in its
    // middle, keeping its start and its extension.
    auto* name = new NameLines(QString::fromStdString(content.name), 3);
    styleLabel(name, AppFont::font(13, QFont::DemiBold), palette.ink);
    names->addWidget(name);
    auto* kind = new CapsuleLabel(QString::fromStdString(content.kindLabel), QMargins(6, 2, 6, 2));
    styleLabel(kind, AppFont::small(), palette.inkSecondary);
    names->addWidget(kind, 0, Qt::AlignLeft);
    top->addLayout(names, 1);
    column->addLayout(top);
    if (content.pathLine) {
        // Broken after its slashes, never inside a folder's name while it can be.
        auto* path = new NameLines(QString::fromStdString(*content.pathLine), 2);
        styleLabel(path, AppFont::mono(), palette.inkTertiary);
        path->setSelectable(true);
        column->addWidget(path);
    }
    return header;
}

QWidget* InspectorView::makeSizeBlock(const InspectorContent& content, const Palette& palette) {
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(new ByteHeadline(content.bytes, 27, 13));
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    QLabel* share = plainLabel(QString::fromStdString(content.share));
    styleLabel(share, AppFont::caption(), palette.inkSecondary);
    line->addWidget(share);
    if (content.reclaimable) {
        QLabel* dot = plainLabel(QStringLiteral("\u00b7"));
        styleLabel(dot, AppFont::caption(), palette.inkTertiary);
        line->addWidget(dot);
        QLabel* reclaimable = plainLabel(QString::fromStdString(*content.reclaimable));
        styleLabel(reclaimable, AppFont::caption(), palette.accent);
        line->addWidget(reclaimable);
    }
    line->addStretch(1);
    column->addLayout(line);
    return block;
}

QWidget* InspectorView::makeActions(const InspectorContent& content) {
    KitButton* reveal = actionButton("Reveal", "arrow.up.forward.app");
    // It does what "Reveal" does, and says so in this desktop's words.
    KitButton* quickLook = actionButton(platformWords::showIn(desktop_.fileManagerName()).c_str(), "eye");
    KitButton* focus = actionButton("Focus", "scope");
    KitButton* neverTouch = actionButton("Never touch this", "hand.raised");
    neverTouch->setToolTip(QString::fromStdString(content.neverTouchHelp));
    reveal->setEnabled(content.canReveal);
    neverTouch->setEnabled(content.neverTouchEnabled);
    quickLook->setEnabled(content.canShowFolder);
    focus->setEnabled(content.canFocus);
    for (KitButton* button : {reveal, quickLook})
        connect(button, &QPushButton::clicked, this, [this] {
            withNode([this](const StorageNode& node) { desktop_.revealInFileManager(node); });
        });
    connect(focus, &QPushButton::clicked, this,
            [this] { withNode([this](const StorageNode& node) { navigation_.select(node); }); });
    connect(neverTouch, &QPushButton::clicked, this, [this] {
        withNode([this](const StorageNode& node) {
            emit aboutToChange(AppMotion::gentle);
            developer_.neverTouch(node);
        });
    });

    auto* actions = new QWidget;
    auto* column = new QVBoxLayout(actions);
    column->setContentsMargins(0, 2, 0, 0);
    column->setSpacing(7);
    column->addWidget(new ButtonPair(reveal, quickLook));
    column->addWidget(new ButtonPair(focus, neverTouch));
    return actions;
}

QWidget* InspectorView::makeEmptyState(const Palette& palette) {
    const InspectorEmptyState text = inspectorEmptyState(preferences_.mode());
    auto* empty = new QWidget;
    auto* column = new QVBoxLayout(empty);
    column->setContentsMargins(0, 20, 0, 0);
    column->setSpacing(6);
    QLabel* title = plainLabel(QString::fromStdString(text.title));
    styleLabel(title, AppFont::font(13, QFont::DemiBold), palette.ink);
    QLabel* message = plainLabel(QString::fromStdString(text.message), true);
    styleLabel(message, AppFont::caption(), palette.inkSecondary);
    column->addWidget(title);
    column->addWidget(message);
    return empty;
}

void InspectorView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), environmentPalette(this).rail);
}

}  // namespace korvane
