#include "app/screens/HistoryChart.h"

#include <algorithm>

#include <QAreaSeries>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include "app/presenters/ChartScale.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/Palette.h"

namespace korvane {

namespace {

constexpr qint64 dayMilliseconds = 24LL * 60 * 60 * 1000;

qint64 milliseconds(std::chrono::system_clock::time_point date) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
}

void styleAxis(QAbstractAxis* axis, const Palette& palette) {
    axis->setLabelsColor(palette.inkSecondary);
    axis->setLabelsFont(AppFont::small());
    axis->setLinePenColor(palette.hairline);
    axis->setGridLineColor(palette.hairline);
    axis->setTitleBrush(palette.inkSecondary);
    axis->setTitleFont(AppFont::small());
}

}  // namespace

HistoryChart::HistoryChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    setFixedHeight(chartHeight);
    setFrameShape(QFrame::NoFrame);
    setStyleSheet(QStringLiteral("background: transparent"));
    setAccessibleName(QStringLiteral("Developer storage"));
}

void HistoryChart::setPoints(const std::vector<HistoryPoint>& points, const Palette& palette) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setAnimationOptions(QChart::NoAnimation);

    auto* line = new QLineSeries;
    QList<QPointF> series;
    series.reserve(static_cast<qsizetype>(points.size()));
    double top = 0;
    for (const HistoryPoint& point : points) {
        series.append(QPointF(static_cast<double>(milliseconds(point.date)), point.gigabytes));
        top = std::max(top, point.gigabytes);
    }
    line->replace(series);
    line->setPen(QPen(palette.accent, 2));
    // The area needs its own upper line; the lower one is the axis.
    auto* upper = new QLineSeries;
    upper->replace(series);
    auto* area = new QAreaSeries(upper);
    // An area series leaves its lines to the caller: it takes this one with it.
    upper->setParent(area);
    area->setBrush(withOpacity(palette.accent, 0.16));
    area->setPen(Qt::NoPen);
    chart->addSeries(area);
    chart->addSeries(line);

    auto* dates = new QDateTimeAxis;
    dates->setFormat(QStringLiteral("MMM d"));
    dates->setTickCount(std::clamp<int>(static_cast<int>(points.size()), 2, 6));
    // One day either side of a lone date gives the axis a range.
    qint64 first = points.empty() ? 0 : milliseconds(points.front().date);
    qint64 last = points.empty() ? dayMilliseconds : milliseconds(points.back().date);
    if (last <= first) {
        first -= dayMilliseconds;
        last = first + 2 * dayMilliseconds;
    }
    dates->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    auto* gigabytes = new QValueAxis;
    gigabytes->setTitleText(QStringLiteral("GB"));
    // Round steps, each label with the decimals its step needs.
    const ChartScale scale = chartScale(top);
    gigabytes->setRange(0, scale.top);
    gigabytes->setTickCount(scale.ticks);
    gigabytes->setLabelFormat(QString::fromStdString(scale.labelFormat()));
    styleAxis(dates, palette);
    styleAxis(gigabytes, palette);
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(gigabytes, Qt::AlignLeft);
    for (QAbstractSeries* each : std::initializer_list<QAbstractSeries*>{area, line}) {
        each->attachAxis(dates);
        each->attachAxis(gigabytes);
    }
    // The view owns its chart and deletes the one it replaces.
    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

}  // namespace korvane
