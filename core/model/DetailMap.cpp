#include "core/model/DetailMap.h"

#include <algorithm>
#include <stdexcept>

namespace korvane {

namespace {

static_assert(alignof(DetailMap::Entries) > 1, "the low bit of the pointer marks shared entries");

bool keyBefore(const DetailMap::value_type& entry, std::string_view key) { return entry.first < key; }

}  // namespace

DetailMap::DetailMap(std::initializer_list<value_type> entries) {
    if (entries.size() == 0) return;
    writable().reserve(entries.size());
    for (const value_type& entry : entries) emplace(entry.first, entry.second);
}

DetailMap::DetailMap(const std::map<std::string, std::string>& entries) {
    if (!entries.empty()) entries_ = reinterpret_cast<std::uintptr_t>(new Entries(entries.begin(), entries.end()));
}

DetailMap::DetailMap(const DetailMap& other) {
    if (other.entries_ & sharedBit)
        entries_ = other.entries_;
    else if (!other.empty())
        entries_ = reinterpret_cast<std::uintptr_t>(new Entries(*other.pointer()));
}

DetailMap& DetailMap::operator=(const DetailMap& other) {
    if (this != &other) *this = DetailMap(other);
    return *this;
}

DetailMap& DetailMap::operator=(DetailMap&& other) noexcept {
    if (this != &other) {
        this->~DetailMap();
        entries_ = other.entries_;
        other.entries_ = 0;
    }
    return *this;
}

DetailMap::~DetailMap() {
    if (!(entries_ & sharedBit)) delete pointer();
}

DetailMap DetailMap::sharing(const Entries& entries) {
    DetailMap map;
    if (!entries.empty()) map.entries_ = reinterpret_cast<std::uintptr_t>(&entries) | sharedBit;
    return map;
}

const DetailMap::Entries& DetailMap::entries() const {
    static const Entries none;
    return entries_ ? *pointer() : none;
}

DetailMap::Entries& DetailMap::writable() {
    if (!entries_) entries_ = reinterpret_cast<std::uintptr_t>(new Entries());
    if (entries_ & sharedBit) entries_ = reinterpret_cast<std::uintptr_t>(new Entries(*pointer()));
    return *const_cast<Entries*>(pointer());
}

DetailMap::Entries::iterator DetailMap::lowerBound(std::string_view key) {
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
    Entries& entries = writable();
    if (at == entries.end() || at->first != key) at = entries.emplace(at, std::string(key), std::string());
    return at->second;
}

bool DetailMap::emplace(std::string key, std::string value) {
    auto at = lowerBound(key);
    Entries& entries = writable();
    if (at != entries.end() && at->first == key) return false;
    entries.emplace(at, std::move(key), std::move(value));
    return true;
}

}  // namespace korvane
