#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include <QImage>
#include <QSize>
#include <QTransform>

namespace korvane {

struct Palette;

// A canvas's picture with nothing hovered, drawn once into an image and
// blitted on every repaint until what it shows changes: its layout, theme,
// size, pixel ratio, selection or view. Drawing thousands of translucent
// shapes costs Qt's raster engine far more than blitting a screenful.
class RestingPicture {
public:
    struct Key {
        std::size_t layoutBuild = 0;
        const Palette* palette = nullptr;
        QSize size;
        double ratio = 1;
        std::optional<std::string> selectedID;
        QTransform view;
        bool operator==(const Key& other) const = default;
    };

    // The picture for `key`, drawn by `draw` (in logical coordinates on a
    // transparent image) when the one held was drawn for another key. None
    // while only the view moves (a scroll, a pan): the caller paints those
    // frames directly, and the picture is drawn once the view rests.
    const QImage* get(const Key& key, const std::function<void(QPainter&)>& draw);
    void clear() { image_ = {}; }
    // How many pictures were drawn so far; tests count redraws.
    std::size_t draws() const { return draws_; }

private:
    bool onlyViewMoved(const Key& key) const;

    QImage image_;
    Key key_;
    std::size_t draws_ = 0;
};

}  // namespace korvane
