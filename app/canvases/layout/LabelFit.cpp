#include "app/canvases/layout/LabelFit.h"

#include <algorithm>

namespace korvane {

namespace {

constexpr qsizetype minimumKept = 4;

}  // namespace

bool isReadableElision(const QString& full, const QString& elided) {
    if (elided.isEmpty()) return false;
    if (elided == full) return true;
    QString kept = elided;
    kept.remove(QChar(0x2026));
    return kept.trimmed().size() >= std::min(minimumKept, full.size());
}

}  // namespace korvane
