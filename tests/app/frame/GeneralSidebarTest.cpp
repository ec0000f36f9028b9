#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPaintEvent>

#include "app/frame/GeneralSidebar.h"
#include "app/kit/KitButton.h"
#include "app/theme/AppMotion.h"
#include "app/theme/GaugeMotion.h"
#include "tests/app/state/AppStateHarness.h"

namespace korvane {
namespace {

void writeMemory(testing::AppStateHarness& harness, int usedKilobytes) {
    const std::string available = std::to_string(1'000'000 - usedKilobytes);
    harness.home.text("machine/proc/meminfo", "MemTotal: 1000000 kB\nMemFree: " + available +
                                                  " kB\nMemAvailable: " + available +
                                                  " kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
}

// Where a tree of widgets is repainted (in the root's coordinates), and how
// often the given widgets are asked to lay out again.
class EventCounter : public QObject {
public:
    EventCounter(QWidget& root, std::vector<QWidget*> laidOut) : root_(root), laidOut_(std::move(laidOut)) {
        for (QWidget* widget : root.findChildren<QWidget*>()) widget->installEventFilter(this);
    }

    QRegion painted;
    int layoutRequests = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region().translated(widget->mapTo(&root_, QPoint(0, 0)));
        if (event->type() == QEvent::LayoutRequest && std::ranges::find(laidOut_, widget) != laidOut_.end())
            ++layoutRequests;
        return false;
    }

private:
    QWidget& root_;
    std::vector<QWidget*> laidOut_;
};

QWidget* meter(GeneralSidebar& sidebar, const QString& title) {
    for (QWidget* widget : sidebar.findChildren<QWidget*>())
        if (widget->accessibleName().startsWith(title + QLatin1Char(' '))) return widget;
    return nullptr;
}

QRect area(GeneralSidebar& sidebar, const QWidget* widget) {
    return QRect(widget->mapTo(&sidebar, QPoint(0, 0)), widget->size());
}

// The label of a meter that shows its figure.
QLabel* figureOf(QWidget& meter) {
    const auto labels = meter.findChildren<QLabel*>();
    return labels.size() == 2 ? labels[1] : nullptr;
}

// A new reading of the live figures repaints the meter it changes, and only
// that: no other row, button or label of the sidebar, and no layout. A move
// of the bar under two pixels lands at once instead of animating.
TEST(GeneralSidebarTest, AReadingRepaintsOnlyTheMeterItChanges) {
    struct Case {
        const char* name;
        int from;  // kilobytes of the fixture's 1,000,000 in use
        int to;
        bool animates;
    };
    const Case cases[] = {
        {"a new figure and a long move", 200'000, 600'000, true},
        {"a new figure, a move under two pixels", 200'000, 204'000, false},
        {"the same machine again", 200'000, 200'000, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        AppMotion::setJumpToEnd(false);
        testing::AppStateHarness harness;
        writeMemory(harness, test.from);
        auto state = harness.make();
        GeneralSidebar sidebar(state->folderScan(), state->navigation(), state->applications(),
                               state->liveStats(), state->desktop());
        sidebar.resize(240, 800);
        sidebar.show();
        state->liveStats().startStatsTimer();
        for (int round = 0; round < 5; ++round) QApplication::processEvents();
        QWidget* memory = meter(sidebar, QStringLiteral("Memory"));
        QWidget* cpu = meter(sidebar, QStringLiteral("CPU"));
        ASSERT_NE(memory, nullptr);
        ASSERT_NE(cpu, nullptr);
        QLabel* figure = figureOf(*memory);
        ASSERT_NE(figure, nullptr);
        const QString before = figure->text();

        EventCounter counter(sidebar, {memory, cpu, figure, memory->parentWidget()});
        writeMemory(harness, test.to);
        state->liveStats().startStatsTimer();
        int running = 0;
        for (auto* motion : sidebar.findChildren<GaugeMotion*>()) running += motion->isRunning();
        EXPECT_EQ(running, test.animates ? 1 : 0);
        for (int round = 0; round < 5; ++round) QApplication::processEvents();

        EXPECT_EQ(counter.layoutRequests, 0);
        // Nothing above the live section, nor the other meter.
        QRegion kept = area(sidebar, cpu);
        for (QWidget* row : sidebar.pageRows()) kept += area(sidebar, row);
        for (QWidget* button : {static_cast<QWidget*>(sidebar.primaryButton()),
                                static_cast<QWidget*>(sidebar.folderButton()),
                                static_cast<QWidget*>(sidebar.secondaryButton())})
            kept += area(sidebar, button);
        EXPECT_TRUE(counter.painted.intersected(kept).isEmpty()) << counter.painted.boundingRect().y();
        const QRegion figureArea = area(sidebar, figure);
        EXPECT_EQ(counter.painted.intersects(figureArea), figure->text() != before);
        if (test.from == test.to) {
            EXPECT_FALSE(counter.painted.intersects(area(sidebar, memory)));
        }
    }
}

}  // namespace
}  // namespace korvane
