#include <gtest/gtest.h>

#include "app/canvases/CanvasBlurb.h"

namespace korvane {
namespace {

// The description gives way at a word, never leaves a separator before the
// ellipsis, and shows nothing rather than a broken first word.
TEST(CanvasBlurbTest, ShortensAtAWordOrShowsNothing) {
    const auto byLetters = [](const QString& text) { return static_cast<qreal>(text.size()); };
    const QString text = QStringLiteral("Depth is age, width is size \u2014 deep and wide is what to delete");
    const struct {
        qreal width;
        QString shown;
    } cases[] = {
        {1000, text},
        {static_cast<qreal>(text.size()), text},
        {40, QStringLiteral("Depth is age, width is size \u2014 deep and\u2026")},
        {28, QStringLiteral("Depth is age, width is size\u2026")},
        {27, QStringLiteral("Depth is age, width is\u2026")},
        {13, QStringLiteral("Depth is age\u2026")},
        {12, QStringLiteral("Depth is\u2026")},
        {6, QStringLiteral("Depth\u2026")},
        {5, QString()},
        {0, QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(CanvasBlurb::shortened(text, byLetters, c.width), c.shown) << c.width;
    EXPECT_EQ(CanvasBlurb::shortened(QStringLiteral("one\nline"), byLetters, 100), QStringLiteral("one line"));
}

}  // namespace
}  // namespace korvane
