#pragma once

#include <QWidget>

#include "app/presenters/DiskGaugeContent.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// The used share of a volume as a ring filling clockwise from the top, with
// the percentage and "USED" in its centre. The ring fills the frame the host
// gives (setFrameSize); its round-capped arc runs on the frame's edge, so the
// widget keeps a small margin around the frame for the half of the arc
// outside it. Screen readers hear "Disk <n> percent used".
class DiskGauge : public QWidget {
    Q_OBJECT
public:
    explicit DiskGauge(double frameSize, QWidget* parent = nullptr);

    void setVolume(const VolumeInfo& volume);
    const DiskGaugeContent& content() const { return content_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double frameSize_;
    DiskGaugeContent content_;
};

}  // namespace korvane
