#include "core/model/AgeProfile.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>

#include "core/model/SizeSum.h"
#include "core/system/FloorDiv.h"

namespace korvane {

namespace {

constexpr std::int32_t dayMilliseconds = 86'400'000;
// Cells hold a day and a bit in 32 bits.
constexpr std::int64_t lastDay = (std::int64_t{1} << 30) - 1;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

}  // namespace

// The header, then `capacity` byte counts, `capacity` cells, sorted, and
// `capacity` item counts. The capacity follows from the size (the next power
// of two), so the header is two words: a profile of one cell is a 24-byte
// allocation.
struct AgeProfile::Block {
    std::int32_t referenceMillisecond;
    std::uint32_t size;

    static std::uint32_t capacityFor(std::uint32_t size) { return std::bit_ceil(std::max(size, 1u)); }
    static Block* make(std::int32_t referenceMillisecond, std::uint32_t size) {
        const std::uint32_t capacity = capacityFor(size);
        void* memory =
            ::operator new(sizeof(Block) + capacity * (sizeof(std::int64_t) + 2 * sizeof(std::int32_t)));
        return new (memory) Block{referenceMillisecond, size};
    }
    static void free(Block* block) { ::operator delete(block); }

    std::uint32_t capacity() const { return capacityFor(size); }
    std::int64_t* bytes() { return reinterpret_cast<std::int64_t*>(this + 1); }
    const std::int64_t* bytes() const { return reinterpret_cast<const std::int64_t*>(this + 1); }
    std::int32_t* cells() { return reinterpret_cast<std::int32_t*>(bytes() + capacity()); }
    const std::int32_t* cells() const { return reinterpret_cast<const std::int32_t*>(bytes() + capacity()); }
    std::uint32_t* items() { return reinterpret_cast<std::uint32_t*>(cells() + capacity()); }
    const std::uint32_t* items() const { return reinterpret_cast<const std::uint32_t*>(cells() + capacity()); }

    // Moves cell `from` of `source` to cell `to` of this block.
    void take(std::uint32_t to, const Block& source, std::uint32_t from) {
        bytes()[to] = source.bytes()[from];
        cells()[to] = source.cells()[from];
        items()[to] = source.items()[from];
    }
    // Adds cell `from` of `source` to cell `to` of this block, of the same day.
    void join(std::uint32_t to, const Block& source, std::uint32_t from) {
        bytes()[to] = SizeSum::add(bytes()[to], source.bytes()[from]);
        items()[to] = addItems(items()[to], source.items()[from]);
    }
    static std::uint32_t addItems(std::uint32_t a, std::uint32_t b) {
        return b > UINT32_MAX - a ? UINT32_MAX : a + b;
    }
};

void AgeProfile::freeBlock(Block* block) { Block::free(block); }

void AgeProfile::elide(Stamp nodeDate) {
    if (size() == 1 && block_->cells()[0] == nodeDate.cell) *this = ofNodeDate();
}

AgeProfile::Stamp AgeProfile::stamp(Moment reference, std::int64_t day, std::int32_t second) {
    day = std::clamp(day, -lastDay, lastDay);
    bool late = std::int64_t{second} * 1000 > reference.millisecond;
    if (day < reference.day - dayRange) {
        // Only the month tells such old bytes apart.
        std::int64_t y;
        int m, d;
        civilFromDays(day, y, m, d);
        day = daysFromCivil(y, m, 1);
        late = false;
    }
    return {static_cast<std::int32_t>(day * 2 + (late ? 1 : 0)), reference.millisecond};
}

int AgeProfile::elapsedDays(const Cell& cell, std::int32_t referenceMillisecond, Moment now) {
    // Whether now's time of day comes before the cell's times.
    bool before;
    if (cell.late)
        before = now.millisecond <= referenceMillisecond ||
                 now.millisecond < referenceMillisecond + (dayMilliseconds - referenceMillisecond) / 2;
    else
        before = now.millisecond < referenceMillisecond && now.millisecond < referenceMillisecond / 2;
    const std::int64_t days = now.day - cell.day - (before ? 1 : 0);
    return static_cast<int>(std::clamp<std::int64_t>(days, 0, INT_MAX));
}

void AgeProfile::yearMonth(std::int64_t day, int& year, int& month) {
    std::int64_t y;
    int d;
    civilFromDays(day, y, month, d);
    year = static_cast<int>(y);
}

AgeProfile::AgeProfile(const AgeProfile& other) {
    if (!other.block_ || other.isNodeDate()) {
        block_ = other.block_;
        return;
    }
    const Block& from = *other.block_;
    block_ = Block::make(from.referenceMillisecond, from.size);
    std::memcpy(block_->bytes(), from.bytes(), from.size * sizeof(std::int64_t));
    std::memcpy(block_->cells(), from.cells(), from.size * sizeof(std::int32_t));
    std::memcpy(block_->items(), from.items(), from.size * sizeof(std::uint32_t));
}

AgeProfile& AgeProfile::operator=(const AgeProfile& other) {
    if (this != &other) *this = AgeProfile(other);
    return *this;
}

std::size_t AgeProfile::size() const { return block_ && !isNodeDate() ? block_->size : 0; }

AgeProfile::Cell AgeProfile::cell(std::size_t index) const {
    const std::int32_t key = block_->cells()[index];
    const std::int64_t day = floorDiv(key, 2);
    return {day, key - day * 2 == 1, block_->bytes()[index], block_->items()[index]};
}

std::int32_t AgeProfile::referenceMillisecond() const {
    return size() > 0 ? block_->referenceMillisecond : 0;
}

std::int64_t AgeProfile::total() const {
    SizeSum sum;
    for (std::size_t i = 0; i < size(); ++i) sum += block_->bytes()[i];
    return sum.total();
}

void AgeProfile::add(Stamp stamp, std::int64_t bytes, std::uint32_t items) {
    if (bytes <= 0 || isNodeDate()) return;
    if (!block_) {
        block_ = Block::make(stamp.referenceMillisecond, 1);
        block_->bytes()[0] = bytes;
        block_->cells()[0] = stamp.cell;
        block_->items()[0] = items;
        return;
    }
    const std::uint32_t n = block_->size;
    std::int32_t* cells = block_->cells();
    // Files of one folder mostly share a day: the last cell first.
    std::uint32_t at = n - 1;
    if (cells[at] != stamp.cell)
        at = cells[at] < stamp.cell
                 ? n
                 : static_cast<std::uint32_t>(std::lower_bound(cells, cells + n, stamp.cell) - cells);
    if (at < n && cells[at] == stamp.cell) {
        block_->bytes()[at] = SizeSum::add(block_->bytes()[at], bytes);
        block_->items()[at] = Block::addItems(block_->items()[at], items);
        return;
    }
    if (n + 1 <= block_->capacity()) {
        std::int64_t* counts = block_->bytes();
        std::uint32_t* held = block_->items();
        std::memmove(counts + at + 1, counts + at, (n - at) * sizeof(std::int64_t));
        std::memmove(cells + at + 1, cells + at, (n - at) * sizeof(std::int32_t));
        std::memmove(held + at + 1, held + at, (n - at) * sizeof(std::uint32_t));
        counts[at] = bytes;
        cells[at] = stamp.cell;
        held[at] = items;
        block_->size = n + 1;
        return;
    }
    Block* grown = Block::make(block_->referenceMillisecond, n + 1);
    for (std::uint32_t i = 0; i < n; ++i) grown->take(i < at ? i : i + 1, *block_, i);
    grown->bytes()[at] = bytes;
    grown->cells()[at] = stamp.cell;
    grown->items()[at] = items;
    Block::free(block_);
    block_ = grown;
}

void AgeProfile::merge(AgeProfile&& other) {
    if (!block_ && !isNodeDate() && !other.isNodeDate())
        *this = std::move(other);
    else
        merge(static_cast<const AgeProfile&>(other));
}

void AgeProfile::merge(const AgeProfile& other) {
    if (!other.block_ || other.isNodeDate() || isNodeDate()) return;
    if (!block_) {
        *this = other;
        return;
    }
    if (other.block_->size == 1) {
        add({other.block_->cells()[0], other.block_->referenceMillisecond}, other.block_->bytes()[0],
            other.block_->items()[0]);
        return;
    }
    const Block& a = *block_;
    const Block& b = *other.block_;
    // Two sorted runs: count the cells of the union, then fill it.
    std::uint32_t count = 0;
    for (std::uint32_t i = 0, j = 0; i < a.size || j < b.size; ++count) {
        if (j == b.size || (i < a.size && a.cells()[i] < b.cells()[j]))
            ++i;
        else if (i == a.size || b.cells()[j] < a.cells()[i])
            ++j;
        else
            ++i, ++j;
    }
    if (count <= a.capacity()) {
        // The union fits where this profile's cells are: filled from the back,
        // so no cell is overwritten before it is read.
        Block& into = *block_;
        std::int64_t i = std::int64_t{a.size} - 1, j = std::int64_t{b.size} - 1, k = std::int64_t{count} - 1;
        const auto at = [](std::int64_t index) { return static_cast<std::uint32_t>(index); };
        for (; j >= 0; --k) {
            if (i >= 0 && into.cells()[i] > b.cells()[j]) {
                into.take(at(k), into, at(i--));
            } else if (i >= 0 && into.cells()[i] == b.cells()[j]) {
                into.take(at(k), into, at(i--));
                into.join(at(k), b, at(j--));
            } else {
                into.take(at(k), b, at(j--));
            }
        }
        into.size = count;
        return;
    }
    Block* merged = Block::make(a.referenceMillisecond, count);
    std::uint32_t k = 0;
    for (std::uint32_t i = 0, j = 0; i < a.size || j < b.size; ++k) {
        if (j == b.size || (i < a.size && a.cells()[i] < b.cells()[j])) {
            merged->take(k, a, i++);
        } else if (i == a.size || b.cells()[j] < a.cells()[i]) {
            merged->take(k, b, j++);
        } else {
            merged->take(k, a, i++);
            merged->join(k, b, j++);
        }
    }
    Block::free(block_);
    block_ = merged;
}

bool operator==(const AgeProfile& a, const AgeProfile& b) {
    if (a.isNodeDate() != b.isNodeDate() || a.size() != b.size() ||
        a.referenceMillisecond() != b.referenceMillisecond())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a.block_->cells()[i] != b.block_->cells()[i] || a.block_->bytes()[i] != b.block_->bytes()[i] ||
            a.block_->items()[i] != b.block_->items()[i])
            return false;
    return true;
}

}  // namespace korvane
