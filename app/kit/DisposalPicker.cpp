#include "app/kit/DisposalPicker.h"

#include <QEvent>
#include <QHBoxLayout>

#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PickerLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SymbolView.h"

namespace korvane {

DisposalPicker::DisposalPicker(std::vector<DisposalOption> options, QWidget* parent)
    : QWidget(parent),
      options_(std::move(options)),
      dropdown_(new Dropdown(Dropdown::Alignment::leading, Dropdown::Direction::up, 250, this)),
      label_(new PickerLabel(true, QMargins(10, 6, 10, 6), 6)),
      symbol_(new SymbolView({}, 10)),
      title_(new ElidedLabel),
      chevron_(new SymbolView("chevron.down", 8)) {
    if (options_.empty()) options_ = defaultDisposalOptions();
    auto* host = new QHBoxLayout(this);
    host->setContentsMargins(0, 0, 0, 0);
    host->addWidget(dropdown_);
    label_->row()->addWidget(symbol_, 0, Qt::AlignVCenter);
    label_->row()->addWidget(title_, 1, Qt::AlignVCenter);
    label_->row()->addWidget(chevron_, 0, Qt::AlignVCenter);
    dropdown_->setLabel(label_);
    dropdown_->setContent([this](const Dropdown::Close& close) { return rows(close); });
    label_->turnWithOpening(chevron_);
    connect(dropdown_, &Dropdown::openChanged, label_, &PickerLabel::setOpen);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void DisposalPicker::setDisposalOverride(std::optional<Disposal> disposalOverride) {
    override_ = disposalOverride;
    restyle();
}

QList<QWidget*> DisposalPicker::rows(const std::function<void()>& close) {
    const Palette& palette = environmentPalette(this);
    QList<QWidget*> rows;
    for (const DisposalOption& option : options_) {
        auto* symbol = new SymbolView(option.symbol, 11);
        symbol->setFixedWidth(15);
        symbol->setColor(palette.inkSecondary);
        rows.append(DropdownRow::titled(symbol, QString::fromStdString(option.title),
                                        QString::fromStdString(option.caption), palette.inkTertiary,
                                        isSelected(option, override_), [this, value = option.value, close] {
                                            emit disposalChosen(value);
                                            close();
                                        }));
    }
    return rows;
}

void DisposalPicker::restyle() {
    const Palette& palette = environmentPalette(this);
    const DisposalOption& current = currentDisposalOption(options_, override_);
    const QString title = QString::fromStdString(current.title);
    symbol_->setSymbol(current.symbol);
    symbol_->setColor(palette.ink);
    title_->setText(title);
    styleLabel(title_, AppFont::font(11, QFont::Medium), palette.ink);
    chevron_->setColor(palette.inkTertiary);
    // Screen readers read the control by the choice it shows.
    dropdown_->setAccessibleName(title);
    dropdown_->setAccessibleValue(title);
    updateGeometry();
}

}  // namespace korvane
