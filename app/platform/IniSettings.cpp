#include "app/platform/IniSettings.h"

#include <cstdlib>

#include "core/system/Paths.h"

namespace korvane {

namespace {

QString keyText(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

std::string IniSettings::defaultPath() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        configured && configured[0] == '/' ? std::string(configured) : Paths::home(".config");
    return Paths::join(Paths::join(base, "Korvane"), "Korvane.conf");
}

IniSettings::IniSettings(const std::string& path)
    : settings_(QString::fromStdString(path), QSettings::IniFormat) {}

std::optional<std::string> IniSettings::value(std::string_view key) const {
    const QVariant stored = settings_.value(keyText(key));
    // A hand-edited value that QSettings reads as a list or a typed value is
    // not one of ours.
    if (stored.typeId() != QMetaType::QString) return std::nullopt;
    return stored.toString().toStdString();
}

void IniSettings::setValue(std::string_view key, const std::string& value) {
    settings_.setValue(keyText(key), QString::fromStdString(value));
    settings_.sync();
}

void IniSettings::remove(std::string_view key) {
    settings_.remove(keyText(key));
    settings_.sync();
}

}  // namespace korvane
