#include "core/model/DetailMap.h"

#include <algorithm>
#include <stdexcept>

namespace korvane {

namespace {

bool keyBefore(const DetailMap::value_type& entry, std::string_view key) { return entry.first < key; }

}  // namespace

DetailMap::DetailMap(std::initializer_list<value_type> entries) {
    entries_.reserve(entries.size());
    for (const value_type& entry : entries) emplace(entry.first, entry.second);
}

DetailMap::DetailMap(const std::map<std::string, std::string>& entries) : entries_(entries.begin(), entries.end()) {}

std::vector<DetailMap::value_type>::iterator DetailMap::lowerBound(std::string_view key) {
    return std::lower_bound(entries_.begin(), entries_.end(), key, keyBefore);
}

DetailMap::const_iterator DetailMap::find(std::string_view key) const {
    auto at = std::lower_bound(entries_.begin(), entries_.end(), key, keyBefore);
    return at != entries_.end() && at->first == key ? at : entries_.end();
}

const std::string& DetailMap::at(std::string_view key) const {
    auto found = find(key);
    if (found == end()) throw std::out_of_range("No detail named " + std::string(key));
    return found->second;
}

std::string& DetailMap::operator[](std::string_view key) {
    auto at = lowerBound(key);
    if (at == entries_.end() || at->first != key) at = entries_.emplace(at, std::string(key), std::string());
    return at->second;
}

bool DetailMap::emplace(std::string key, std::string value) {
    auto at = lowerBound(key);
    if (at != entries_.end() && at->first == key) return false;
    entries_.emplace(at, std::move(key), std::move(value));
    return true;
}

}  // namespace korvane
