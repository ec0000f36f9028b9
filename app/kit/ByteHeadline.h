#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <QColor>
#include <QLabel>

#include "app/theme/AppMotion.h"

namespace korvane {

class MotionAnimation;

// A large byte count: the number in the theme's display weight and the unit
// smaller beside it, on one baseline. A new count rolls the figure there
// along the gentle spring; screen readers get the whole text at once.
class ByteHeadline : public QLabel {
    Q_OBJECT
public:
    ByteHeadline(std::int64_t bytes, double size, double unitSize, std::optional<QColor> color = std::nullopt,
                 QWidget* parent = nullptr);

    void setBytes(std::int64_t bytes);
    std::int64_t bytes() const { return bytes_; }
    // The curve of the following changes (the gentle spring unless set).
    void setMotion(const Motion& motion);
    // The figure drawn at this moment of a roll.
    double shownBytes() const;
    // The figure's colour (the unit keeps the secondary ink); none draws it in ink.
    void setColor(std::optional<QColor> color);

    // Where figure and unit stand, from the top: neighbours align to it.
    double baseline() const;

    // The width the figure and its unit take, drawn at `bytes`.
    double figureWidth(std::int64_t bytes) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont numberFont() const;
    // The width of a figure split into (number, unit).
    double widthOf(const std::pair<std::string, std::string>& figure) const;
    QFont unitFont() const;

    std::int64_t bytes_;
    // Where the roll to `bytes_` started; `bytes_` once it landed.
    std::int64_t rollFrom_;
    double size_;
    double unitSize_;
    std::optional<QColor> color_;
    MotionAnimation* shown_;
};

}  // namespace korvane
