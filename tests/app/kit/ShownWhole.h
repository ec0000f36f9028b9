#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "app/canvases/CanvasBlurb.h"

namespace korvane::testing {

// Every label and button of `area` on show shows whole: no narrower than it
// asks to be (a wrapping label as tall as its lines), inside the area and
// clear of the others. A canvas's blurb is left out: it gives way by whole
// clauses.
inline void expectShownWhole(QWidget& area, const std::string& where) {
    std::vector<std::pair<std::string, QRect>> shown;
    for (QWidget* child : area.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&area) || qobject_cast<CanvasBlurb*>(child)) continue;
        const auto* label = qobject_cast<QLabel*>(child);
        const auto* button = qobject_cast<QAbstractButton*>(child);
        if (!label && !button) continue;
        const QString text = label ? label->text() : button->text();
        const std::string name = where + " \"" + text.toStdString() + "\"";
        const QRect box(child->mapTo(&area, QPoint(0, 0)), child->size());
        if (label && label->wordWrap())
            EXPECT_GE(box.height(), label->heightForWidth(box.width())) << name;
        else
            EXPECT_GE(box.width(), child->sizeHint().width()) << name;
        EXPECT_TRUE(area.rect().contains(box)) << name;
        for (const auto& [other, otherBox] : shown)
            EXPECT_FALSE(box.intersects(otherBox)) << name << " on " << other;
        shown.emplace_back(name, box);
    }
}

}  // namespace korvane::testing
