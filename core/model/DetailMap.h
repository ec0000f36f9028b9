#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <memory>
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
    using const_iterator = std::vector<value_type>::const_iterator;

    DetailMap() = default;
    DetailMap(const DetailMap& other);
    DetailMap(DetailMap&&) noexcept = default;
    DetailMap& operator=(const DetailMap& other);
    DetailMap& operator=(DetailMap&&) noexcept = default;
    // On a repeated key the first value stays, as in a std::map.
    DetailMap(std::initializer_list<value_type> entries);
    DetailMap(const std::map<std::string, std::string>& entries);

    const_iterator begin() const { return entries().begin(); }
    const_iterator end() const { return entries().end(); }
    bool empty() const { return !entries_ || entries_->empty(); }
    std::size_t size() const { return entries_ ? entries_->size() : 0; }
    void clear() { entries_.reset(); }

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
    const std::vector<value_type>& entries() const;
    std::vector<value_type>& writable();
    std::vector<value_type>::iterator lowerBound(std::string_view key);

    std::unique_ptr<std::vector<value_type>> entries_;
};

}  // namespace korvane
