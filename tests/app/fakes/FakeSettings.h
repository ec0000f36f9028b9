#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/platform/Settings.h"

namespace korvane::testing {

// Settings in memory; counts writes per key so tests can tell a rewrite from none.
class FakeSettings final : public Settings {
public:
    std::map<std::string, std::string, std::less<>> values;
    std::map<std::string, int, std::less<>> writes;
    // Runs during each write, as the real settings file's own work does.
    std::function<void()> duringWrite;

    std::optional<std::string> value(std::string_view key) const override {
        const auto found = values.find(key);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    void setValue(std::string_view key, const std::string& value) override {
        values[std::string(key)] = value;
        ++writes[std::string(key)];
        if (duringWrite) duringWrite();
    }
    void remove(std::string_view key) override {
        if (const auto found = values.find(key); found != values.end()) values.erase(found);
        ++writes[std::string(key)];
    }
    int writeCount(const std::string& key) const {
        const auto found = writes.find(key);
        return found == writes.end() ? 0 : found->second;
    }
};

}  // namespace korvane::testing
