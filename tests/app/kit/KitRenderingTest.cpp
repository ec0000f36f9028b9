#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QGroupBox>
#include <QMenu>
#include <QSlider>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
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
#include "app/kit/ThemedStyle.h"
#include "app/theme/AppMotion.h"
#include "tests/app/fakes/FakeCompositor.h"

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

// What the style is given to draw a slider or scroll bar as it stands.
QStyleOptionSlider sliderOption(const QAbstractSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    option.pageStep = slider->pageStep();
    option.subControls = QStyle::SC_All;
    return option;
}

class KitRendering : public ::testing::TestWithParam<ThemeID> {
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
    // The composited look; DropdownTest covers the list without a compositor.
    const testing::FakeCompositor composited(true);
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

TEST_P(KitRendering, ScrollBarsAreAThinHandleOnTheirBackground) {
    const Palette& p = palette();
    // One area on the window's ground, one on the rail's.
    QScrollArea* areas[2];
    for (auto*& area : areas) {
        area = new QScrollArea;
        area->setFrameShape(QFrame::NoFrame);
        auto* content = new QWidget;
        content->setMinimumHeight(600);
        area->setWidget(content);
        area->setWidgetResizable(true);
        column_->addWidget(area);
    }
    areas[1]->setBackgroundRole(QPalette::AlternateBase);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
    const QImage image = shoot(QStringLiteral("scroll-bars"), {200, 300});

    for (const auto& [area, ground] : {std::pair{areas[0], p.canvas}, std::pair{areas[1], p.rail}}) {
        QScrollBar* bar = area->verticalScrollBar();
        ASSERT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->width(), ThemedStyle::scrollBarExtent);
        const QStyleOptionSlider option = sliderOption(bar);
        QStyle* style = bar->style();
        // No arrow buttons: the handle runs along the whole bar, in proportion to the page.
        EXPECT_FALSE(style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, bar).isValid());
        const QRect slider = style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
        EXPECT_EQ(slider.top(), 0);
        EXPECT_NEAR(slider.height(), bar->height() * bar->pageStep() / (bar->maximum() + bar->pageStep()), 1);

        const QPoint origin = bar->mapTo(&host_, QPoint(0, 0));
        const QPoint middle = origin + QPoint(bar->width() / 2, slider.center().y());
        EXPECT_TRUE(near(image.pixelColor(middle), over(p.inkSecondary, ThemedStyle::handleOpacity, ground)))
            << image.pixelColor(middle).name().toStdString();
        EXPECT_TRUE(near(image.pixelColor(origin + QPoint(0, slider.center().y())), ground));
        EXPECT_TRUE(near(image.pixelColor(origin + QPoint(bar->width() / 2, bar->height() - 2)), ground));

        // Hovered and dragged, the handle is stronger.
        for (const auto& [state, opacity] :
             {std::pair{QStyle::State_MouseOver, ThemedStyle::hoveredHandleOpacity},
              std::pair{QStyle::State_Sunken, ThemedStyle::pressedHandleOpacity}}) {
            QStyleOptionSlider lit = option;
            lit.state |= state;
            lit.activeSubControls = QStyle::SC_ScrollBarSlider;
            QImage drawn(bar->size(), QImage::Format_RGB32);
            drawn.fill(Qt::black);
            QPainter painter(&drawn);
            style->drawComplexControl(QStyle::CC_ScrollBar, &lit, &painter, bar);
            painter.end();
            const QPoint centre(bar->width() / 2, slider.center().y());
            EXPECT_TRUE(near(drawn.pixelColor(centre), over(p.inkSecondary, opacity, ground)))
                << drawn.pixelColor(centre).name().toStdString();
        }

        // A click below the handle pages down.
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 4));
        EXPECT_EQ(bar->value(), std::min(bar->pageStep(), bar->maximum()));
    }
}

