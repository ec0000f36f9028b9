#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>

#include "app/frame/DiskGauge.h"

namespace korvane {
namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

constexpr std::int64_t gigabyte = 1'000'000'000;

VolumeInfo used(double gigabytes) {
    return {1000 * gigabyte, 1000 * gigabyte - static_cast<std::int64_t>(gigabytes * gigabyte)};
}

// Another program writing moves the used share at every reading: the ring
// is drawn again only when its picture changes (the figure, the colour, or
// the arc's end by half a pixel), and its accessible name always follows.
TEST(DiskGaugeTest, RedrawsOnlyWhenItsPictureChanges) {
    struct Case {
        const char* name;
        double from;  // gigabytes used of 1,000
        double to;
        bool redraws;
    };
    const Case cases[] = {
        {"half a gigabyte: a tenth of a pixel", 500.2, 500.7, false},
        {"the same figure, the arc's end a pixel and a half on", 500.5, 504, true},
        {"a new percentage", 500, 510, true},
        {"past nine tenths the arc turns red", 900, 901, true},
        {"nothing changed", 700, 700, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        DiskGauge gauge(58);
        gauge.setVolume(used(test.from));
        gauge.show();
        for (int round = 0; round < 3; ++round) QApplication::processEvents();
        PaintCounter counter;
        gauge.installEventFilter(&counter);
        gauge.setVolume(used(test.to));
        for (int round = 0; round < 3; ++round) QApplication::processEvents();
        EXPECT_EQ(counter.paints > 0, test.redraws);
        EXPECT_EQ(gauge.accessibleName().toStdString(), diskGaugeContent(used(test.to)).accessibleText);
    }
}

}  // namespace
}  // namespace korvane
