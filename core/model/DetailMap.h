#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

// Labelled facts about a node or a candidate ("Items" → "1,234"), in key
// order, one value per key. Kept in a flat sorted vector rather than a
// std::map: nearly every one holds a single entry, and a folder scan keeps
// thousands of them, where a tree node per entry cost more than the text.
// The vector lives behind one pointer: most nodes of a folder scan have no
// details, and each of them would carry an empty vector's three words.
class DetailMap {
public:
    using value_type = std::pair<std::string, std::string>;
    using Entries = std::vector<value_type>;
    using const_iterator = Entries::const_iterator;

    DetailMap() = default;
    DetailMap(const DetailMap& other);
    DetailMap(DetailMap&& other) noexcept : entries_(other.entries_) { other.entries_ = 0; }
    DetailMap& operator=(const DetailMap& other);
    DetailMap& operator=(DetailMap&& other) noexcept;
    ~DetailMap();
    // On a repeated key the first value stays, as in a std::map.
    DetailMap(std::initializer_list<value_type> entries);
    DetailMap(const std::map<std::string, std::string>& entries);
    // A map of `entries` (sorted by key, each key once), which outlive every
    // map made from them: copies share them rather than copy them, and a
    // change makes the changed map a copy of its own. A table of details
    // that thousands of nodes repeat ("Items" → "3") costs them nothing.
    static DetailMap sharing(const Entries& entries);

    const_iterator begin() const { return entries().begin(); }
    const_iterator end() const { return entries().end(); }
    bool empty() const { return !entries_ || pointer()->empty(); }
    std::size_t size() const { return entries_ ? pointer()->size() : 0; }
    void clear() { *this = DetailMap(); }

    const_iterator find(std::string_view key) const;
    std::size_t count(std::string_view key) const { return find(key) == end() ? 0 : 1; }
    // Throws std::out_of_range when the key is missing.
    const std::string& at(std::string_view key) const;
    // The value under `key`, inserted empty when missing.
    std::string& operator[](std::string_view key);
    // Inserts unless the key is present; true when it inserted.
    bool emplace(std::string key, std::string value);

    friend bool operator==(const DetailMap& a, const DetailMap& b) { return a.entries() == b.entries(); }

private:
    // The low bit of the pointer marks entries shared, never freed here.
    static constexpr std::uintptr_t sharedBit = 1;

    const Entries* pointer() const { return reinterpret_cast<const Entries*>(entries_ & ~sharedBit); }
    const Entries& entries() const;
    Entries& writable();
    Entries::iterator lowerBound(std::string_view key);

    std::uintptr_t entries_ = 0;
};

}  // namespace korvane
