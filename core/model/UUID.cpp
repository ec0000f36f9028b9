#include "core/model/UUID.h"

#include "core/text/Json.h"

#include <random>
#include <sys/random.h>

namespace korvane {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isHyphenPosition(std::size_t index) { return index == 8 || index == 13 || index == 18 || index == 23; }

}  // namespace

UUID UUID::random() {
    Bytes bytes{};
    // The kernel's generator; a seeded engine only when it cannot answer
    // (an engine alone would repeat its sequence in a forked child).
    if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        thread_local std::mt19937_64 engine = [] {
            std::random_device device;
            std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
            return std::mt19937_64(seed);
        }();
        for (std::size_t i = 0; i < bytes.size(); i += 8) {
            std::uint64_t word = engine();
            for (std::size_t k = 0; k < 8; ++k) bytes[i + k] = static_cast<std::uint8_t>(word >> (8 * k));
        }
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return UUID(bytes);
}

std::optional<UUID> UUID::parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Bytes bytes{};
    std::size_t out = 0;
    int high = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHyphenPosition(i)) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        int value = hexValue(text[i]);
        if (value < 0) return std::nullopt;
        if (high < 0) {
            high = value;
        } else {
            bytes[out++] = static_cast<std::uint8_t>(high * 16 + value);
            high = -1;
        }
    }
    return UUID(bytes);
}

std::string UUID::text() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) result += '-';
        result += digits[bytes_[i] >> 4];
        result += digits[bytes_[i] & 0x0F];
    }
    return result;
}

bool UUID::isNil() const {
    for (auto byte : bytes_)
        if (byte != 0) return false;
    return true;
}

namespace json {

UUID toUUID(const nlohmann::json& value) {
    auto text = toString(value);
    auto id = UUID::parse(text);
    if (!id) throw JsonError("Attempted to decode UUID from invalid UUID string: " + text);
    return *id;
}

}  // namespace json

}  // namespace korvane

std::size_t std::hash<korvane::UUID>::operator()(const korvane::UUID& id) const noexcept {
    std::size_t h = 1469598103934665603ull;
    for (auto byte : id.bytes()) h = (h ^ byte) * 1099511628211ull;
    return h;
}
