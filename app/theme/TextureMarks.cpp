#include "app/theme/TextureMarks.h"

#include <cstdint>

namespace korvane {

namespace {

// 64-bit xorshift (13, 7, 17).
class XorShift {
public:
    explicit XorShift(std::uint64_t seed) : state_(seed) {}

    // The next draw as a fraction in [0, 1) with four decimal places.
    double nextFraction() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<double>(state_ % 10000) / 10000.0;
    }

private:
    std::uint64_t state_;
};

void scanlines(double w, double h, std::vector<TextureMark>& marks) {
    for (double y = 0; y < h; y += 3) marks.push_back({QRectF(0, y, w, 1), 0.045});
}

void grid(double w, double h, std::vector<TextureMark>& marks) {
    if (h > 0)
        for (double x = 0; x < w; x += 22) marks.push_back({QRectF(x, 0, 1, h), 0.05});
    if (w > 0)
        for (double y = 0; y < h; y += 22) marks.push_back({QRectF(0, y, w, 1), 0.05});
}

void grain(double w, double h, std::vector<TextureMark>& marks) {
    const double product = w * h / 900;
    if (!(product >= 1)) return;
    const auto count = static_cast<std::int64_t>(product);
    XorShift random(0x9E3779B97F4A7C15ULL);
    marks.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const double x = w * random.nextFraction();
        const double y = h * random.nextFraction();
        const double opacity = random.nextFraction() * 0.05 + 0.05;
        marks.push_back({QRectF(x, y, 1, 1), opacity});
    }
}

void fibre(double w, double h, std::vector<TextureMark>& marks) {
    if (!(h >= 6)) return;
    const auto count = static_cast<std::int64_t>(h / 6);
    XorShift random(0xD1B54A32D192ED03ULL);
    for (std::int64_t i = 0; i < count; ++i) {
        const double y = h * random.nextFraction();
        const double length = w * (random.nextFraction() * 0.8 + 0.2);
        const double x = (w - length) * random.nextFraction();
        marks.push_back({QRectF(x, y, length, 1), 0.022});
    }
}

}  // namespace

std::vector<TextureMark> textureMarks(Texture texture, QSizeF size) {
    std::vector<TextureMark> marks;
    const double w = size.width();
    const double h = size.height();
    switch (texture) {
        case Texture::none: break;
        case Texture::scanlines:
            if (w > 0) scanlines(w, h, marks);
            break;
        case Texture::grid: grid(w, h, marks); break;
        case Texture::grain: grain(w, h, marks); break;
        case Texture::fibre:
            if (w > 0) fibre(w, h, marks);
            break;
    }
    return marks;
}

}  // namespace korvane
