#include "core/explorer/SystemStatsReader.h"

#include <time.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "core/system/FileContents.h"
#include "core/system/FolderListing.h"

namespace korvane {

namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kUInt64Max = std::numeric_limits<std::uint64_t>::max();

// Kernel text files are small; the cap only guards against a fixture or a
// broken file system feeding us something endless.
constexpr std::int64_t kMaxFileBytes = 1 << 20;

std::string_view trim(std::string_view text) {
    const char* spaces = " \t\r\n";
    std::size_t first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::uint64_t addSaturating(std::uint64_t a, std::uint64_t b) {
    return a > kUInt64Max - b ? kUInt64Max : a + b;
}

std::int64_t addSaturating(std::int64_t a, std::int64_t b) {
    // Memory figures are never negative here, so only the upper end can overflow.
    return a > kInt64Max - b ? kInt64Max : a + b;
}

std::int64_t kibToBytes(std::uint64_t kib) {
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(kInt64Max) / 1024;
    return kib > limit ? kInt64Max : static_cast<std::int64_t>(kib * 1024);
}

// ---- processor ----------------------------------------------------------

// The first line of proc/stat: "cpu  user nice system idle iowait irq
// softirq steal guest guest_nice". Older kernels stop after idle. Guest time
// is already inside user and nice. Steal (time a hypervisor gave to someone
// else) is left out: the load is measured over the time this machine had.
std::optional<SystemStatsReader::Ticks> readTicks(const std::string& root) {
    auto contents = FileContents::readSmall(root + "/proc/stat", kMaxFileBytes);
    if (!contents) return std::nullopt;
    std::string_view text = *contents;
    std::string_view line = text.substr(0, text.find('\n'));
    if (line.size() < 4 || line.substr(0, 4) != "cpu ") return std::nullopt;
    line.remove_prefix(4);

    std::vector<std::uint64_t> fields;
    while (fields.size() < 10) {
        line = trim(line);
        if (line.empty()) break;
        std::size_t end = line.find_first_of(" \t");
        auto value = parseNumber<std::uint64_t>(line.substr(0, end));
        if (!value) return std::nullopt;
        fields.push_back(*value);
        if (end == std::string_view::npos) break;
        line.remove_prefix(end);
    }
    if (fields.size() < 4) return std::nullopt;
    auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : 0; };

    SystemStatsReader::Ticks ticks;
    ticks.user = field(0);
    ticks.nice = field(1);
    ticks.system = addSaturating(addSaturating(field(2), field(5)), field(6));
    ticks.idle = addSaturating(field(3), field(4));
    return ticks;
}

void fillLoad(SystemStats& stats, const SystemStatsReader::Ticks& previous,
              const SystemStatsReader::Ticks& current) {
    // The counters only ever grow. One that went backwards was reset (or a
    // processor was taken offline): the difference means nothing, so the load
    // of this sample is 0 rather than a wrapped-around giant.
    if (current.user < previous.user || current.system < previous.system || current.idle < previous.idle ||
        current.nice < previous.nice)
        return;
    double dUser =
        static_cast<double>(current.user - previous.user) + static_cast<double>(current.nice - previous.nice);
    double dSystem = static_cast<double>(current.system - previous.system);
    double total = dUser + dSystem + static_cast<double>(current.idle - previous.idle);
    if (!(total > 0.0)) return;
    stats.userUsage = dUser / total;
    stats.systemUsage = dSystem / total;
    stats.cpuUsage = std::min(stats.userUsage + stats.systemUsage, 1.0);
}

// ---- memory -------------------------------------------------------------

using MemInfo = std::map<std::string, std::int64_t, std::less<>>;

// "Key:   value kB" lines, values turned into bytes. Lines that do not parse
// are skipped; a file without "MemTotal" counts as unreadable.
std::optional<MemInfo> readMemInfo(const std::string& root) {
    auto contents = FileContents::readSmall(root + "/proc/meminfo", kMaxFileBytes);
    if (!contents) return std::nullopt;
    MemInfo info;
    std::string_view text = *contents;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view key = trim(line.substr(0, colon));
        std::string_view rest = trim(line.substr(colon + 1));
        bool kib = rest.size() >= 2 && rest.substr(rest.size() - 2) == "kB";
        if (kib) rest = trim(rest.substr(0, rest.size() - 2));
        auto value = parseNumber<std::uint64_t>(rest);
        if (!value || key.empty()) continue;
        std::int64_t bytes =
            kib ? kibToBytes(*value) : static_cast<std::int64_t>(std::min<std::uint64_t>(*value, kInt64Max));
        info.emplace(std::string(key), bytes);
    }
    if (!info.contains("MemTotal")) return std::nullopt;
    return info;
}

