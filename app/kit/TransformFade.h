#pragma once

#include <QGraphicsEffect>
#include <QPixmap>
#include <QTransform>

namespace korvane {

// Draws a widget (and what it holds) moved, scaled and faded without
// touching its geometry or its layout: the look of something coming or
// going. A backdrop, when set, is drawn first and unmoved, where nothing
// beneath the widget can show through (an opaque window). At rest
// (identity, whole, no backdrop) the effect is off and the widget draws
// itself directly.
class TransformFade : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit TransformFade(QObject* parent = nullptr);

    // `transform` maps the widget's own coordinates; `opacity` is clamped to 0 … 1.
    void setLook(const QTransform& transform, double opacity);
    void setBackdrop(const QPixmap& backdrop, QPoint at);
    const QTransform& transform() const { return transform_; }
    double opacity() const { return opacity_; }
    bool isAtRest() const;

protected:
    QRectF boundingRectFor(const QRectF& rect) const override;
    void draw(QPainter* painter) override;

private:
    void follow();

    QTransform transform_;
    double opacity_ = 1;
    QPixmap backdrop_;
    QPoint backdropAt_;
};

}  // namespace korvane
