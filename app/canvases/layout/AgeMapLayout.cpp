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

using Untouched = AgeMapLayout::Untouched;

std::size_t ageBucketOf(int age) {
    for (std::size_t i = 0; i < ageBuckets.size(); ++i)
        if (ageBuckets[i].maxDays >= age) return i;
    return ageBuckets.size() - 1;
}

// The root's bytes by age bucket, and those no age bucket takes.
struct AgeSums {
    std::array<SizeSum, ageBuckets.size()> byBucket;
    SizeSum notInspected, noDate, notOffered;

    // The part's age in days when it falls in an age bucket.
    std::optional<int> add(const AgePart& part, const CanvasClock& clock) {
        if (part.notOffered) {
            notOffered += part.bytes;
        } else if (part.uninspected) {
            notInspected += part.bytes;
        } else if (!part.isDated()) {
            noDate += part.bytes;
        } else {
            const int age = part.elapsedDays(clock);
            byBucket[ageBucketOf(age)] += part.bytes;
            return age;
        }
        return std::nullopt;
    }
};

// The rows of bytes left alone for over a year. A node's parts come one after
// another: what of them is over a year old is gathered as they pass.
class UntouchedRows {
public:
    void add(const AgePart& part, int age) {
        if (part.node != gathering_.node) {
            endGathering();
            gathering_ = {part.node, 0, false, age};
        }
        gathering_.bytes = SizeSum::add(gathering_.bytes, part.bytes);
        gathering_.days = std::min(gathering_.days, age);
    }

    void endGathering() {
        if (gathering_.bytes < 1) return;
        const StorageNode& node = *gathering_.node;
        gathering_.isPart = !node.children.empty() || gathering_.bytes < node.bytes;
        const bool isRemainder = FileTreeScanner::isRemainderID(node.id);
        if (!gathering_.isPart && !isRemainder) {
            rows_.emplace_back(gathering_, rows_.size());
            return;
        }
        const std::string_view folder = isRemainder ? FileTreeScanner::remainderFolder(node.id) : node.id;
        const auto [found, isNew] = rowOfFolder_.try_emplace(folder, rows_.size());
        if (isNew) {
            rows_.emplace_back(gathering_, rows_.size());
            return;
        }
        Untouched& row = rows_[found->second].first;
        row.bytes = SizeSum::add(row.bytes, gathering_.bytes);
        row.days = std::min(row.days, gathering_.days);
        row.isPart = true;
    }

    // The largest first, equal sizes in leaf order; only the first `limit` are sorted.
    std::vector<Untouched> largest(std::size_t limit) {
        const auto shown = std::min(rows_.size(), limit);
        std::partial_sort(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(shown), rows_.end(),
                          [](const auto& a, const auto& b) {
                              return a.first.bytes != b.first.bytes ? a.first.bytes > b.first.bytes
                                                                    : a.second < b.second;
                          });
        std::vector<Untouched> largest;
        for (std::size_t i = 0; i < shown; ++i) largest.push_back(rows_[i].first);
        return largest;
    }

private:
    std::vector<std::pair<Untouched, std::size_t>> rows_;  // with its order
    // A folder's own old bytes and those of its smaller items make one row.
    std::unordered_map<std::string_view, std::size_t> rowOfFolder_;
    Untouched gathering_;
};

// The buckets beside the ages, each only when it holds bytes; what the root
// holds beyond its leaves (`remainder`) is not offered.
void addSpecialBuckets(std::vector<AgeMapLayout::Bucket>& buckets, const AgeSums& sums,
                       std::int64_t remainder) {
    const auto special = [&](int id, std::string_view label, std::string_view note, std::int64_t bytes) {
        if (bytes >= 1) buckets.push_back({id, label, 0, false, note, bytes});
    };
    special(90, "Not inspected", "Korvane could not look inside these", sums.notInspected.total());
    special(91, "No date", "These carry no modification date", sums.noDate.total());
    special(92, "Not offered", "Counted in a toolchain\u2019s storage, but not offered for removal",
            SizeSum::add(sums.notOffered.total(), remainder));
}

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

    // Every byte by its own file's age: a remainder's and a folder's own
    // bytes through their age profiles, not by the newest date among them.
    AgeSums sums;
    UntouchedRows untouched;
    const std::int64_t itemised = forEachAgePart(root, [&](const AgePart& part) {
        const std::optional<int> age = sums.add(part, clock);
        if (age && *age > untouchedDays) untouched.add(part, *age);
    });
    untouched.endGathering();
    for (std::size_t i = 0; i < sums.byBucket.size(); ++i) layout.buckets[i].bytes = sums.byBucket[i].total();
    addSpecialBuckets(layout.buckets, sums, std::max<std::int64_t>(root.bytes, 0) - itemised);

    layout.bigUntouched = untouched.largest(bigUntouchedLimit);
    SizeSum total;
    for (const Untouched& row : layout.bigUntouched) total += row.bytes;
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
        isRemainder ? Paths::lastComponent(std::string(FileTreeScanner::remainderFolder(node.id)))
                    : node.name;
    return untouched.isPart ? "Old files in " + folder : node.name + " in " + folder;
}

}  // namespace korvane
