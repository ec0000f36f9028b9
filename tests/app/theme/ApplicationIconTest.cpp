#include <gtest/gtest.h>

#include <QImage>

#include "app/platform/ApplicationInfo.h"
#include "app/theme/ApplicationIcon.h"

namespace korvane {
namespace {

TEST(ApplicationIcon, CarriesThePictureOfEveryInstalledSize) {
    const QIcon icon = applicationIcon();
    QList<QSize> installed;
    for (const int side : applicationInfo::iconSizes) installed.append(QSize(side, side));
    EXPECT_EQ(icon.availableSizes(), installed);

    for (const int side : applicationInfo::iconSizes) {
        SCOPED_TRACE(side);
        const QImage picture = icon.pixmap(QSize(side, side)).toImage();
        ASSERT_EQ(picture.size(), QSize(side, side));
        // A rounded tile: clear in its corners, solid in its middle.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(picture.pixel(side / 2, side / 2)), 255);
        // The paper above the drive is light, the drive's body dark.
        EXPECT_GT(qGray(picture.pixel(side / 2, side / 5)), 200);
        EXPECT_LT(qGray(picture.pixel(side / 5, side / 2)), 60);
    }
}

}  // namespace
}  // namespace korvane