std::int64_t value(const MemInfo& info, std::string_view key) {
    auto found = info.find(key);
    return found == info.end() ? 0 : found->second;
}

// Memory as `free` counts it: used is what the kernel could not hand to a
// program right now, MemTotal − MemAvailable (kernels before 3.14 lack
// MemAvailable; the free and the reclaimable pages stand in for it). Its
// parts, which add up to it:
//   kernel     = what the kernel holds and cannot give back
//                (Unevictable + SUnreclaim + KernelStack + PageTables)
//   compressed = the zswap pool (0 without zswap)
//   programs   = the rest of the used figure
// cached       = what the kernel can give back (page cache, reclaimable
//                slab): the available pages that are not free
std::int64_t availableMemory(const MemInfo& info) {
    if (info.contains("MemAvailable")) return value(info, "MemAvailable");
    return addSaturating(addSaturating(value(info, "MemFree"), value(info, "Buffers")),
                         addSaturating(value(info, "Cached"), value(info, "SReclaimable")));
}

void fillMemory(SystemStats& stats, const MemInfo& info) {
    stats.physicalMemory = value(info, "MemTotal");
    const std::int64_t available = std::clamp<std::int64_t>(availableMemory(info), 0, stats.physicalMemory);
    stats.usedMemory = stats.physicalMemory - available;
    const std::int64_t kernel = addSaturating(addSaturating(value(info, "Unevictable"), value(info, "SUnreclaim")),
                                              addSaturating(value(info, "KernelStack"), value(info, "PageTables")));
    // Counted at different moments, the kernel's figures can exceed the used one: the parts never do.
    stats.wiredMemory = std::min(kernel, stats.usedMemory);
    stats.compressedMemory = std::min(value(info, "Zswap"), stats.usedMemory - stats.wiredMemory);
    stats.appMemory = stats.usedMemory - stats.wiredMemory - stats.compressedMemory;
    stats.cachedMemory = std::clamp<std::int64_t>(available - value(info, "MemFree"), 0, available);

    if (info.contains("SwapTotal") && info.contains("SwapFree"))
        stats.swapUsed = std::max<std::int64_t>(value(info, "SwapTotal") - value(info, "SwapFree"), 0);
}

// Whether the zswap module is switched on ("Y"); absent without the module.
bool zswapEnabled(const std::string& root) {
    auto contents = FileContents::readSmall(root + "/sys/module/zswap/parameters/enabled", 64);
    if (!contents) return false;
    const std::string_view value = trim(*contents);
    return value == "Y" || value == "1";
}

// ---- battery ------------------------------------------------------------

std::optional<std::string> readAttribute(const std::string& folder, const char* name) {
    auto contents = FileContents::readSmall(folder + "/" + name, 4096);
    if (!contents) return std::nullopt;
    return std::string(trim(*contents));
}

std::optional<std::int64_t> readInteger(const std::string& folder, const char* name) {
    auto text = readAttribute(folder, name);
    if (!text) return std::nullopt;
    return parseNumber<std::int64_t>(*text);
}

bool isExternalPower(const std::string& type) {
    return type == "Mains" || type == "USB" || type.starts_with("USB_") || type == "Wireless";
}

int clampToInt(double value) {
    if (!(value > static_cast<double>(INT_MIN))) return INT_MIN;
    if (!(value < static_cast<double>(INT_MAX))) return INT_MAX;
    return static_cast<int>(value);
}

// Charge level in percent: the kernel's own "capacity" when it has one, else
// the ratio of the energy or charge counters, rounded half away from zero.
std::optional<int> percentage(const std::string& folder) {
    if (auto capacity = readInteger(folder, "capacity"); capacity && *capacity >= 0)
        return clampToInt(static_cast<double>(*capacity));
    for (auto [now, full] :
         {std::pair{"energy_now", "energy_full"}, std::pair{"charge_now", "charge_full"}}) {
        auto current = readInteger(folder, now);
        auto maximum = readInteger(folder, full);
        if (current && maximum && *current >= 0 && *maximum >= 1)
            return clampToInt(
                std::round(static_cast<double>(*current) / static_cast<double>(*maximum) * 100.0));
    }
    return std::nullopt;
}

