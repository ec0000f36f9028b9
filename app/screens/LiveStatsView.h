#pragma once

#include <QWidget>
#include <vector>

#include "app/presenters/LiveStatsContent.h"

class QHBoxLayout;
class QLabel;
class QLayout;

namespace korvane {

class LiveStatsState;

// The live statistics page: ring gauges for processor, memory and battery,
// the memory breakdown with its stacked bar, legend and swap warning, and
// the uptime. The state's statistics timer brings each new sample while the
// page is on screen; the rings and segments ease to it.
class LiveStatsView : public QWidget {
    Q_OBJECT
public:
    explicit LiveStatsView(LiveStatsState& stats, QWidget* parent = nullptr);

    const LiveStatsContent& content() const { return content_; }
    // One per meter shown, in order.
    std::vector<QWidget*> meters() const;
    QLabel* swapWarning() const { return swap_; }
    QLabel* uptime() const { return uptime_; }
    // What the rings and the memory bar draw at this moment of their motion.
    QString shownNumber(std::size_t meter) const;
    double shownArc(std::size_t meter) const;
    std::vector<double> shownSegments() const;
    // The rings' side: 62 on a short page, growing with a taller one up to
    // 200 as far as the room beside the caption allows.
    double ringSide(std::size_t meter) const;
    // The side for the height the other cards leave and a meter's inner width.
    static double ringSideFor(int height, int width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The page's steps of construction: the scroll area and its content, then
    // the cards from top to bottom.
    QWidget* scrolledContent();
    QLayout* buildMeters();
    QWidget* buildBreakdown();
    QLayout* buildLegend();
    QWidget* buildFooter();
    void refresh();
    void restyle();
    void sizeRings();
    // The row of each meter shown at this inner width.
    std::vector<int> meterRowsFor(int width) const;
    // Puts the meters on their rows; `onlyIfCut` keeps them where they are
    // unless a row has grown too wide.
    void placeMeters(bool onlyIfCut);

    LiveStatsState& stats_;
    LiveStatsContent content_;
    std::vector<QWidget*> meters_;
    std::vector<QHBoxLayout*> meterRows_;
    QWidget* memoryBar_;
    QWidget* breakdown_;
    QWidget* footer_;
    std::vector<QLabel*> legendLabels_;
    std::vector<QLabel*> legendBytes_;
    std::vector<QWidget*> legendKeys_;
    QLabel* breakdownTitle_;
    QLabel* swap_;
    QLabel* uptimeTitle_;
    QLabel* uptime_;
    QLabel* updates_;
    QLabel* source_;
};

}  // namespace korvane
