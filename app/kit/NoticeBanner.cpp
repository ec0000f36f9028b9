#include "app/kit/NoticeBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SlideReveal.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SymbolView.h"
#include "app/theme/AppFont.h"

namespace korvane {

NoticeBanner::NoticeBanner(QWidget* parent)
    : Panel(12, parent),
      symbol_(new SymbolView("checkmark.circle.fill", 12)),
      text_(new QLabel),
      dismiss_(new LinkButton(QStringLiteral("Dismiss"), AppFont::caption())) {
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    line->addWidget(symbol_, 0, Qt::AlignVCenter);
    line->addWidget(text_, 1);
    line->addWidget(dismiss_, 0, Qt::AlignVCenter);
    contentLayout()->addLayout(line);
    connect(dismiss_, &QPushButton::clicked, this, &NoticeBanner::dismissed);
    restyleOnPaletteChange(*this, [this] { restyle(); });
    restyle();
}

void NoticeBanner::setNotice(const std::string& text, bool isProblem) {
    text_->setText(QString::fromStdString(text));
    isProblem_ = isProblem;
    restyle();
}

void NoticeBanner::restyle() {
    const Palette& palette = environmentPalette(this);
    symbol_->setSymbol(isProblem_ ? "exclamationmark.triangle.fill" : "checkmark.circle.fill");
    symbol_->setColor(isProblem_ ? palette.amber() : palette.accent);
    styleLabel(text_, AppFont::caption(), palette.ink);
}

SlideReveal* NoticeBanner::inSlide(NoticeBanner* banner, const QMargins& margins) {
    auto* spaced = new QWidget;
    auto* layout = new QVBoxLayout(spaced);
    layout->setContentsMargins(margins);
    layout->addWidget(banner);
    return new SlideReveal(spaced, SlideReveal::Edge::top, AppMotion::fade);
}

}  // namespace korvane
