#pragma once

#include <QString>

namespace korvane {

// Whether a name shortened to fit a shape still reads as that name: whole,
// or with at least a few of its characters beside the ellipsis. "1…s" or
// "l…" tells nothing, so such a label is better left out.
bool isReadableElision(const QString& full, const QString& elided);

}  // namespace korvane
