#pragma once

#include <QSettings>
#include <optional>
#include <string>
#include <string_view>

#include "app/platform/Settings.h"

namespace korvane {

// Settings in an INI file (QSettings), written through to the disk after
// every change.
class IniSettings final : public Settings {
public:
    // $XDG_CONFIG_HOME/Korvane/Korvane.conf, with ~/.config standing in when
    // that variable is unset or not absolute.
    static std::string defaultPath();

    explicit IniSettings(const std::string& path = defaultPath());

    std::optional<std::string> value(std::string_view key) const override;
    void setValue(std::string_view key, const std::string& value) override;
    void remove(std::string_view key) override;

private:
    mutable QSettings settings_;
};

}  // namespace korvane
