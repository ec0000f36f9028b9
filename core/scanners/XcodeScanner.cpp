#include "core/scanners/XcodeScanner.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <nlohmann/json.hpp>

#include "core/text/AsciiText.h"
#include "core/text/ByteFormat.h"
#include "core/system/Paths.h"
#include "core/system/PropertyList.h"
#include "core/system/Shell.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

namespace {

constexpr std::int64_t oneMiB = 1048576;

void replaceAll(std::string& text, std::string_view what, std::string_view with) {
    if (what.empty()) return;
    std::size_t at = 0;
    while ((at = text.find(what, at)) != std::string::npos) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

struct CacheRow {
    std::string location;
    std::string title;
    std::string reason;
};

std::string ruleForCache(const std::string& location) {
    return location.find("DocumentationCache") != std::string::npos ? "xcode.documentation"
                                                                    : "xcode.appCache";
}

std::vector<CacheRow> xcodeCaches() {
    return {
        {Paths::home("Library", "Caches", "com.apple.dt.Xcode"), "Xcode application cache",
         "Indexes and downloaded components cached by Xcode. Rebuilt on demand."},
        {Paths::home("Library", "Developer", "Xcode/UserData/Previews"), "SwiftUI Previews cache",
         "Compiled preview bundles. Regenerated the next time a preview runs."},
        {Paths::home("Library", "Developer", "Xcode/Products"), "Built products",
         "Copies of built products from earlier builds."},
        {Paths::home("Library", "Developer", "Xcode/DocumentationCache"), "Documentation cache",
         "Downloaded developer documentation. Re-downloaded when you open the docs window."},
    };
}

constexpr const char* simulatorDevicesGroup = "Simulator Devices";
constexpr const char* simulatorDeviceRule = "xcode.simulatorDevices";

}  // namespace

const std::vector<std::string>& XcodeScanner::platforms() {
    static const std::vector<std::string> list{"iOS", "watchOS", "tvOS", "visionOS"};
    return list;
}

bool XcodeScanner::isAvailable() const {
    return exists(Paths::home("Library", "Developer", "Xcode")) ||
           exists(Paths::home("Library", "Developer", "CoreSimulator")) || exists("/Applications/Xcode.app");
}

std::string XcodeScanner::projectName(std::string_view folderName) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start <= folderName.size()) {
        const auto dash = folderName.find('-', start);
        const auto end = dash == std::string_view::npos ? folderName.size() : dash;
        if (end > start) pieces.push_back(folderName.substr(start, end - start));
        if (dash == std::string_view::npos) break;
        start = dash + 1;
    }
    if (pieces.size() < 2) return std::string(folderName);
    std::string name;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        if (i > 0) name += '-';
        name += pieces[i];
    }
    return name;
}

std::string XcodeScanner::formatDate(std::chrono::system_clock::time_point date) {
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr || local.tm_mon < 0 || local.tm_mon > 11) return "Unknown";
    return std::string(months[static_cast<std::size_t>(local.tm_mon)]) + " " + std::to_string(local.tm_mday) +
           ", " + std::to_string(local.tm_year + 1900);
}

std::optional<XcodeScanner::DeviceList> XcodeScanner::parseDeviceList(std::string_view json) {
    const auto document = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    const auto devices = document.find("devices");
    if (devices == document.end() || !devices->is_object()) return std::nullopt;
    for (const auto& [runtimeID, list] : devices->items()) {
        if (!list.is_array()) return std::nullopt;
        for (const auto& device : list)
            if (!device.is_object()) return std::nullopt;
    }
    DeviceList result;
    for (const auto& [runtimeID, list] : devices->items()) {
        std::string runtime = runtimeID;
        replaceAll(runtime, "com.apple.CoreSimulator.SimRuntime.", "");
        std::replace(runtime.begin(), runtime.end(), '-', ' ');
        for (const auto& device : list) {
            const auto udid = device.find("udid");
            if (udid == device.end() || !udid->is_string()) continue;
            SimulatorDevice entry;
            const auto udidText = udid->get<std::string>();
            const auto name = device.find("name");
            entry.name = name != device.end() && name->is_string() ? name->get<std::string>() : udidText;
            entry.runtime = runtime;
            const auto state = device.find("state");
            entry.state = state != device.end() && state->is_string() ? state->get<std::string>() : "Unknown";
            const auto available = device.find("isAvailable");
            entry.isAvailable =
                available != device.end() && available->is_boolean() ? available->get<bool>() : true;
            result[udidText] = std::move(entry);
        }
    }
    return result;
}

