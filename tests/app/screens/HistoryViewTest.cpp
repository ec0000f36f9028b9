#include <gtest/gtest.h>

#include <fstream>

#include <QAreaSeries>
#include <QDialog>
#include <QChart>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <nlohmann/json.hpp>

#include <QCoreApplication>

#include "app/MainWindow.h"
#include "app/frame/RootView.h"
#include "app/screens/HistoryChart.h"
#include "app/screens/HistoryView.h"
#include "app/theme/Palette.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Clock = std::chrono::system_clock;

class HistoryViewTest : public testing::FlowFixture {
protected:
    std::vector<HistoryPoint> points(std::size_t count) const {
        std::vector<HistoryPoint> made;
        for (std::size_t day = 0; day < count; ++day)
            made.push_back({clock_.moment - std::chrono::hours(24 * static_cast<int>(count - day)),
                            static_cast<double>(day % 37)});
        return made;
    }

    // The history at its retention limits, written as the store writes it.
    void fillHistory() {
        nlohmann::json snapshots = nlohmann::json::array();
        for (std::size_t day = 0; day < HistoryStore::maxSnapshots; ++day)
            snapshots.push_back(HistoryStore::Snapshot(
                clock_.moment - std::chrono::hours(24 * static_cast<int>(HistoryStore::maxSnapshots - day)),
                static_cast<std::int64_t>(day) * 100'000'000, 0, 0, {}));
        nlohmann::json reports = nlohmann::json::array();
        for (std::size_t index = 0; index < HistoryStore::maxReports; ++index) {
            CleanupReport report;
            report.date = clock_.moment - std::chrono::hours(static_cast<int>(index));
            for (int item = 0; item < 20; ++item)
                report.outcomes.emplace_back(UUID::random(), CleanupCategory::node, "item", "/home/u/item", 1'000'000,
                                             CleanupOutcome::Status::deleted, std::nullopt);
            reports.push_back(report);
        }
        std::ofstream(tree_.folder("history") + "/" + HistoryStore::snapshotsFile) << snapshots.dump();
        std::ofstream(tree_.folder("history") + "/" + HistoryStore::cleanupsFile) << reports.dump();
    }
};

TEST_F(HistoryViewTest, TheChartBuildsForAnyNumberOfSnapshots) {
    for (std::size_t count : {0u, 1u, 2u, 400u}) {
        HistoryChart chart;
        chart.setPoints(points(count), Palette::forTheme(ThemeID::graphite));
        chart.resize(560, HistoryChart::chartHeight);
        ASSERT_EQ(chart.chart()->series().size(), 2) << count;
        auto* line = qobject_cast<QLineSeries*>(chart.chart()->series()[1]);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(static_cast<std::size_t>(line->count()), count);
        EXPECT_EQ(static_cast<std::size_t>(qobject_cast<QAreaSeries*>(chart.chart()->series()[0])->upperSeries()->count()),
                  count);
        auto* dates = qobject_cast<QDateTimeAxis*>(chart.chart()->axes(Qt::Horizontal).front());
        ASSERT_NE(dates, nullptr);
        EXPECT_LT(dates->min(), dates->max()) << count;
        EXPECT_FALSE(chart.grab().isNull());
    }
}

TEST_F(HistoryViewTest, ReadsAFullHistoryInTheBackground) {
    fillHistory();
    launch();
    HistoryView view(state().history(), state().developer(), state().navigation(), state().clock());
    view.resize(620, 560);
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return view.content().has_value(); }, 10));
    const HistoryContent& content = *view.content();
    EXPECT_EQ(content.points.size(), HistoryStore::maxSnapshots);
    ASSERT_NE(view.chart(), nullptr);
    EXPECT_EQ(qobject_cast<QLineSeries*>(view.chart()->chart()->series()[1])->count(), 400);
    ASSERT_TRUE(content.pastCleanups);
    EXPECT_EQ(content.pastCleanups->rows.size(), PastCleanups::shown);
    EXPECT_EQ(content.pastCleanups->total, "4 GB total");
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) texts << label->text();
    EXPECT_EQ(texts.count("20 items"), 12);
    EXPECT_TRUE(texts.contains("Developer storage"));
    EXPECT_TRUE(texts.contains(QString::fromStdString(*content.trend)));
}

TEST_F(HistoryViewTest, TheSheetGrowsToFitTheHistoryOnceRead) {
    fillHistory();
    launch({"--screen", "explore"});
    MainWindow window(state());
    window.show();
    state().navigation().setSheet(AppState::Sheet::history);
    QDialog* sheet = window.sheetDialog();
    ASSERT_NE(sheet, nullptr);
    const int opened = sheet->height();
    auto* view = sheet->findChild<HistoryView*>();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(testing::waitUntil([&] { return view->content().has_value(); }, 10));
    // Up to the sheet's own limit, then the content scrolls.
    ASSERT_TRUE(testing::waitUntil([&] { return sheet->height() == 560; }));
    EXPECT_LT(opened, 560);
}

// In a small window the grown sheet stays over the window's content, the
// history scrolling within it, and follows the window when it is resized.
TEST_F(HistoryViewTest, TheGrownSheetStaysWithinASmallWindow) {
    fillHistory();
    launch({"--screen", "explore"});
    MainWindow window(state());
    window.resize(1008, 652);
    window.show();
    state().navigation().setSheet(AppState::Sheet::history);
    QDialog* sheet = window.sheetDialog();
    ASSERT_NE(sheet, nullptr);
    auto* view = sheet->findChild<HistoryView*>();
    ASSERT_TRUE(testing::waitUntil([&] { return view->content().has_value(); }, 10));
    const QWidget* content = window.rootView();
    const auto within = [&] {
        const QRect area(content->mapToGlobal(QPoint(0, 0)), content->size());
        return area.contains(sheet->geometry());
    };
    // Grown as far as the window allows.
    ASSERT_TRUE(testing::waitUntil([&] { return sheet->height() > 400 && within(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(within()) << "the sheet runs past the window";
    EXPECT_LE(sheet->height(), 560);

    window.resize(900, 560);
    QCoreApplication::processEvents();
    EXPECT_TRUE(within()) << "the sheet runs past a window made smaller";
}

TEST_F(HistoryViewTest, AnEmptyHistorySaysSoAndFollowsANewScan) {
    launch();
    HistoryView view(state().history(), state().developer(), state().navigation(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return view.content().has_value(); }));
    EXPECT_EQ(view.chart(), nullptr);
    EXPECT_FALSE(view.content()->pastCleanups);
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) texts << label->text();
    EXPECT_EQ(texts, QStringList({"Not enough history yet",
                                  "Korvane records one point per day you scan. The trend appears after the second."}));

    // A finished scan records the day's snapshot; the sheet reads it again.
    // The clock has moved on by then (the sheet leaves out what is dated after now).
    clock_.moment = Clock::now() + std::chrono::minutes(1);
    state().developer().startScan();
    ASSERT_TRUE(testing::waitUntil([&] { return view.content() && view.content()->points.size() == 1; }));
}

}  // namespace
}  // namespace korvane