// Minutes left on battery, only while discharging: the driver's estimate when
// it gives one, else what is left divided by the present drain.
std::optional<int> minutesRemaining(const std::string& folder) {
    std::optional<double> minutes;
    if (auto seconds = readInteger(folder, "time_to_empty_now"); seconds && *seconds > 0) {
        minutes = static_cast<double>(*seconds) / 60.0;
    } else {
        for (auto [left, drain] :
             {std::pair{"energy_now", "power_now"}, std::pair{"charge_now", "current_now"}}) {
            auto amount = readInteger(folder, left);
            auto rate = readInteger(folder, drain);
            // Some drivers report the drain as a negative current.
            if (amount && rate && *amount > 0 && *rate != 0 && *rate != INT64_MIN) {
                minutes = static_cast<double>(*amount) / static_cast<double>(std::llabs(*rate)) * 60.0;
                break;
            }
        }
    }
    if (!minutes || !(*minutes >= 1.0)) return std::nullopt;
    return clampToInt(std::floor(*minutes));
}

std::optional<SystemStats::Battery> readBattery(const std::string& root) {
    struct Supply {
        std::string folder;
        std::string type;
    };
    const std::string base = root + "/sys/class/power_supply";
    std::vector<std::string> names = FolderListing::names(base).value_or(std::vector<std::string>());
    // The kernel lists in no set order; BAT0 before BAT1 keeps the pick stable.
    std::sort(names.begin(), names.end());
    std::vector<Supply> supplies;
    supplies.reserve(names.size());
    for (const std::string& name : names) {
        std::string folder = base + "/" + name;
        std::string type = readAttribute(folder, "type").value_or("");
        supplies.push_back({std::move(folder), std::move(type)});
    }

    bool externalPower = false;
    for (const Supply& supply : supplies)
        if (isExternalPower(supply.type) && readInteger(supply.folder, "online").value_or(0) == 1)
            externalPower = true;

    for (const Supply& supply : supplies) {
        const std::string& folder = supply.folder;
        if (supply.type != "Battery") continue;
        // A mouse's or a headset's battery is not the machine's.
        if (readAttribute(folder, "scope").value_or("") == "Device") continue;
        if (readInteger(folder, "present").value_or(1) == 0) continue;
        auto percent = percentage(folder);
        if (!percent) continue;

        SystemStats::Battery battery;
        battery.percentage = *percent;
        battery.isPresent = true;
        std::string status = readAttribute(folder, "status").value_or("");
        if (status == "Charging")
            battery.isCharging = true;
        else if (status == "Discharging" || status == "Not charging" || status == "Full")
            battery.isCharging = false;
        else
            battery.isCharging = externalPower;  // "Unknown" or no status: go by the charger
        if (status == "Discharging") battery.minutesRemaining = minutesRemaining(folder);
        if (auto health = readAttribute(folder, "health"); health && !health->empty() && *health != "Unknown")
            battery.health = *health;
        return battery;
    }
    return std::nullopt;
}

std::string normalisedRoot(std::string root) {
    while (!root.empty() && root.back() == '/') root.pop_back();
    return root;  // "/" becomes "", so that root + "/proc/…" is "/proc/…"
}

}  // namespace

SystemStatsReader::SystemStatsReader() : SystemStatsReader("/") {}

SystemStatsReader::SystemStatsReader(std::string root, UptimeClock uptime)
    : root_(normalisedRoot(std::move(root))),
      uptime_(uptime ? std::move(uptime) : UptimeClock(&bootClockUptime)) {}

std::optional<double> SystemStatsReader::bootClockUptime() {
    timespec now{};
    if (::clock_gettime(CLOCK_BOOTTIME, &now) != 0) return std::nullopt;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

SystemStats SystemStatsReader::read() {
    SystemStats stats;
    if (auto seconds = uptime_(); seconds && *seconds >= 0.0) stats.uptime = *seconds;

    if (auto current = readTicks(root_)) {
        std::optional<Ticks> previous;
        {
            std::lock_guard<std::mutex> guard(lock_);
            previous = std::exchange(previousTicks_, *current);
        }
        if (previous) fillLoad(stats, *previous, *current);
    }

    if (auto info = readMemInfo(root_)) {
        fillMemory(stats, *info);
        stats.zswapInUse = value(*info, "Zswap") > 0 || zswapEnabled(root_);
    }
    stats.battery = readBattery(root_);
    return stats;
}

}  // namespace korvane
