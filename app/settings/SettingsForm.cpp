#include "app/settings/SettingsForm.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <map>
#include <tuple>

#include "app/kit/ElidedLabel.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/ShownToolTip.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

QIcon symbolIcon(const std::string& name, double size, const QColor& color) {
    // One icon per symbol, size and colour for the whole run: the style keeps
    // every icon picture it draws in the pixmap cache under that picture's
    // key, so an icon made afresh for each opening of a window would leave
    // new entries behind every time.
    static std::map<std::tuple<std::string, double, QRgb>, QIcon> made;
    QIcon& icon = made[{name, size, color.rgba()}];
    if (!icon.isNull()) return icon;
    // Two densities, so the icon stays sharp on a doubled display.
    for (const int scale : {1, 2}) {
        const int side = static_cast<int>(size * scale + 0.5);
        QPixmap picture(side, side);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(symbolFont(size * scale));
        painter.setPen(color);
        painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, symbolText(name));
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

FormSection::FormSection(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), rows_(new QFormLayout(this)) {
    rows_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    rows_->setRowWrapPolicy(QFormLayout::DontWrapRows);
    rows_->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

FormNote::FormNote(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void FormNote::restyle() { styleLabel(this, AppFont::font(10), environmentPalette(this).inkSecondary); }

PathRowView::PathRowView(std::string path, const std::string& shown, const std::optional<std::string>& hint,
                         QWidget* parent)
    : QWidget(parent),
      path_(std::move(path)),
      label_(new ElidedLabel(QString::fromStdString(shown), nullptr, Qt::ElideLeft)),
      remove_(new QToolButton) {
    remove_->setAutoRaise(true);
    remove_->setCursor(Qt::PointingHandCursor);
    remove_->setAccessibleName(QStringLiteral("Remove"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label_, 1);
    if (hint) {
        hint_ = new QLabel(QString::fromStdString(*hint));
        hint_->setTextFormat(Qt::PlainText);
        row->addWidget(hint_);
        setShownToolTip(*label_, QString::fromStdString(shown + " \u2014 " + *hint));
    }
    row->addWidget(remove_);
    connect(remove_, &QToolButton::clicked, this, [this] { emit removeRequested(path_); });
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void PathRowView::restyle() {
    const Palette& palette = environmentPalette(this);
    styleLabel(label_, AppFont::font(11, QFont::Normal, FontDesign::monospaced),
               hint_ ? palette.inkSecondary : palette.ink);
    if (hint_) styleLabel(hint_, AppFont::font(10), palette.amber());
    remove_->setIcon(symbolIcon("minus.circle", 14, palette.inkSecondary));
}

}  // namespace korvane
