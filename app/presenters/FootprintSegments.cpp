#include "app/presenters/FootprintSegments.h"

#include <algorithm>

#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

std::vector<FootprintSegment> footprintSegments(const ScanResult& scan) {
    std::vector<FootprintSegment> segments;
    for (const CleanupCategory category : categoryColourOrder) {
        const auto found = std::find_if(scan.categories.begin(), scan.categories.end(), [&](const auto& result) {
            return result.category == category && result.footprint > 0;
        });
        if (found == scan.categories.end()) continue;
        FootprintSegment segment;
        segment.category = category;
        segment.footprint = found->footprint;
        segment.title = std::string(title(category));
        segment.bytes = ByteFormat::string(found->footprint);
        segment.tooltip = segment.title + " \u00B7 " + segment.bytes;
        segments.push_back(std::move(segment));
    }
    return segments;
}

std::vector<double> footprintWidths(const std::vector<FootprintSegment>& segments, double width) {
    SizeSum sum;
    for (const auto& segment : segments) sum += segment.footprint;
    const double total = static_cast<double>(std::max<std::int64_t>(sum.total(), 1));
    std::vector<double> widths;
    for (const auto& segment : segments)
        widths.push_back(std::max(width * static_cast<double>(segment.footprint) / total - 2, 2.0));
    return widths;
}

}  // namespace korvane
