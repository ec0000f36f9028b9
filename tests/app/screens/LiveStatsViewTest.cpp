#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/frame/GeneralSidebar.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/screens/LiveStatsView.h"
#include "app/theme/AppFont.h"
#include "app/theme/AppMotion.h"
#include "app/theme/GaugeMotion.h"
#include "tests/app/kit/ShownWhole.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

void writeMemory(testing::AppStateHarness& harness, int usedKilobytes) {
    const std::string available = std::to_string(1'000'000 - usedKilobytes);
    harness.home.text("machine/proc/meminfo", "MemTotal: 1000000 kB\nMemFree: " + available +
                                                  " kB\nMemAvailable: " + available +
                                                  " kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
}

// Every running motion of the page moved to `milliseconds` into its run.
void stepTo(QWidget& page, int milliseconds) {
    for (auto* motion : page.findChildren<GaugeMotion*>()) motion->setElapsed(milliseconds / 1000.0);
}

int runningAnimations(QWidget& page) {
    int running = 0;
    for (auto* motion : page.findChildren<GaugeMotion*>()) running += motion->isRunning();
    return running;
}

class LiveStatsMotionTest : public ::testing::Test {
protected:
    LiveStatsMotionTest() { AppMotion::setJumpToEnd(false); }
    ~LiveStatsMotionTest() override { AppMotion::setJumpToEnd(false); }

    testing::AppStateHarness harness;
};

// A new sample eases the memory ring and its number there over 0.6 s, and
// the memory segments with them; the numbers carry their percent sign.
TEST_F(LiveStatsMotionTest, RingsSegmentsAndNumbersEaseToANewSample) {
    writeMemory(harness, 200000);
    auto state = harness.make();
    LiveStatsView view(state->liveStats());
    view.resize(900, 600);
    view.show();
    state->liveStats().startStatsTimer();
    stepTo(view, 10'000);
    ASSERT_EQ(view.shownNumber(1), QStringLiteral("20%"));
    const double segmentBefore = view.shownSegments().at(0);

    writeMemory(harness, 600000);
    state->liveStats().startStatsTimer();
    EXPECT_EQ(view.content().meters[1].number, "60%");
    EXPECT_EQ(view.shownNumber(1), QStringLiteral("20%"));  // not yet moved
    stepTo(view, 150);
    const double early = view.shownArc(1);
    stepTo(view, 300);
    const double halfway = view.shownArc(1);
    EXPECT_GT(early, 0.2);
    EXPECT_GT(halfway, early);
    EXPECT_LT(halfway, 0.6);
    // An ease-out covers more than half the way in the first half of the time.
    EXPECT_GT(halfway, 0.4);
    const int counted = view.shownNumber(1).chopped(1).toInt();
    EXPECT_GT(counted, 20);
    EXPECT_LT(counted, 60);
    EXPECT_TRUE(view.shownNumber(1).endsWith(QLatin1Char('%')));
    const double segment = view.shownSegments().at(0);
    EXPECT_GT(segment, segmentBefore);
    EXPECT_LT(segment, view.content().memory[0].fraction);

    stepTo(view, 600);
    EXPECT_DOUBLE_EQ(view.shownArc(1), 0.6);
    EXPECT_EQ(view.shownNumber(1), QStringLiteral("60%"));
    EXPECT_DOUBLE_EQ(view.shownSegments().at(0), view.content().memory[0].fraction);
}

// The tests' switch lands every animation at once; a sample that draws the
// same picture starts no animation at all.
TEST_F(LiveStatsMotionTest, JumpsWhenAskedAndSkipsASampleThatLooksTheSame) {
    writeMemory(harness, 300000);
    auto state = harness.make();
    LiveStatsView view(state->liveStats());
    view.show();
    stepTo(view, 10'000);

    AppMotion::setJumpToEnd(true);
    writeMemory(harness, 700000);
    state->liveStats().startStatsTimer();
    EXPECT_EQ(runningAnimations(view), 0);
    EXPECT_DOUBLE_EQ(view.shownArc(1), 0.7);
    EXPECT_EQ(view.shownNumber(1), QStringLiteral("70%"));

    AppMotion::setJumpToEnd(false);
    state->liveStats().startStatsTimer();  // the same machine again
    EXPECT_EQ(runningAnimations(view), 0);
}

// The cards fill the page whatever its height: the meters take what the
// breakdown and the footer leave, their rings growing with it within bounds,
// and no gap stands between the cards.
TEST_F(LiveStatsMotionTest, TheCardsFillThePageWithoutAHole) {
    auto state = harness.make();
    LiveStatsView view(state->liveStats());
    const QWidget* footer = view.uptime()->parentWidget();
    const QWidget* breakdown = view.swapWarning()->parentWidget();
    struct Case {
        QSize page;
        double smallestRing;
        double largestRing;
    };
    // Too short for the smallest rings; short; tall; tall and narrow, where the caption's room bounds the
    // ring.
    const Case cases[] = {
        {{900, 300}, 62, 62}, {{900, 440}, 120, 180}, {{900, 900}, 150, 200}, {{600, 900}, 62, 80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page.height());
        view.resize(c.page);
        view.show();
        QApplication::processEvents();
        EXPECT_GE(view.ringSide(0), c.smallestRing);
        EXPECT_LE(view.ringSide(0), c.largestRing);
        const QWidget* meter = view.meters().front();
        const int meterBottom = meter->mapTo(&view, QPoint(0, meter->height())).y();
        const int breakdownTop = breakdown->mapTo(&view, QPoint()).y();
        const int footerTop = footer->mapTo(&view, QPoint()).y();
        EXPECT_EQ(breakdownTop - meterBottom, 14);
        EXPECT_EQ(footerTop - (breakdownTop + breakdown->height()), 14);
        if (c.page.height() >= 440) {
            EXPECT_EQ(footer->mapTo(&view, QPoint(0, footer->height())).y(), c.page.height() - 18);
        }
        // The ring keeps the caption its room beside it.
        EXPECT_LE(view.ringSide(0) + 210, meter->width());
    }
}

// A laptop with much memory, zswap and swap in use, beside the sidebar of a
// 720 × 560 and a 1024 × 700 window: the meters take as many rows as they
// need and the legend wraps, so no card runs off the page and no figure is cut.
TEST(LiveStatsLayout, NoCardRunsOffANarrowPage) {
    AppMotion::setJumpToEnd(true);
    testing::AppStateHarness harness;
    harness.home.text("machine/proc/meminfo",
                      "MemTotal: 131000000 kB\nMemFree: 1000000 kB\nMemAvailable: 21000000 kB\n"
                      "Unevictable: 1000000 kB\nSUnreclaim: 9000000 kB\nZswap: 8000000 kB\n"
                      "SwapTotal: 8000000 kB\nSwapFree: 1000000 kB\n");
    const std::string battery = "machine/sys/class/power_supply/BAT0/";
    for (const auto& [file, value] : {std::pair{"type", "Battery"}, {"capacity", "87"},
                                      {"status", "Discharging"}, {"energy_now", "40000000"},
                                      {"power_now", "9000000"}})
        harness.home.text(battery + file, std::string(value) + "\n");
    auto state = harness.make();
    state->liveStats().startStatsTimer();
    LiveStatsView view(state->liveStats());
    view.show();
    const auto* scroll = view.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    for (const QSize page : {QSize(471, 490), QSize(775, 630)}) {
        view.resize(page);
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
        ASSERT_EQ(view.content().meters.size(), 3u);
        const std::string at = std::to_string(page.width()) + " ";
        EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width()) << at;
        testing::expectShownWhole(*scroll->widget(), at);
    }
    AppMotion::setJumpToEnd(false);
}

// The meters' titles and the breakdown's heading are section labels: the
// label face in every theme, never the monospaced one a theme's text takes.
TEST(LiveStatsLabels, TakeTheLabelFontInEveryTheme) {
    testing::AppStateHarness harness;
    auto state = harness.make();
    for (const ThemeID theme : {ThemeID::terminal, ThemeID::blueprint, ThemeID::paper}) {
        LiveStatsView view(state->liveStats());
        setEnvironmentPalette(&view, theme);
        int labels = 0;
        for (const QLabel* label : view.findChildren<QLabel*>()) {
            const QString text = label->text();
            if (text != QStringLiteral("CPU") && text != QStringLiteral("MEMORY") &&
                text != QStringLiteral("MEMORY BREAKDOWN"))
                continue;
            ++labels;
            SCOPED_TRACE(text.toStdString());
            EXPECT_EQ(label->font().family(), AppFont::label().family());
            EXPECT_EQ(label->font().weight(), QFont::DemiBold);
            EXPECT_NEAR(label->font().letterSpacing(), text == QStringLiteral("MEMORY BREAKDOWN") ? 0.6 : 0.7, 0.02);
        }
        EXPECT_EQ(labels, 3) << static_cast<int>(theme);
    }
}

// The statistics are read only while a live figure is on screen: the page
// or the sidebar's meters, shown, in a window that is shown and not minimised.
TEST(LiveFigures, TheStatisticsTimerRunsOnlyWhileAFigureIsOnScreen) {
    struct Case {
        const char* figure;
        QWidget* (*make)(AppState&);
    };
    const Case cases[] = {
        {"statistics page", [](AppState& state) -> QWidget* { return new LiveStatsView(state.liveStats()); }},
        {"general sidebar",
         [](AppState& state) -> QWidget* {
             return new GeneralSidebar(state.folderScan(), state.navigation(), state.applications(),
                                       state.liveStats(), state.desktop());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.figure);
        testing::AppStateHarness harness;
        auto state = harness.make();
        EXPECT_FALSE(state->liveStats().statsTimerRuns());
        {
            QWidget window;
            auto* column = new QVBoxLayout(&window);
            QWidget* figure = c.make(*state);
            column->addWidget(figure);
            EXPECT_FALSE(state->liveStats().statsTimerRuns());  // made, not yet shown
            window.show();
            EXPECT_TRUE(state->liveStats().statsTimerRuns());
            figure->hide();
            EXPECT_FALSE(state->liveStats().statsTimerRuns());
            figure->show();
            EXPECT_TRUE(state->liveStats().statsTimerRuns());
            window.showMinimized();
            EXPECT_FALSE(state->liveStats().statsTimerRuns());
            window.showNormal();
            EXPECT_TRUE(state->liveStats().statsTimerRuns());
            window.hide();
            EXPECT_FALSE(state->liveStats().statsTimerRuns());
            window.show();
            EXPECT_TRUE(state->liveStats().statsTimerRuns());
        }
        EXPECT_FALSE(state->liveStats().statsTimerRuns());  // the figure is gone
    }
}

}  // namespace
}  // namespace korvane
