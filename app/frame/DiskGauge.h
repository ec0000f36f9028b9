#pragma once

#include <QWidget>

#include "app/presenters/DiskGaugeContent.h"

namespace korvane {

// A ring that fills clockwise from the top with the used share of a volume,
// the percentage in its centre. Its accessible name says the same in words.
class DiskGauge : public QWidget {
    Q_OBJECT
public:
    // The ring's diameter; the arc's band is centred on its edge, so the
    // widget is half a band larger on every side.
    static constexpr double band = 7;

    explicit DiskGauge(double ringSize = 62, QWidget* parent = nullptr);

    void setVolume(const VolumeInfo& volume);
    const DiskGaugeContent& content() const { return content_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double ringSize_;
    DiskGaugeContent content_;
};

}  // namespace korvane
