#include "app/presenters/ScanningContent.h"

#include <algorithm>
#include <cmath>

#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

ScanningContent scanningContent(const ScanProgress& progress) {
    ScanningContent content;
    SizeSum found;
    for (const CategoryResult& result : progress.completed) {
        const std::int64_t reclaimable = result.reclaimable();
        found += reclaimable;
        if (result.footprint < 1) continue;
        content.rows.push_back({result.category, std::string(title(result.category)),
                                std::string(symbolName(result.category)), ByteFormat::string(reclaimable)});
    }
    content.foundSoFar = found.total();
    content.fraction = std::isfinite(progress.fraction) ? std::clamp(progress.fraction, 0.0, 1.0) : 0.0;
    content.phase = progress.phase.label();
    return content;
}

}  // namespace korvane