std::optional<XcodeScanner::DeviceList> XcodeScanner::simulatorDevices() const {
    try {
        const auto result = Shell::run("xcrun", {"simctl", "list", "devices", "--json"}, simulatorTimeout_);
        if (result.status != 0) return std::nullopt;
        return parseDeviceList(result.stdout);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> XcodeScanner::deviceName(const std::string& deviceFolder) {
    const auto list = PropertyList::readDictionary(Paths::join(deviceFolder, "device.plist"));
    if (!list) return std::nullopt;
    return list->string("name");
}

CategoryResult XcodeScanner::scan(const ScanContext& context) const {
    Findings found;
    addDerivedData(context, found);
    addDeviceSupport(context, found);
    addArchives(context, found);
    addSimulatorDevices(context, found);
    addSimulatorCaches(context, found);
    addSimulatorRuntimes(context, found);
    addXcodeCaches(context, found);
    addSwiftPackages(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void XcodeScanner::addDerivedData(const ScanContext& context, Findings& found) const {
    const auto derivedData = Paths::home("Library", "Developer", "Xcode/DerivedData");
    if (!isDirectory(derivedData)) return;
    for (const auto& entry : context.children(derivedData, true)) {
        const auto& m = entry.measurement;
        if (m.bytes < 1) continue;
        found.addFootprint(m.bytes);
        const auto name = Paths::lastComponent(entry.url);
        if (name == "ModuleCache.noindex") {
            found.add(makeCandidate({.ruleID = "xcode.moduleCache",
                                     .groupTitle = "Module Cache",
                                     .title = "Precompiled modules",
                                     .path = entry.url,
                                     .size = m.bytes,
                                     .safety = SafetyLevel::safe,
                                     .reason = "Precompiled module headers. Xcode rebuilds them on the next build.",
                                     .restoreHint = "Rebuilt automatically",
                                     .lastModified = m.newestModification}));
        } else {
            found.add(makeCandidate(
                {.ruleID = "xcode.derivedData",
                 .groupTitle = "Derived Data",
                 .title = projectName(name),
                 .path = entry.url,
                 .size = m.bytes,
                 .safety = SafetyLevel::safe,
                 .reason = "Build intermediates, indexes and logs for this project. Xcode recreates them on "
                           "the next build — your source code is untouched.",
                 .restoreHint = "Rebuilt on next build",
                 .lastModified = newestElseOwn(m, entry.url),
                 .details = {{"Files", ByteFormat::groupedInteger(m.files)}}}));
        }
    }
}

void XcodeScanner::addDeviceSupport(const ScanContext& context, Findings& found) const {
    for (const auto& platform : platforms()) {
        const auto folder = Paths::home("Library", "Developer", "Xcode/" + platform + " DeviceSupport");
        if (!isDirectory(folder)) continue;
        for (const auto& entry : context.children(folder, true)) {
            if (entry.measurement.bytes < 1) continue;
            found.addFootprint(entry.measurement.bytes);
            const auto version = Paths::lastComponent(entry.url);
            found.add(makeCandidate(
                {.ruleID = "xcode.deviceSupport",
                 .groupTitle = "Device Support",
                 .title = platform + " " + version,
                 .path = entry.url,
                 .size = entry.measurement.bytes,
                 .safety = SafetyLevel::safe,
                 .reason = "Debug symbols copied from a device running " + platform + " " + version +
                           ". Xcode copies them again the next time you attach a device on that version.",
                 .restoreHint = "Re-copied when you next connect that device",
                 .lastModified = modificationDate(entry.url)}));
        }
    }
}

void XcodeScanner::addArchives(const ScanContext& context, Findings& found) const {
    const auto archives = Paths::home("Library", "Developer", "Xcode/Archives");
    if (!isDirectory(archives)) return;
    for (const auto& dateFolder : sortedEntryNames(archives)) {
        for (const auto& entry : context.children(Paths::join(archives, dateFolder), true)) {
            if (entry.measurement.bytes < 1) continue;
            found.addFootprint(entry.measurement.bytes);
            const auto date = modificationDate(entry.url);
            found.add(makeCandidate(
                {.ruleID = "xcode.archives",
                 .groupTitle = "Archives",
                 .title = Paths::withoutExtension(Paths::lastComponent(entry.url)),
                 .path = entry.url,
                 .size = entry.measurement.bytes,
                 .safety = SafetyLevel::caution,
                 .reason = "An archive of a build you distributed. It holds the dSYMs used to symbolicate "
                           "crash reports for that version — keep it while the build is live.",
                 .restoreHint = "Cannot be recreated without rebuilding that exact commit",
                 .lastModified = date,
                 .details = {{"Archived", date ? formatDate(*date) : "Unknown"}}}));
        }
    }
}

void XcodeScanner::addSimulatorDevices(const ScanContext& context, Findings& found) const {
    // Asked on every scan, whether or not a device folder exists.
    const auto devices = simulatorDevices();

    const auto devicesFolder = Paths::home("Library", "Developer", "CoreSimulator/Devices");
    if (!isDirectory(devicesFolder)) return;
    for (const auto& entry : context.children(devicesFolder, true)) {
        if (entry.measurement.bytes < 1) continue;
        found.addFootprint(entry.measurement.bytes);
        // A device is a folder named by its UDID; a file here (CoreSimulator's
        // own device_set.plist) is no device and is never offered as one.
        if (entry.measurement.directories < 1) continue;
        const auto udid = Paths::lastComponent(entry.url);
        const auto lastModified = newestElseOwn(entry.measurement, entry.url);
        if (!devices) {
            // The tool could not tell: the device may well be in use, so
            // nothing marks it unavailable or selects it.
            found.add(makeCandidate(
                {.ruleID = simulatorDeviceRule,
                 .groupTitle = simulatorDevicesGroup,
                 .title = deviceName(entry.url).value_or(udid),
                 .path = entry.url,
                 .size = entry.measurement.bytes,
                 .safety = SafetyLevel::caution,
                 .reason = "Korvane could not ask the simulator tool about this device, so its state is "
                           "unknown. Removing it deletes the apps, databases and screenshots stored inside it.",
                 .restoreHint = "Recreated empty the next time you boot this simulator",
                 .lastModified = lastModified,
                 .details = {{"State", "Unknown"}}}));
            continue;
        }
        const auto listed = devices->find(udid);
        if (listed != devices->end() && listed->second.isAvailable) {
            const auto& device = listed->second;
            found.add(makeCandidate(
                {.ruleID = simulatorDeviceRule,
                 .groupTitle = simulatorDevicesGroup,
                 .title = device.name,
                 .path = entry.url,
                 .size = entry.measurement.bytes,
                 .safety = SafetyLevel::caution,
                 .reason = "Apps, databases and screenshots stored inside this simulator. Removing it resets "
                           "the device to factory state.",
                 .restoreHint = "Recreated empty the next time you boot this simulator",
                 .lastModified = lastModified,
                 .details = {{"Runtime", device.runtime}, {"State", device.state}}}));
            continue;
        }
        std::string name;
        Details details;
        if (listed != devices->end()) {
            name = listed->second.name;
            details = {{"Runtime", listed->second.runtime}, {"State", listed->second.state}};
        } else {
            name = deviceName(entry.url).value_or(udid);
        }
        found.add(makeCandidate({.ruleID = simulatorDeviceRule,
                                 .groupTitle = simulatorDevicesGroup,
                                 .title = name + " (unavailable)",
                                 .path = entry.url,
                                 .size = entry.measurement.bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = "This simulator's runtime is no longer installed, so the device cannot "
                                           "be booted. Nothing can read this data.",
                                 .lastModified = lastModified,
                                 .details = std::move(details)}));
    }
}

void XcodeScanner::addSimulatorCaches(const ScanContext& context, Findings& found) const {
    for (const std::string folder : {"Caches", "Temp"}) {
        const auto path = Paths::home("Library", "Developer", "CoreSimulator/" + folder);
        const auto measurement = context.measure(path, oneMiB);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = "xcode.simulatorCaches",
                                 .groupTitle = "Simulator Caches",
                                 .title = "Simulator " + AsciiText::lowercased(folder),
                                 .path = path,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = "Shared caches used to boot simulators quickly. Rebuilt on the next boot.",
                                 .restoreHint = "Rebuilt on next simulator boot",
                                 .lastModified = measurement->newestModification}));
    }
}

void XcodeScanner::addSimulatorRuntimes(const ScanContext& context, Findings& found) const {
    const auto runtimes = Paths::home("Library", "Developer", "CoreSimulator/Profiles/Runtimes");
    if (!isDirectory(runtimes)) return;
    for (const auto& entry : context.children(runtimes, true)) {
        if (entry.measurement.bytes < 1) continue;
        found.addFootprint(entry.measurement.bytes);
        found.add(makeCandidate(
            {.ruleID = "xcode.simulatorRuntimes",
             .groupTitle = "Simulator Runtimes",
             .title = Paths::withoutExtension(Paths::lastComponent(entry.url)),
             .path = entry.url,
             .size = entry.measurement.bytes,
             .safety = SafetyLevel::caution,
             .reason = "A complete OS image used to run simulators on this version. Removing it means "
                       "re-downloading several gigabytes before you can test on it again.",
             .restoreHint = "Re-downloadable from Xcode → Settings → Platforms",
             .lastModified = modificationDate(entry.url)}));
    }
}

void XcodeScanner::addXcodeCaches(const ScanContext& context, Findings& found) const {
    for (const auto& row : xcodeCaches()) {
        const auto measurement = context.measure(row.location, oneMiB);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = ruleForCache(row.location),
                                 .groupTitle = "Xcode Caches",
                                 .title = row.title,
                                 .path = row.location,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = "Rebuilt automatically",
                                 .lastModified = measurement->newestModification}));
    }
}

void XcodeScanner::addSwiftPackages(const ScanContext& context, Findings& found) const {
    for (const auto& location : {Paths::home("Library", "Caches", "org.swift.swiftpm"),
                                 Paths::home("Library", "org.swift.swiftpm")}) {
        const auto measurement = context.measure(location, oneMiB);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = "xcode.swiftpm",
                                 .groupTitle = "Swift Package Manager",
                                 .title = "Package cache",
                                 .path = location,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = "Clones of Swift packages your projects depend on. Re-fetched from "
                                           "their repositories when a project next resolves.",
                                 .restoreHint = "Re-fetched on next package resolve",
                                 .lastModified = measurement->newestModification}));
    }
}

}  // namespace korvane
