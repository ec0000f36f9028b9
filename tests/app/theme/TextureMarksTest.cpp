#include <gtest/gtest.h>

#include <cstdint>

#include "app/theme/TextureMarks.h"

namespace korvane {
namespace {

TEST(TextureMarks, CountsFollowTheSize) {
    struct Case {
        Texture texture;
        QSizeF size;
        std::size_t marks;
    };
    const Case cases[] = {
        {Texture::none, {800, 600}, 0},
        {Texture::scanlines, {100, 0}, 0},
        {Texture::scanlines, {100, 9}, 3},    // y = 0, 3, 6
        {Texture::scanlines, {100, 10}, 4},   // and 9
        {Texture::grid, {44, 23}, 2 + 2},     // x = 0, 22; y = 0, 22
        {Texture::grid, {0, 50}, 0},
        {Texture::grid, {45, 0}, 0},
        {Texture::grain, {100, 0}, 0},
        {Texture::grain, {900, 1}, 1},
        {Texture::grain, {899, 1}, 0},
        {Texture::grain, {300, 300}, 100},
        {Texture::fibre, {100, 0}, 0},
        {Texture::fibre, {100, 5.9}, 0},
        {Texture::fibre, {100, 6}, 1},
        {Texture::fibre, {100, 600}, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.texture));
        SCOPED_TRACE(c.size.width());
        SCOPED_TRACE(c.size.height());
        EXPECT_EQ(textureMarks(c.texture, c.size).size(), c.marks);
    }
}

TEST(TextureMarks, RegularTexturesHaveTheirPlacesAndOpacities) {
    const auto lines = textureMarks(Texture::scanlines, {50, 7});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], (TextureMark{QRectF(0, 6, 50, 1), 0.045}));
    const auto grid = textureMarks(Texture::grid, {30, 30});
    ASSERT_EQ(grid.size(), 4u);
    EXPECT_EQ(grid[1], (TextureMark{QRectF(22, 0, 1, 30), 0.05}));  // verticals first
    EXPECT_EQ(grid[3], (TextureMark{QRectF(0, 22, 30, 1), 0.05}));
}

TEST(TextureMarks, FirstGrainDotComesFromTheSeed) {
    std::uint64_t s = 0x9E3779B97F4A7C15ULL;
    auto next = [&s] {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<double>(s % 10000) / 10000.0;
    };
    const double fx = next();
    const double fy = next();
    const double fo = next();
    const auto dots = textureMarks(Texture::grain, {900, 2});
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].rect, QRectF(900 * fx, 2 * fy, 1, 1));
    EXPECT_DOUBLE_EQ(dots[0].opacity, fo * 0.05 + 0.05);
    for (const auto& dot : textureMarks(Texture::grain, {400, 300})) {
        EXPECT_GE(dot.opacity, 0.05);
        EXPECT_LT(dot.opacity, 0.1);
    }
}

TEST(TextureMarks, RandomTexturesRepeatExactlyAndStayInside) {
    for (Texture texture : {Texture::grain, Texture::fibre}) {
        const auto first = textureMarks(texture, {640, 480});
        textureMarks(texture, {123, 456});  // an unrelated draw in between changes nothing
        EXPECT_EQ(first, textureMarks(texture, {640, 480}));
        for (const auto& mark : first) {
            EXPECT_GE(mark.rect.left(), 0);
            EXPECT_LE(mark.rect.right(), 640);
            EXPECT_GE(mark.rect.top(), 0);
            EXPECT_LT(mark.rect.top(), 480);
        }
    }
    for (const auto& fibre : textureMarks(Texture::fibre, {500, 60})) {
        EXPECT_GE(fibre.rect.width(), 100);  // at least a fifth of the width
        EXPECT_DOUBLE_EQ(fibre.opacity, 0.022);
    }
}

}  // namespace
}  // namespace korvane
