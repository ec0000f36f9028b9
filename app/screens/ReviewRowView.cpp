#include "app/screens/ReviewRowView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/ElidedLabel.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/SymbolView.h"

namespace korvane {

namespace {

QColor safetyColor(SafetyLevel safety, const Palette& palette) {
    switch (safety) {
        case SafetyLevel::safe:
            return palette.accent;
        case SafetyLevel::caution:
            return palette.amber();
        case SafetyLevel::dangerous:
            return palette.red();
    }
    return palette.accent;
}

ElidedLabel* line(const std::string& text, const QFont& font, const QColor& color,
                  Qt::TextElideMode mode = Qt::ElideRight) {
    auto* label = new ElidedLabel(QString::fromStdString(text), nullptr, mode);
    styleLabel(label, font, color);
    return label;
}

}  // namespace

ReviewRowView::ReviewRowView(const ReviewRow& row, QWidget* parent)
    : QWidget(parent), remove_(new LinkButton(QStringLiteral("Remove"), AppFont::font(10))) {
    // Built for the palette of the list it joins.
    const Palette& palette = environmentPalette(parent);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->setSpacing(10);

    auto* safety = new SymbolView(row.safetySymbol, 12);
    safety->setColor(safetyColor(row.safety, palette));
    safety->setAccessibleName(QString::fromStdString(std::string(title(row.safety))));
    layout->addWidget(safety, 0, Qt::AlignTop);

    auto* details = new QVBoxLayout;
    details->setSpacing(3);
    auto* names = new QHBoxLayout;
    names->setSpacing(6);
    names->addWidget(line(row.groupTitle, AppFont::font(12, QFont::DemiBold), palette.ink));
    names->addWidget(line("·", AppFont::font(12), palette.inkTertiary));
    ElidedLabel* title = line(row.title, AppFont::font(12), palette.inkSecondary, Qt::ElideMiddle);
    setShownToolTip(*title, QString::fromStdString(row.fullTitle));
    names->addWidget(title, 1);
    details->addLayout(names);
    ElidedLabel* removal = line(row.removal, AppFont::font(10, QFont::Normal, FontDesign::monospaced),
                                palette.inkTertiary, Qt::ElideMiddle);
    setShownToolTip(*removal, QString::fromStdString(row.fullRemoval));
    details->addWidget(removal);
    auto* disposal = new QHBoxLayout;
    disposal->setSpacing(6);
    auto* disposalSymbol = new SymbolView(row.disposalSymbol, 10);
    disposalSymbol->setColor(palette.inkSecondary);
    disposal->addWidget(disposalSymbol);
    disposal->addWidget(line(row.disposalLabel, AppFont::font(10), palette.inkSecondary));
    if (row.restoreHint)
        disposal->addWidget(line(*row.restoreHint, AppFont::font(10), palette.inkTertiary), 1);
    else
        disposal->addStretch(1);
    details->addLayout(disposal);
    if (row.sizeNote) {
        ElidedLabel* note = line(*row.sizeNote, AppFont::font(10), palette.inkSecondary);
        setShownToolTip(*note, QString::fromStdString(*row.sizeNote));
        details->addWidget(note);
    }
    layout->addLayout(details, 1);

    auto* trailing = new QVBoxLayout;
    trailing->setSpacing(3);
    auto* size = new QLabel(QString::fromStdString(row.size));
    size->setTextFormat(Qt::PlainText);
    styleLabel(size, AppFont::font(12, QFont::Medium), palette.ink);
    trailing->addWidget(size, 0, Qt::AlignRight);
    remove_->setToolTip(QStringLiteral("Leave this out of the cleanup"));
    // A click leaves the focus on the clean button: the row goes, and Return
    // must not fall to the next row's "Remove".
    remove_->setFocusPolicy(Qt::TabFocus);
    trailing->addWidget(remove_, 0, Qt::AlignRight);
    trailing->addStretch(1);
    layout->addLayout(trailing);

    connect(remove_, &QPushButton::clicked, this, [this, id = row.id] { emit removeRequested(id); });
}

}  // namespace korvane
