#pragma once

#include <QProgressBar>

namespace korvane {

// A thin progress bar: a hairline track filled in the accent colour from
// the left, for a fraction between 0 and 1.
class LinearProgress : public QProgressBar {
    Q_OBJECT
public:
    static constexpr int steps = 1000;

    explicit LinearProgress(QWidget* parent = nullptr);

    void setFraction(double fraction);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvane
