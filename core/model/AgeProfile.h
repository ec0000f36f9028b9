#pragma once

#include <cstddef>
#include <cstdint>

namespace korvane {

// When the bytes of a node that stands for many files (a folder's remainder)
// or holds bytes no child holds (a folder's own blocks) were last modified.
// Bytes are kept by local calendar day over the last `dayRange` days before
// the moment the profile counts from (its reference: the scan's start), each
// day split at the reference's time of day, so that the whole days elapsed
// from that moment come out exact for every byte; older bytes by local
// calendar month, where only the month matters. One pointer wide: most nodes
// have none, and neither an empty profile nor one that only says "the node's
// own date" holds memory.
class AgeProfile {
public:
    // The oldest age that tells age buckets apart is 731 days; the rest is
    // room for a clock some weeks later than the reference.
    static constexpr std::int64_t dayRange = 800;

    // A local moment: days since 1970-01-01 and milliseconds into that day.
    struct Moment {
        std::int64_t day = 0;
        std::int32_t millisecond = 0;
    };
    // Where one modification time falls under a reference.
    struct Stamp {
        std::int32_t cell = 0;
        std::int32_t referenceMillisecond = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    // A day (for a month, its first day) and whether its times are later in
    // the day than the reference's, with the bytes modified then and the
    // items (files, and folders by their own blocks) those bytes belong to.
    struct Cell {
        std::int64_t day = 0;
        bool late = false;
        std::int64_t bytes = 0;
        std::uint32_t items = 0;
    };

    // The cell of a time on local day `day`, `second` seconds into it.
    static Stamp stamp(Moment reference, std::int64_t day, std::int32_t second);
    // Whole local days from the cell's times to `now`, counted as the
    // canvases count a date's age (a day counts once its time of day has come
    // round again; the future counts 0). Exact when now's time of day is the
    // reference's; otherwise a day's times are taken at the middle of their
    // half of the day.
    static int elapsedDays(const Cell& cell, std::int32_t referenceMillisecond, Moment now);
    // The local calendar month of a day: year and month 1 to 12.
    static void yearMonth(std::int64_t day, int& year, int& month);

    AgeProfile() = default;
    AgeProfile(const AgeProfile& other);
    AgeProfile(AgeProfile&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    AgeProfile& operator=(const AgeProfile& other);
    // Inline, as is the destructor: a folder scan moves tens of thousands.
    AgeProfile& operator=(AgeProfile&& other) noexcept {
        if (this != &other) {
            release();
            block_ = other.block_;
            other.block_ = nullptr;
        }
        return *this;
    }
    ~AgeProfile() { release(); }

    // Nothing recorded: the node's own bytes have no age known here.
    bool empty() const { return block_ == nullptr; }
    // Every one of the node's own bytes falls in the cell of the node's own
    // date (`lastModified`), so the profile keeps no cells.
    static AgeProfile ofNodeDate() {
        AgeProfile profile;
        profile.block_ = nodeDateBlock();
        return profile;
    }
    bool isNodeDate() const { return block_ == nodeDateBlock(); }
    // Turns a profile of one cell into `ofNodeDate()` when that cell is the
    // node date's.
    void elide(Stamp nodeDate);
    // Cells kept (none for `ofNodeDate()`).
    std::size_t size() const;
    Cell cell(std::size_t index) const;
    std::int32_t referenceMillisecond() const;
    // Every byte the profile holds (saturating).
    std::int64_t total() const;

    // Bytes of 0 or less are not recorded. A profile of the node's date is
    // finished and takes no more. `items`: how many files (or folders, by
    // their own blocks) the bytes are; links and the like are none.
    void add(Stamp stamp, std::int64_t bytes, std::uint32_t items = 0);
    void merge(const AgeProfile& other);
    void merge(AgeProfile&& other);

    friend bool operator==(const AgeProfile& a, const AgeProfile& b);

private:
    struct Block;
    // The one address that stands for `ofNodeDate()`; never read or freed.
    alignas(8) static inline unsigned char nodeDateStorage_[8] = {};
    static Block* nodeDateBlock() { return reinterpret_cast<Block*>(nodeDateStorage_); }
    void release() {
        if (block_ && !isNodeDate()) freeBlock(block_);
    }
    static void freeBlock(Block* block);

    Block* block_ = nullptr;
};

}  // namespace korvane
