#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace korvane {

// A 128-bit identifier. Its text is the hyphenated upper-case form
// (8-4-4-4-12 hexadecimal digits), which is also what JSON stores.
class UUID {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // The nil identifier (all zero bits).
    UUID() = default;
    explicit UUID(const Bytes& bytes) : bytes_(bytes) {}

    // A fresh random (version 4) identifier.
    static UUID random();
    // Accepts the hyphenated form in either letter case; nothing else.
    static std::optional<UUID> parse(std::string_view text);

    std::string text() const;
    const Bytes& bytes() const { return bytes_; }
    bool isNil() const;

    friend bool operator==(const UUID&, const UUID&) = default;
    friend auto operator<=>(const UUID&, const UUID&) = default;

private:
    Bytes bytes_{};
};

namespace json {
// The hyphenated text form of an identifier; throws JsonError on anything else.
UUID toUUID(const nlohmann::json& value);
}  // namespace json

}  // namespace korvane

template <>
struct std::hash<korvane::UUID> {
    std::size_t operator()(const korvane::UUID& id) const noexcept;
};
