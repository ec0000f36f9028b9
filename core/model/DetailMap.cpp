#include "core/model/DetailMap.h"

#include <algorithm>
#include <stdexcept>

namespace korvane {

namespace {

bool keyBefore(const DetailMap::value_type& entry, std::string_view key) { return entry.first < key; }

}  // namespace

DetailMap::DetailMap(std::initializer_list<value_type> entries) {
    if (entries.size() == 0) return;
    writable().reserve(entries.size());
    for (const value_type& entry : entries) emplace(entry.first, entry.second);
}

DetailMap::DetailMap(const std::map<std::string, std::string>& entries) {
    if (!entries.empty())
        entries_ = std::make_unique<std::vector<value_type>>(entries.begin(), entries.end());
}

DetailMap::DetailMap(const DetailMap& other) {
    if (!other.empty()) entries_ = std::make_unique<std::vector<value_type>>(*other.entries_);
}

DetailMap& DetailMap::operator=(const DetailMap& other) {
    if (this != &other) *this = DetailMap(other);
    return *this;
}

const std::vector<DetailMap::value_type>& DetailMap::entries() const {
    static const std::vector<value_type> none;
    return entries_ ? *entries_ : none;
}

std::vector<DetailMap::value_type>& DetailMap::writable() {
    if (!entries_) entries_ = std::make_unique<std::vector<value_type>>();
    return *entries_;
}

std::vector<DetailMap::value_type>::iterator DetailMap::lowerBound(std::string_view key) {
    auto& entries = writable();
    return std::lower_bound(entries.begin(), entries.end(), key, keyBefore);
}

DetailMap::const_iterator DetailMap::find(std::string_view key) const {
    const auto& all = entries();
    auto at = std::lower_bound(all.begin(), all.end(), key, keyBefore);
    return at != all.end() && at->first == key ? at : all.end();
}

const std::string& DetailMap::at(std::string_view key) const {
    auto found = find(key);
    if (found == end()) throw std::out_of_range("No detail named " + std::string(key));
    return found->second;
}

std::string& DetailMap::operator[](std::string_view key) {
    auto at = lowerBound(key);
    if (at == entries_->end() || at->first != key)
        at = entries_->emplace(at, std::string(key), std::string());
    return at->second;
}

bool DetailMap::emplace(std::string key, std::string value) {
    auto at = lowerBound(key);
    if (at != entries_->end() && at->first == key) return false;
    entries_->emplace(at, std::move(key), std::move(value));
    return true;
}

}  // namespace korvane
