#include "app/screens/ReviewView.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/kit/ByteHeadline.h"
#include "app/kit/DisposalPicker.h"
#include "app/kit/Hairline.h"
#include "app/kit/KitButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ScrollFocus.h"
#include "app/kit/SymbolView.h"
#include "app/screens/ReviewRowView.h"
#include "app/state/DeveloperState.h"
#include "app/state/PreferencesState.h"

namespace korvane {

namespace {

QLabel* wrappingLabel() {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// A symbol beside a wrapping text, the symbol on the text's first line.
QWidget* notice(SymbolView* symbol, QLabel* text) {
    auto* widget = new QWidget;
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(symbol, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    return widget;
}

}  // namespace

ReviewView::ReviewView(DeveloperState& developer, PreferencesState& preferences, QWidget* parent)
    : QWidget(parent),
      developer_(developer),
      preferences_(preferences),
      title_(new QLabel(QStringLiteral("Review cleanup"))),
      total_(new ByteHeadline(0, 26, 14)),
      warningSymbol_(new SymbolView("exclamationmark.triangle.fill", 11)),
      warningText_(wrappingLabel()),
      leftOutSymbol_(new SymbolView("info.circle", 11)),
      leftOutText_(wrappingLabel()),
      scroll_(new QScrollArea),
      list_(new QWidget),
      listLayout_(new QVBoxLayout(list_)),
      trashSymbol_(new SymbolView("info.circle", 11)),
      trashText_(wrappingLabel()),
      permanentSymbol_(new SymbolView("xmark.bin", 11)),
      permanentText_(wrappingLabel()),
      picker_(new DisposalPicker),
      cancel_(new KitButton(KitButton::Style::outline, QStringLiteral("Cancel"))),
      clean_(new KitButton(KitButton::Style::solid, QString())) {
    setAutoFillBackground(true);
    setFixedWidth(sheetWidth);
    setMaximumHeight(sheetHeight);
    warning_ = notice(warningSymbol_, warningText_);
    leftOut_ = notice(leftOutSymbol_, leftOutText_);
    trashNotice_ = notice(trashSymbol_, trashText_);
    permanentNotice_ = notice(permanentSymbol_, permanentText_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(buildHeader());
    column->addWidget(new Hairline(Qt::Horizontal));
    buildList();
    column->addWidget(scroll_, 1);
    column->addWidget(new Hairline(Qt::Horizontal));
    column->addLayout(buildFooter());

    connectActions();
    connect(&developer_, &DeveloperState::selectionChanged, this, &ReviewView::refresh);
    connect(&developer_, &DeveloperState::scanChanged, this, &ReviewView::refresh);
    connect(&preferences_, &PreferencesState::settingsChanged, this, &ReviewView::refresh);
    restyleOnPaletteChange(*this, [this] {
        restyle();
        rebuildRows();
    });
    restyle();
    refresh();
}

// The title with the total beside it, and the warning under them.
QLayout* ReviewView::buildHeader() {
    auto* header = new QVBoxLayout;
    header->setContentsMargins(16, 16, 16, 16);
    header->setSpacing(10);
    auto* heading = new QHBoxLayout;
    title_->setTextFormat(Qt::PlainText);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    heading->addWidget(title_, 0, Qt::AlignBottom);
    heading->addStretch(1);
    heading->addWidget(total_, 0, Qt::AlignBottom);
    header->addLayout(heading);
    header->addWidget(warning_);
    header->addWidget(leftOut_);
    return header;
}

// The rows scroll; more are built as the end comes into view.
void ReviewView::buildList() {
    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(0);
    listLayout_->addStretch(1);
    scroll_->setWidget(list_);
    scroll_->setWidgetResizable(true);
    scroll_->setAccessibleName(QStringLiteral("Review cleanup"));
    followScrollFocus(*scroll_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    list_->setAutoFillBackground(false);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value >= scroll_->verticalScrollBar()->maximum() - scroll_->viewport()->height()) buildMoreRows();
    });
}

// The note on the Trash, the disposal picker and the two buttons.
QLayout* ReviewView::buildFooter() {
    auto* footer = new QVBoxLayout;
    footer->setContentsMargins(16, 16, 16, 16);
    footer->setSpacing(10);
    footer->addWidget(trashNotice_);
    footer->addWidget(permanentNotice_);
    auto* actions = new QHBoxLayout;
    actions->addWidget(picker_);
    actions->addStretch(1);
    cancel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    actions->addWidget(cancel_);
    clean_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    clean_->setMinimumWidth(130);
    clean_->setDefault(true);
    clean_->setAutoDefault(true);
    actions->addWidget(clean_);
    footer->addLayout(actions);
    return footer;
}

void ReviewView::connectActions() {
    connect(picker_, &DisposalPicker::disposalChosen, this, [this](std::optional<Disposal> disposal) {
        preferences_.setDisposalOverride(disposal);
        preferences_.saveSettings();
        // Once the list has closed (it hands the focus back to the picker),
        // Return cleans again.
        QTimer::singleShot(0, clean_, [clean = clean_] {
            if (clean->isEnabled()) clean->setFocus(Qt::OtherFocusReason);
        });
    });
    connect(cancel_, &QPushButton::clicked, this, &ReviewView::closeRequested);
    connect(clean_, &QPushButton::clicked, this, [this] {
        // Exactly what the sheet lists goes: the cleanup takes it before the
        // sheet closes, and with it the chance for anything to change it.
        developer_.startCleanup();
        emit closeRequested();
    });
}

void ReviewView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Return cleans: the sheet opens with the clean button in focus, not the
    // first control of the footer (the picker would take Return to open).
    if (clean_->isEnabled()) clean_->setFocus(Qt::OtherFocusReason);
}

QList<QWidget*> ReviewView::rowViews() const {
    QList<QWidget*> rows;
    for (int index = 0; index < listLayout_->count(); ++index)
        if (auto* row = qobject_cast<ReviewRowView*>(listLayout_->itemAt(index)->widget())) rows.append(row);
    return rows;
}

void ReviewView::refresh() {
    picker_->setDisposalOverride(preferences_.disposalOverride());
    ReviewContent content = reviewContent(developer_.selectedCandidates(), preferences_.disposalOverride(),
                                          developer_.stagingNotice());
    // The statistics and other fields publish too; only a different list rebuilds.
    if (hasContent_ && content == content_) return;
    const bool rowsChanged = !hasContent_ || content.rows != content_.rows;
    content_ = std::move(content);
    hasContent_ = true;
    total_->setBytes(content_.total);
    warning_->setVisible(content_.warning.has_value());
    warningText_->setText(QString::fromStdString(content_.warning.value_or("")));
    leftOut_->setVisible(content_.leftOut.has_value());
    leftOutText_->setText(QString::fromStdString(content_.leftOut.value_or("")));
    trashNotice_->setVisible(content_.trashNotice.has_value());
    trashText_->setText(QString::fromStdString(content_.trashNotice.value_or("")));
    permanentNotice_->setVisible(content_.permanentNotice.has_value());
    permanentText_->setText(QString::fromStdString(content_.permanentNotice.value_or("")));
    clean_->setTitle(QString::fromStdString(content_.cleanTitle));
    clean_->setEnabled(content_.cleanEnabled);
    if (rowsChanged) rebuildRows();
}

void ReviewView::rebuildRows() {
    const int scrolled = scroll_->verticalScrollBar()->value();
    const int wanted = std::max(builtRows_, rowBatch);
    while (listLayout_->count() > 1) {
        QLayoutItem* item = listLayout_->takeAt(0);
        delete item->widget();
        delete item;
    }
    builtRows_ = 0;
    while (builtRows_ < std::min<int>(wanted, static_cast<int>(content_.rows.size()))) buildMoreRows();
    scroll_->verticalScrollBar()->setValue(scrolled);
}

void ReviewView::buildMoreRows() {
    const int end = std::min<int>(builtRows_ + rowBatch, static_cast<int>(content_.rows.size()));
    for (; builtRows_ < end; ++builtRows_) {
        const ReviewRow& row = content_.rows[static_cast<std::size_t>(builtRows_)];
        auto* view = new ReviewRowView(row, list_);
        connect(view, &ReviewRowView::removeRequested, this, [this](const UUID& id) {
            std::set<UUID> selection = developer_.selection();
            selection.erase(id);
            developer_.setSelection(std::move(selection));
        });
        // The stretch stays last.
        listLayout_->insertWidget(listLayout_->count() - 1, view);
        if (row.showsDivider) {
            auto* divider = new QWidget(list_);
            auto* inset = new QHBoxLayout(divider);
            inset->setContentsMargins(16, 0, 0, 0);
            inset->addWidget(new Hairline(Qt::Horizontal));
            listLayout_->insertWidget(listLayout_->count() - 1, divider);
        }
    }
}

void ReviewView::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(title_, AppFont::font(17, QFont::DemiBold), palette.ink);
    total_->setColor(palette.accent);
    // Both stand on the row's bottom; the title rises by what the larger total keeps below its baseline.
    const double totalBelow = total_->sizeHint().height() - total_->baseline();
    const int lift = static_cast<int>(std::lround(totalBelow - QFontMetricsF(title_->font()).descent()));
    title_->setContentsMargins(0, 0, 0, std::max(0, lift));
    warningSymbol_->setColor(palette.amber());
    styleLabel(warningText_, AppFont::font(11), palette.amber());
    leftOutSymbol_->setColor(palette.inkSecondary);
    styleLabel(leftOutText_, AppFont::font(11), palette.inkSecondary);
    trashSymbol_->setColor(palette.inkSecondary);
    styleLabel(trashText_, AppFont::font(11), palette.inkSecondary);
    permanentSymbol_->setColor(palette.inkSecondary);
    styleLabel(permanentText_, AppFont::font(11), palette.inkSecondary);
}

}  // namespace korvane
