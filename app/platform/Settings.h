#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The application's persisted choices: a flat store of text values under
// dotted keys ("scan.settings", "automation.lastRun"). JSON values are kept as
// JSON text, dates as ISO 8601 text, flags as "true" or "false". Every write
// reaches the disk before the call returns.
class Settings {
public:
    virtual ~Settings() = default;

    // No value when the key is absent or holds something other than text.
    virtual std::optional<std::string> value(std::string_view key) const = 0;
    virtual void setValue(std::string_view key, const std::string& value) = 0;
    virtual void remove(std::string_view key) = 0;
};

}  // namespace korvane
