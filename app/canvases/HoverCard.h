#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "app/presenters/HoverCardContent.h"

class QPainter;

namespace korvane {

struct Palette;

// The small floating card a canvas paints beside its hovered item. It is
// painted, not a widget: the canvas measures it, places it with
// HoverCardPlacement and draws it over its items.
struct HoverCard {
    // The card is this wide at least and grows up to the widest size so
    // that the name shows in full beside its safety tag; a name too long for
    // that takes the whole line with the tag on a line below it, a name wider
    // than the widest card takes two lines, and only a name longer than those
    // is shortened, in its middle.
    static constexpr double contentWidth = 178;
    static constexpr double widestContent = 360;
    static constexpr double horizontalPadding = 9;
    static constexpr double verticalPadding = 7;

    // The name and the folder as the card shows them, line by line (the
    // folder's two at most, by the rule for paths in app/presenters/LabelFit.h), and the
    // width of its content they were fitted to.
    struct Lines {
        QStringList name;
        QStringList folder;
        double width = 0;
    };
    static Lines lines(const HoverCardContent& content);

    static QSizeF size(const HoverCardContent& content);
    static void paint(QPainter& painter, QPointF origin, const HoverCardContent& content, const Palette& palette);
};

}  // namespace korvane
