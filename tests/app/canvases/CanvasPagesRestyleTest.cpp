#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <functional>

#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/canvases/MindMapCanvas.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/PaletteEnvironment.h"
#include "tests/app/state/FlowFixture.h"

// The canvas pages and the mind map's zoom bar take a theme set above them
// after they were built, as the settings' theme picker does.

namespace korvane {
namespace {

class CanvasPagesRestyleTest : public testing::FlowFixture {};

TEST_F(CanvasPagesRestyleTest, TextsTakeAThemeSetAfterTheyWereBuilt) {
    launch({"--screen", "explore", "--mode", "developer"});
    const CanvasParts parts{state().navigation(), state().developer(), state().desktop()};
    const struct {
        const char* what;
        std::function<QWidget*()> make;
        std::function<QLabel*(QWidget&)> label;  // one the widget styles itself
        QColor Palette::*colour;
    } cases[] = {
        {"developer page", [&] { return new DeveloperCanvasPage(parts); },
         [](QWidget& w) { return w.findChildren<ElidedLabel*>().front(); }, &Palette::ink},
        {"general page", [&] { return new GeneralCanvasPage(state().folderScan(), parts); },
         [](QWidget& w) { return w.findChildren<ElidedLabel*>().front(); }, &Palette::ink},
        {"mind map", [&] { return new MindMapCanvas(parts); },
         [](QWidget& w) { return w.findChild<QLabel*>(); }, &Palette::inkSecondary},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget host;
        setEnvironmentPalette(&host, ThemeID::paper);
        QWidget* widget = c.make();
        widget->setParent(&host);
        QLabel* label = c.label(*widget);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), Palette::forTheme(ThemeID::paper).*c.colour);
        setEnvironmentPalette(&host, ThemeID::graphite);
        QCoreApplication::processEvents();
        EXPECT_EQ(label->palette().color(QPalette::WindowText),
                  Palette::forTheme(ThemeID::graphite).*c.colour);
    }
}

}  // namespace
}  // namespace korvane
