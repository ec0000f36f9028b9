#include "app/kit/ThemePicker.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PickerLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ShownToolTip.h"
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
    setShownToolTip(*dropdown_, QStringLiteral("Theme"));
    dropdown_->setAccessibleName(QStringLiteral("Theme"));
    dropdown_->setContent([this](const Dropdown::Close& close) { return rows(close); });
    // The theme rows fade and drop into place as the list opens.
    dropdown_->setRowEntrance(4);
    label_->turnWithOpening(chevron_);
    connect(dropdown_, &Dropdown::openChanged, label_, &PickerLabel::setOpen);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    restyleOnPaletteChange(*this, [this] { restyle(); });
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
        rows.append(DropdownRow::titled(new ThemeSwatch(theme, 15), qText(previewed.name), qText(previewed.blurb),
                                        current.inkTertiary, theme == current.id, [this, theme, close] {
                                            emit themeChosen(theme);
                                            close();
                                        }));
    }
    return rows;
}

void ThemePicker::restyle() {
    const Palette& palette = environmentPalette(this);
    swatch_->setTheme(palette.id);
    dropdown_->setAccessibleValue(qText(palette.name));
    chevron_->setColor(palette.inkTertiary);
}

}  // namespace korvane
