#pragma once

#include <optional>

#include <QWidget>

#include "app/presenters/HistoryContent.h"

class QScrollArea;
class QVBoxLayout;

namespace korvane {

class Clock;
class DeveloperState;
class HistoryChart;
class HistoryRecords;
class NavigationState;

// The history sheet's content: the developer storage of the recorded days as
// a chart with its trend, and the past cleanups with what each freed. The
// history is read off the window's thread; the content shows when it arrives
// and again after each new scan or cleanup.
class HistoryView : public QWidget {
    Q_OBJECT
public:
    HistoryView(HistoryRecords& history, const DeveloperState& developer, const NavigationState& navigation,
                const Clock& clock, QWidget* parent = nullptr);

    // None until the first read arrives.
    const std::optional<HistoryContent>& content() const { return content_; }
    // Null while the chart is not shown.
    HistoryChart* chart() const { return chart_; }
    QSize sizeHint() const override;

signals:
    void contentShown();

private:
    void read();
    void present(HistoryContent content);
    void rebuild();
    void fitSheet();
    QWidget* makeTrendPanel();
    QWidget* makePastCleanups(const PastCleanups& past);

    HistoryRecords& history_;
    const Clock& clock_;
    std::optional<HistoryContent> content_;
    bool reading_ = false;
    bool readAgain_ = false;
    QScrollArea* scroll_;
    QVBoxLayout* column_;
    HistoryChart* chart_ = nullptr;
};

}  // namespace korvane
