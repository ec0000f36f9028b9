#include "app/kit/ThemePicker.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PickerLabel.h"
#include "app/kit/SymbolView.h"
#include "app/kit/ThemeSwatch.h"

namespace korvane {

namespace {

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ThemePicker::ThemePicker(QWidget* parent)
    : QWidget(parent),
      dropdown_(new Dropdown(Dropdown::Alignment::trailing, Dropdown::Direction::down, 262, this)),
      label_(new PickerLabel(false, QMargins(7, 5, 7, 5), 5)),
      swatch_(new ThemeSwatch(ThemeID::paper, 13)),
      chevron_(new SymbolView("chevron.down", 8)) {
    auto* host = new QHBoxLayout(this);
    host->setContentsMargins(0, 0, 0, 0);
    host->addWidget(dropdown_);
    label_->row()->addWidget(swatch_, 0, Qt::AlignVCenter);
    label_->row()->addWidget(chevron_, 0, Qt::AlignVCenter);
    dropdown_->setLabel(label_);
    dropdown_->setToolTip(QStringLiteral("Theme"));
    dropdown_->setAccessibleName(QStringLiteral("Theme"));
    dropdown_->setContent([this](const Dropdown::Close& close) { return rows(close); });
    connect(dropdown_, &Dropdown::openChanged, this, [this](bool open) {
        label_->setOpen(open);
        chevron_->setRotation(open ? 180 : 0);
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    restyle();
}

QList<QWidget*> ThemePicker::rows(const std::function<void()>& close) {
    const Palette& current = environmentPalette(this);
    QList<QWidget*> rows;
    auto* header = new QLabel(QStringLiteral("THEME"));
    styleLabel(header, AppFont::font(10, QFont::DemiBold, FontDesign::default_, 0.6), current.inkTertiary);
    header->setContentsMargins(8, 4, 8, 5);
    rows.append(header);
    for (ThemeID theme : allThemeIDs()) {
        const Palette& previewed = Palette::forTheme(theme);
        auto* content = new QWidget;
        auto* line = new QHBoxLayout(content);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        line->addWidget(new ThemeSwatch(theme, 15), 0, Qt::AlignVCenter);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(0);
        auto* name = new QLabel(qText(previewed.name));
        name->setTextFormat(Qt::PlainText);
        name->setFont(AppFont::font(12, QFont::Medium));
        auto* blurb = new QLabel(qText(previewed.blurb));
        blurb->setTextFormat(Qt::PlainText);
        styleLabel(blurb, AppFont::font(10), current.inkTertiary);
        texts->addWidget(name);
        texts->addWidget(blurb);
        line->addLayout(texts, 1);
        auto* row = new DropdownRow(
            theme == current.id,
            [this, theme, close] {
                emit themeChosen(theme);
                close();
            },
            content);
        row->setAccessibleName(qText(previewed.name));
        row->setAccessibleDescription(qText(previewed.blurb));
        rows.append(row);
    }
    return rows;
}

void ThemePicker::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

void ThemePicker::restyle() {
    const Palette& palette = environmentPalette(this);
    swatch_->setTheme(palette.id);
    chevron_->setColor(palette.inkTertiary);
}

}  // namespace korvane
