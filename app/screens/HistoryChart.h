#pragma once

#include <vector>

#include <QChartView>

#include "app/presenters/HistoryContent.h"

namespace korvane {

struct Palette;

// The developer storage over the recorded days: an area under a line, dates
// across and gigabytes up, in the theme's colours.
class HistoryChart : public QChartView {
    Q_OBJECT
public:
    static constexpr int chartHeight = 180;

    explicit HistoryChart(QWidget* parent = nullptr);

    void setPoints(const std::vector<HistoryPoint>& points, const Palette& palette);
};

}  // namespace korvane
