#include "app/canvases/layout/AgeMapLayout.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "app/canvases/layout/AgeParts.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr std::array<AgeMapLayout::Bucket, 6> ageBuckets{{
    {0, "Last 7 days", 7, true, std::nullopt, 0},
    {1, "8\u201330 days", 30, true, std::nullopt, 0},
    {2, "1\u20133 months", 92, true, std::nullopt, 0},
    {3, "3\u201312 months", 365, true, std::nullopt, 0},
    {4, "1\u20132 years", 730, true, std::nullopt, 0},
    {5, "Over 2 years", std::numeric_limits<int>::max(), true, std::nullopt, 0},
}};

}  // namespace

std::vector<const StorageNode*> AgeMapLayout::sizedLeaves(const StorageNode& root) {
    auto leaves = root.leaves();
    std::erase_if(leaves, [](const StorageNode* leaf) { return leaf->bytes < 1; });
    return leaves;
}

AgeMapLayout AgeMapLayout::make(const StorageNode& root, const CanvasClock& clock) {
    AgeMapLayout layout;
    layout.rootBytes = root.bytes;
    layout.buckets.assign(ageBuckets.begin(), ageBuckets.end());
    std::array<SizeSum, ageBuckets.size()> sums;
    SizeSum notInspected, noDate, notOffered;

    // Every byte by its own file's age: a remainder's and a folder's own
    // bytes through their age profiles, not by the newest date among them.
    // A node's parts come one after another: what of them is over a year
    // old is gathered as they pass.
    std::vector<std::pair<Untouched, std::size_t>> untouched;  // with its order
    // A folder's own old bytes and those of its smaller items make one row.
    std::unordered_map<std::string_view, std::size_t> rowOfFolder;
    Untouched gathering;
    const auto endGathering = [&] {
        if (gathering.bytes < 1) return;
        const StorageNode& node = *gathering.node;
        gathering.isPart = !node.children.empty() || gathering.bytes < node.bytes;
        const bool isRemainder = FileTreeScanner::isRemainderID(node.id);
        if (!gathering.isPart && !isRemainder) {
            untouched.emplace_back(gathering, untouched.size());
            return;
        }
        const std::string_view folder = isRemainder ? FileTreeScanner::remainderFolder(node.id) : node.id;
        const auto [found, isNew] = rowOfFolder.try_emplace(folder, untouched.size());
        if (isNew) {
            untouched.emplace_back(gathering, untouched.size());
            return;
        }
        Untouched& row = untouched[found->second].first;
        row.bytes = SizeSum::add(row.bytes, gathering.bytes);
        row.days = std::min(row.days, gathering.days);
        row.isPart = true;
    };
    const std::int64_t itemised = forEachAgePart(root, [&](const AgePart& part) {
        if (part.notOffered) {
            notOffered += part.bytes;
        } else if (part.uninspected) {
            notInspected += part.bytes;
        } else if (!part.isDated()) {
            noDate += part.bytes;
        } else {
            const int age = part.elapsedDays(clock);
            std::size_t bucket = ageBuckets.size() - 1;
            for (std::size_t i = 0; i < ageBuckets.size(); ++i)
                if (ageBuckets[i].maxDays >= age) {
                    bucket = i;
                    break;
                }
            sums[bucket] += part.bytes;
            if (age <= untouchedDays) return;
            if (part.node != gathering.node) {
                endGathering();
                gathering = {part.node, 0, false, age};
            }
            gathering.bytes = SizeSum::add(gathering.bytes, part.bytes);
            gathering.days = std::min(gathering.days, age);
        }
    });
    endGathering();
    for (std::size_t i = 0; i < sums.size(); ++i) layout.buckets[i].bytes = sums[i].total();

    const std::int64_t remainder = std::max<std::int64_t>(root.bytes, 0) - itemised;
    const auto special = [&](int id, std::string_view label, std::string_view note, std::int64_t bytes) {
        if (bytes >= 1) layout.buckets.push_back({id, label, 0, false, note, bytes});
    };
    special(90, "Not inspected", "Korvane could not look inside these", notInspected.total());
    special(91, "No date", "These carry no modification date", noDate.total());
    special(92, "Not offered", "Counted in a toolchain\u2019s storage, but not offered for removal",
            SizeSum::add(notOffered.total(), remainder));

    // The largest first, equal sizes in leaf order; only the first 14 are sorted.
    const auto shown = std::min(untouched.size(), bigUntouchedLimit);
    std::partial_sort(untouched.begin(), untouched.begin() + static_cast<std::ptrdiff_t>(shown),
                      untouched.end(), [](const auto& a, const auto& b) {
                          return a.first.bytes != b.first.bytes ? a.first.bytes > b.first.bytes
                                                                : a.second < b.second;
                      });
    SizeSum total;
    for (std::size_t i = 0; i < shown; ++i) {
        layout.bigUntouched.push_back(untouched[i].first);
        total += untouched[i].first.bytes;
    }
    layout.bigUntouchedTotal = total.total();
    return layout;
}

std::int64_t AgeMapLayout::barScale() const {
    std::int64_t scale = 1;
    for (const auto& bucket : buckets) scale = std::max(scale, bucket.bytes);
    return scale;
}

double AgeMapLayout::barWidth(const Bucket& bucket, double width) const {
    if (bucket.bytes < 1 || !(width > 0)) return 0;
    const double share = static_cast<double>(bucket.bytes) / static_cast<double>(barScale());
    return std::max(width * std::min(share, 1.0), 3.0);
}

std::string AgeMapLayout::shareText(const Bucket& bucket) const {
    if (bucket.bytes == 0) return "\u2014";
    const double p =
        static_cast<double>(bucket.bytes) / static_cast<double>(std::max<std::int64_t>(rootBytes, 1)) * 100;
    if (p < 0.1) return "<0.1%";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f%%", p);
    return buffer;
}

std::string AgeMapLayout::bigUntouchedSummary() const {
    if (bigUntouched.empty()) return {};
    const auto count = bigUntouched.size();
    return ByteFormat::string(bigUntouchedTotal) + " across " + std::to_string(count) + " item" +
           (count == 1 ? "" : "s");
}

double AgeMapLayout::bucketOpacity(int id) { return std::min(0.3 + 0.13 * id, 0.95); }

std::string AgeMapLayout::relativeAge(const StorageNode& node, const CanvasClock& clock) {
    if (!node.lastModified) return "No date";
    return relativeAge(clock.elapsedDays(*node.lastModified));
}

std::string AgeMapLayout::relativeAge(int days) {
    if (days >= 730) return std::to_string(days / 365) + " years ago";
    if (days >= 365) return "1 year ago";
    return std::to_string(days / 30) + " months ago";
}

std::string AgeMapLayout::untouchedName(const Untouched& untouched) {
    const StorageNode& node = *untouched.node;
    // A remainder names the folder its files lie in; a folder's own files are in it.
    const bool isRemainder = FileTreeScanner::isRemainderID(node.id);
    if (!untouched.isPart && !isRemainder) return node.name;
    const std::string folder =
        isRemainder ? Paths::lastComponent(std::string(FileTreeScanner::remainderFolder(node.id))) : node.name;
    return untouched.isPart ? "Old files in " + folder : node.name + " in " + folder;
}

}  // namespace korvane
