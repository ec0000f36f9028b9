#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RestyleOnPaletteChange.h"

namespace korvane {
namespace {

// A widget restyles when a theme is set on it or on any widget above it,
// and on no other change.
TEST(RestyleOnPaletteChange, FollowsThemesSetOnTheWidgetOrAboveAndNothingElse) {
    struct Case {
        const char* what;
        void (*change)(QWidget& top, QWidget& middle, QWidget& watched);
        int restyles;
    };
    const Case cases[] = {
        {"theme on the widget",
         [](QWidget&, QWidget&, QWidget& w) { setEnvironmentPalette(&w, ThemeID::graphite); }, 1},
        {"theme two levels up",
         [](QWidget& t, QWidget&, QWidget&) { setEnvironmentPalette(&t, ThemeID::graphite); }, 1},
        {"a font", [](QWidget&, QWidget&, QWidget& w) { w.setFont(QFont(QStringLiteral("Serif"), 31)); }, 0},
        {"enabled state", [](QWidget&, QWidget&, QWidget& w) { w.setEnabled(false); }, 0},
        {"a sibling's theme",
         [](QWidget&, QWidget& m, QWidget&) { setEnvironmentPalette(new QWidget(&m), ThemeID::graphite); },
         0},
    };
    for (const Case& c : cases) {
        QWidget top;
        auto* middle = new QWidget(&top);
        auto* watched = new QWidget(middle);
        int restyles = 0;
        restyleOnPaletteChange(*watched, [&restyles] { ++restyles; });
        c.change(top, *middle, *watched);
        QCoreApplication::processEvents();
        EXPECT_EQ(restyles, c.restyles) << c.what;
    }
}

// The restyle sees the new theme already in place.
TEST(RestyleOnPaletteChange, RestyleReadsTheNewTheme) {
    QWidget top;
    auto* watched = new QWidget(&top);
    ThemeID seen = ThemeID::paper;
    restyleOnPaletteChange(*watched, [&] { seen = environmentPalette(watched).id; });
    setEnvironmentPalette(&top, ThemeID::graphite);
    EXPECT_EQ(seen, ThemeID::graphite);
}

}  // namespace
}  // namespace korvane
