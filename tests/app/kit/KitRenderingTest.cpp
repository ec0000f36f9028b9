#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

#include "app/kit/ByteHeadline.h"
#include "app/kit/DisposalPicker.h"
#include "app/kit/Dropdown.h"
#include "app/kit/KitButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/Panel.h"
#include "app/kit/RailSection.h"
#include "app/kit/SafetyTag.h"
#include "app/kit/TextureOverlay.h"
#include "app/kit/ThemePicker.h"
#include "app/theme/AppMotion.h"

// Renders every kit widget offscreen in a light and a dark theme, checks a
// few pixels against the palette, and keeps the pictures under
// build/screenshots/kit/ to look at.

namespace korvane {
namespace {

QString screenshotPath(const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots/kit"));
    dir.mkpath(QStringLiteral("."));
    return dir.filePath(name + QStringLiteral(".png"));
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

QColor over(QColor top, double opacity, QColor bottom) {
    auto mix = [opacity](int t, int b) { return static_cast<int>(std::lround(t * opacity + b * (1 - opacity))); };
    return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue()));
}

class KitRendering : public testing::TestWithParam<ThemeID> {
protected:
    void SetUp() override {
        AppMotion::setJumpToEnd(true);
        host_.setAutoFillBackground(true);
        setEnvironmentPalette(&host_, GetParam());
        column_ = new QVBoxLayout(&host_);
        column_->setContentsMargins(24, 24, 24, 24);
        column_->setSpacing(14);
    }
    void TearDown() override { AppMotion::setJumpToEnd(false); }

    const Palette& palette() const { return Palette::forTheme(GetParam()); }

    QImage shoot(const QString& name, QSize size) {
        host_.resize(size);
        host_.show();
        QCoreApplication::processEvents();
        const QImage image = host_.grab().toImage();
        image.save(screenshotPath(name + QLatin1Char('-') + QString::fromUtf8(rawValue(GetParam()).data())));
        return image;
    }

    QWidget host_;
    QVBoxLayout* column_;
};

TEST_P(KitRendering, PanelsRailsAndHeadlines) {
    auto* panel = new Panel(14);
    auto* headline = new ByteHeadline(12'340'000'000, 40, 16);
    panel->contentLayout()->addWidget(headline);
    panel->contentLayout()->addWidget(new QLabel(QStringLiteral("Reclaimable")));
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    for (SafetyLevel level : allSafetyLevels()) rows->addWidget(new SafetyTag(level));
    column_->addWidget(new RailSection(QStringLiteral("Safety"), QStringLiteral("3 levels"), list));
    column_->addWidget(panel);
    column_->addWidget(new ByteHeadline(-5, 28, 12, palette().accent));
    column_->addStretch();
    const QImage image = shoot(QStringLiteral("panel-rail-headline-tag"), {360, 420});

    EXPECT_TRUE(near(image.pixelColor(4, 4), palette().canvas));
    const QPoint inside = panel->geometry().topLeft() + QPoint(panel->width() - 10, 10);
    EXPECT_TRUE(near(image.pixelColor(inside), palette().panel)) << image.pixelColor(inside).name().toStdString();
    const QPoint border = panel->geometry().topLeft() + QPoint(panel->width() / 2, 0);
    EXPECT_TRUE(near(image.pixelColor(border), over(palette().hairline, 1, palette().canvas)));
    auto* tag = list->findChild<SafetyTag*>();
    const QPoint capsule = tag->mapTo(&host_, QPoint(tag->height() / 2, 1));
    EXPECT_TRUE(near(image.pixelColor(capsule), over(palette().accent, 0.12, palette().canvas)));
    EXPECT_EQ(headline->text(), QStringLiteral("12.34 GB"));
}

TEST_P(KitRendering, Buttons) {
    auto* solid = new KitButton(KitButton::Style::solid, QStringLiteral("Clean 12.3 GB"));
    solid->setSymbol("trash");
    auto* disabled = new KitButton(KitButton::Style::solid, QStringLiteral("Nothing selected"));
    disabled->setEnabled(false);
    auto* outline = new KitButton(KitButton::Style::outline, QStringLiteral("Cancel"));
    auto* outlineOff = new KitButton(KitButton::Style::outline, QStringLiteral("Select safe"));
    outlineOff->setEnabled(false);
    auto* data = new KitButton(KitButton::Style::outline, QStringLiteral("<b>a&b</b> with a very long title that cannot fit"));
    for (auto* button : {solid, disabled, outline, outlineOff, data}) column_->addWidget(button);
    column_->addStretch();
    const QImage image = shoot(QStringLiteral("buttons"), {300, 300});

    const QPoint solidEdge = solid->mapTo(&host_, QPoint(6, solid->height() / 2));
    EXPECT_TRUE(near(image.pixelColor(solidEdge), palette().solid));
    const QPoint disabledEdge = disabled->mapTo(&host_, QPoint(6, disabled->height() / 2));
    EXPECT_TRUE(near(image.pixelColor(disabledEdge), over(palette().solid, 0.3, palette().canvas)));
    const QPoint outlineEdge = outline->mapTo(&host_, QPoint(6, outline->height() / 2));
    EXPECT_TRUE(near(image.pixelColor(outlineEdge), palette().panel));
}

TEST_P(KitRendering, OpenPickers) {
    auto* row = new QHBoxLayout;
    auto* disposal = new DisposalPicker;
    auto* theme = new ThemePicker;
    row->addWidget(disposal);
    row->addStretch();
    row->addWidget(theme);
    column_->addStretch();
    column_->addLayout(row);
    shoot(QStringLiteral("pickers-closed"), {420, 80});

    for (auto [name, dropdown] : {std::pair{QStringLiteral("disposal-list"), disposal->dropdown()},
                                  std::pair{QStringLiteral("theme-list"), theme->dropdown()}}) {
        dropdown->setOpen(true);
        ASSERT_TRUE(dropdown->isOpen());
        QWidget* list = dropdown->list();
        QCoreApplication::processEvents();
        const QImage image = list->grab().toImage();
        image.save(screenshotPath(name + QLatin1Char('-') + QString::fromUtf8(rawValue(GetParam()).data())));
        // The card's middle is the panel colour, the shadow room around it is clear or shadow.
        const QPoint middle(list->width() / 2, 12);
        EXPECT_TRUE(near(image.pixelColor(middle), palette().panel)) << name.toStdString();
        EXPECT_LT(image.pixelColor(0, 0).alpha(), 40);
        dropdown->setOpen(false);
    }
}

TEST_P(KitRendering, Textures) {
    const Palette& p = palette();
    auto* overlay = new TextureOverlay(&host_);
    overlay->setTexture(Texture::grid, p.ink);
    overlay->setGeometry(0, 0, 200, 120);
    column_->addStretch();
    const QImage image = shoot(QStringLiteral("texture-grid"), {200, 120});
    EXPECT_TRUE(near(image.pixelColor(22, 10), over(p.ink, 0.05, p.canvas)));
    EXPECT_TRUE(near(image.pixelColor(11, 11), p.canvas));
    overlay->setTexture(p.texture, p.ink);
    overlay->setGeometry(0, 0, 400, 240);
    shoot(QStringLiteral("texture-own"), {400, 240});
}

INSTANTIATE_TEST_SUITE_P(Themes, KitRendering, testing::Values(ThemeID::paper, ThemeID::graphite, ThemeID::terminal),
                         [](const auto& info) { return std::string(rawValue(info.param)); });

}  // namespace
}  // namespace korvane
