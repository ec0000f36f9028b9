#include <gtest/gtest.h>

#include "app/canvases/CanvasBlurb.h"

namespace korvane {
namespace {

// The description gives way a clause at a time and never ends in a cut
// one; where not even its first clause fits it shows nothing.
TEST(CanvasBlurbTest, ShowsWholeClausesOrNothing) {
    const auto byLetters = [](const QString& text) { return static_cast<qreal>(text.size()); };
    const QString text = QStringLiteral("Depth is age, width is size \u2014 deep and wide is what to delete");
    const struct {
        qreal width;
        QString shown;
    } cases[] = {
        {1000, text},
        {static_cast<qreal>(text.size()), text},
        {static_cast<qreal>(text.size()) - 1, QStringLiteral("Depth is age, width is size")},
        {27, QStringLiteral("Depth is age, width is size")},
        {26, QStringLiteral("Depth is age")},
        {12, QStringLiteral("Depth is age")},
        {11, QString()},
        {0, QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(CanvasBlurb::shortened(text, byLetters, c.width), c.shown) << c.width;
    const QString treemap = QStringLiteral("Area is size \u00b7 double-click to drill in");
    EXPECT_EQ(CanvasBlurb::shortened(treemap, byLetters, 30), QStringLiteral("Area is size"));
    EXPECT_EQ(CanvasBlurb::shortened(QStringLiteral("Where your bytes sit on a timeline"), byLetters, 30),
              QString());
    EXPECT_EQ(CanvasBlurb::shortened(QStringLiteral("one\nline"), byLetters, 100), QStringLiteral("one line"));
}

}  // namespace
}  // namespace korvane