// The stock controls the settings window, the search page and the canvas
// toolbar use, drawn in the theme rather than the platform's greys.
TEST_P(KitRendering, StockControlsTakeTheKitLook) {
    const Palette& p = palette();
    auto* combo = new QComboBox;
    combo->addItems({QStringLiteral("180 days"), QStringLiteral("30 days")});
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(1, 3);
    slider->setValue(2);
    slider->setFixedWidth(90);
    auto* group = new QGroupBox(QStringLiteral("Toolchains"));
    auto* inside = new QLabel(QStringLiteral("Xcode"));
    (new QVBoxLayout(group))->addWidget(inside);
    column_->addWidget(combo);
    column_->addWidget(slider);
    column_->addWidget(group);
    column_->addStretch();
    shoot(QStringLiteral("stock-controls"), {260, 260});
    slider->setFocus();  // focus would turn the combo box's edge to the accent
    QCoreApplication::processEvents();
    const QImage image = host_.grab().toImage();

    // The combo box: a panel-coloured face with a hairline edge.
    const QPoint face = combo->mapTo(&host_, QPoint(combo->width() / 2, combo->height() / 2));
    EXPECT_TRUE(near(image.pixelColor(face + QPoint(30, 0)), p.panel)) << image.pixelColor(face).name().toStdString();
    const QPoint edge = combo->mapTo(&host_, QPoint(combo->width() / 2, 0));
    EXPECT_TRUE(near(image.pixelColor(edge), p.hairline)) << image.pixelColor(edge).name().toStdString();

    // The slider: accent up to the knob, hairline after it, a panel-coloured knob.
    const QStyleOptionSlider option = sliderOption(slider);
    const QRect knob = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const QPoint origin = slider->mapTo(&host_, QPoint(0, 0));
    const int y = knob.center().y();
    EXPECT_TRUE(near(image.pixelColor(origin + QPoint(knob.left() - 4, y)), p.accent));
    EXPECT_TRUE(near(image.pixelColor(origin + QPoint(knob.right() + 4, y)), p.hairline));
    EXPECT_TRUE(near(image.pixelColor(origin + knob.center()), p.panel));

    // The group box: its title above a panel, not on the panel's edge.
    EXPECT_GT(inside->geometry().top(), QFontMetrics(group->font()).height());
    const QPoint title = group->mapTo(&host_, QPoint(group->width() - 6, 4));
    EXPECT_TRUE(near(image.pixelColor(title), p.canvas));
    const QPoint card = group->mapTo(&host_, QPoint(group->width() - 6, group->height() - 6));
    EXPECT_TRUE(near(image.pixelColor(card), p.panel));
}

// A menu is a window of its own: it takes the colours of the widget it opens from.
TEST_P(KitRendering, MenusTakeTheirOwnersTheme) {
    QMenu menu(&host_);
    menu.addAction(QStringLiteral("Show in Files"));
    menu.ensurePolished();
    EXPECT_EQ(menu.palette().color(QPalette::Text), palette().ink);
    EXPECT_EQ(menu.palette().color(QPalette::Base), palette().panel);
    const QImage image = menu.grab().toImage();
    EXPECT_TRUE(near(image.pixelColor(image.width() - 3, image.height() / 2), palette().panel));
}

// A dialog (the folder picker, a message) is a window of its own too: its
// buttons take the faces of the owner's theme, so their text must as well.
TEST_P(KitRendering, DialogsTakeTheirOwnersTheme) {
    QDialog dialog(&host_);
    auto* button = new QPushButton(QStringLiteral("Scan"), &dialog);
    dialog.ensurePolished();
    EXPECT_EQ(dialog.palette().color(QPalette::Window), palette().qtPalette().color(QPalette::Window));
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), palette().qtPalette().color(QPalette::ButtonText));
}

INSTANTIATE_TEST_SUITE_P(Themes, KitRendering, ::testing::Values(ThemeID::paper, ThemeID::graphite, ThemeID::terminal),
                         [](const auto& info) { return std::string(rawValue(info.param)); });

}  // namespace
}  // namespace korvane
