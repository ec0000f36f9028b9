#include "core/scanners/AndroidScanner.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "core/text/AsciiText.h"
#include "core/text/ByteFormat.h"
#include "core/system/FileContents.h"
#include "core/system/Paths.h"
#include "core/system/ToolPlaces.h"
#include "core/text/Utf8.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

namespace {

constexpr std::int64_t oneMiB = 1048576;
// Virtual devices must be larger than this to be offered.
constexpr std::int64_t smallestDevice = 10 * oneMiB;
// A device description is a few kilobytes; anything far larger is not one.
constexpr std::int64_t largestDescription = 4 * oneMiB;

std::string removingAll(std::string_view text, std::string_view what) {
    std::string result;
    std::size_t at = 0;
    while (true) {
        const auto found = text.find(what, at);
        if (found == std::string_view::npos) break;
        result.append(text.substr(at, found - at));
        at = found + what.size();
    }
    result.append(text.substr(at));
    return result;
}

// The whole text of a small regular file; none when it is missing, not a
// regular file (a pipe would block the scan), too large, unreadable or not
// UTF-8.
std::optional<std::string> readText(const std::string& path) {
    auto text = FileContents::readSmall(path, largestDescription);
    if (!text || !Utf8::isValid(*text)) return std::nullopt;
    return text;
}

}  // namespace

const std::map<std::string, std::string, std::less<>>& AndroidScanner::versionNames() {
    static const std::map<std::string, std::string, std::less<>> table{
        {"21", "5.0"}, {"22", "5.1"}, {"23", "6.0"}, {"24", "7.0"}, {"25", "7.1"}, {"26", "8.0"},
        {"27", "8.1"}, {"28", "9"},   {"29", "10"},  {"30", "11"},  {"31", "12"},  {"32", "12L"},
        {"33", "13"},  {"34", "14"},  {"35", "15"},  {"36", "16"},
    };
    return table;
}

const std::vector<AndroidScanner::PackageFamily>& AndroidScanner::packageFamilies() {
    static const std::vector<PackageFamily> families{
        {"platforms", "android.platforms", "SDK Platforms",
         "The android.jar and framework resources for one API level. Re-downloadable from the SDK Manager."},
        {"build-tools", "android.buildTools", "Build Tools",
         "aapt, d8, zipalign and friends for one release. Gradle uses the version your build files ask for."},
        {"ndk", "android.ndk", "NDK",
         "The native development kit. Only needed by projects with C or C++ code."},
        {"sources", "android.sources", "Platform Sources",
         "Java sources for one API level, used only for step-into debugging of framework code."},
    };
    return families;
}

std::vector<AndroidScanner::SdkCache> AndroidScanner::sdkCaches() {
    return {
        {Paths::home(".android", "cache"), "android.emulatorCaches", "Android cache",
         "Metadata the SDK tools cache between runs. Rebuilt automatically.", SafetyLevel::safe},
        {Paths::join(sdkRoot(), ".temp"), "android.emulatorCaches", "SDK temporary files",
         "Partial downloads and unpack directories left by the SDK Manager.", SafetyLevel::safe},
    };
}

std::string AndroidScanner::sdkRoot() {
    if (auto path = ToolPlaces::environmentSdkRoot()) return *path;
    // Android Studio's own default here, else the other platform's.
    if (auto linuxDefault = Paths::home("Android", "Sdk"); exists(linuxDefault)) return linuxDefault;
    return Paths::home("Library", "Android", "sdk");
}

bool AndroidScanner::isAvailable() const { return exists(sdkRoot()) || exists(Paths::home(".android")); }

std::string AndroidScanner::apiText(std::string_view folderName) {
    if (folderName.substr(0, 8) != "android-") return std::string(folderName);
    const std::string level = removingAll(folderName, "android-");
    const auto version = versionNames().find(level);
    if (version == versionNames().end()) return "API " + level;
    return "API " + level + " (Android " + version->second + ")";
}

VersionOrder::Numbers AndroidScanner::versionNumbers(std::string_view name) {
    return VersionOrder::numbers(removingAll(name, "android-"));
}

bool AndroidScanner::isOlderVersion(std::string_view a, std::string_view b) {
    return VersionOrder::isOlder(versionNumbers(a), a, versionNumbers(b), b);
}

std::vector<std::string> AndroidScanner::deviceDescriptions() {
    const auto folder = Paths::home(".android", "avd");
    const auto names = sortedEntryNames(folder);
    std::vector<std::string> texts;
    for (const auto& name : names)
        if (name.ends_with(".ini"))
            if (auto text = readText(Paths::join(folder, name))) texts.push_back(std::move(*text));
    for (const auto& name : names)
        if (name.ends_with(".avd"))
            if (auto text = readText(Paths::join(Paths::join(folder, name), "config.ini")))
                texts.push_back(std::move(*text));
    return texts;
}

CategoryResult AndroidScanner::scan(const ScanContext& context) const {
    // The whole SDK is the footprint; everything in it below lies inside.
    const auto root = sdkRoot();
    Findings found;
    if (isDirectory(root)) found.addFootprint(measureFollowingLink(context, root));
    addSystemImages(context, root, found);
    addPackageFamilies(context, root, found);
    addCaches(context, found);
    addVirtualDevices(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void AndroidScanner::addSystemImages(const ScanContext& context, const std::string& root, Findings& found) const {
    const auto images = Paths::join(root, "system-images");
    if (!isDirectory(images)) return;
    const auto descriptions = deviceDescriptions();
    for (const auto& api : sortedEntryNames(images)) {
        if (context.isCancelled()) break;
        const auto apiFolder = Paths::join(images, api);
        for (const auto& tag : sortedEntryNames(apiFolder)) {
            for (const auto& entry : context.children(Paths::join(apiFolder, tag), true)) {
                const auto size = entry.measurement.bytes;
                if (size < 1) continue;
                const auto abi = Paths::lastComponent(entry.url);
                // Descriptions name the image by its folder names
                // (image.sysdir.1=system-images/android-34/google_apis/x86_64/);
                // the tag is left out so a renamed tag cannot hide a
                // device's image.
                const bool used = std::any_of(descriptions.begin(), descriptions.end(), [&](const auto& text) {
                    return text.find(api) != std::string::npos && text.find(abi) != std::string::npos;
                });
                const auto title = apiText(api) + " · " + tag + " · " + abi;
                if (used) {
                    found.add(makeCandidate({.ruleID = "android.systemImages",
                                             .groupTitle = "Emulator System Images",
                                             .title = title,
                                             .path = entry.url,
                                             .size = size,
                                             .safety = SafetyLevel::dangerous,
                                             .reason = "A virtual device you created is running on this image. "
                                                       "Removing it would break that emulator.",
                                             .lastModified = modificationDate(entry.url),
                                             .details = {{"Used by an AVD", "Yes"}}}));
                } else {
                    found.add(makeCandidate(
                        {.ruleID = "android.systemImages",
                         .groupTitle = "Emulator System Images",
                         .title = title,
                         .path = entry.url,
                         .size = size,
                         .safety = SafetyLevel::caution,
                         .reason = "A complete Android OS image for the emulator. No virtual device uses it. "
                                   "Re-downloadable from the SDK Manager, at around " +
                                   ByteFormat::string(size) + ".",
                         .restoreHint = "sdkmanager \"system-images;" + api + ";" + tag + ";" + abi + "\"",
                         .lastModified = modificationDate(entry.url),
                         .details = {{"Used by an AVD", "No"}}}));
                }
            }
        }
    }
}

void AndroidScanner::addPackageFamilies(const ScanContext& context, const std::string& root,
                                        Findings& found) const {
    for (const auto& family : packageFamilies()) {
        if (context.isCancelled()) break;
        const auto folder = Paths::join(root, family.folder);
        if (!isDirectory(folder)) continue;
        std::vector<ScanContext::Entry> items;
        for (auto& entry : context.children(folder, true))
            if (entry.measurement.bytes >= 1) items.push_back(std::move(entry));
        std::vector<std::string> names;
        for (const auto& item : items) names.push_back(Paths::lastComponent(item.url));
        const auto newest = VersionOrder::newest(names, &AndroidScanner::isOlderVersion);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto& item = items[i];
            const auto& name = names[i];
            const auto title = family.label + " " + apiText(name);
            const Details details{{"Newest installed", *newest}};
            if (name == *newest) {
                found.add(makeCandidate({.ruleID = family.ruleID,
                                         .groupTitle = family.label,
                                         .title = title,
                                         .path = item.url,
                                         .size = item.measurement.bytes,
                                         .safety = SafetyLevel::dangerous,
                                         .reason = "The newest " + AsciiText::lowercased(family.label) +
                                                   " installed. Your builds almost certainly compile against it.",
                                         .lastModified = modificationDate(item.url),
                                         .details = details}));
            } else {
                found.add(makeCandidate(
                    {.ruleID = family.ruleID,
                     .groupTitle = family.label,
                     .title = title,
                     .path = item.url,
                     .size = item.measurement.bytes,
                     .safety = SafetyLevel::caution,
                     .reason = family.description + " You have a newer version installed (" + *newest + ").",
                     .restoreHint = "Re-installable from Android Studio's SDK Manager",
                     .lastModified = modificationDate(item.url),
                     .details = details}));
            }
        }
    }
}

void AndroidScanner::addCaches(const ScanContext& context, Findings& found) const {
    const auto root = sdkRoot();
    for (const auto& cache : sdkCaches()) {
        const auto measurement = context.measure(cache.location, oneMiB);
        if (!measurement) continue;
        // The SDK's own cache is inside its measure already; the home folder's
        // lies outside it, and Android holds it all the same.
        if (!Paths::isAtOrBelow(cache.location, root)) found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = cache.ruleID,
                                 .groupTitle = "Android Caches",
                                 .title = cache.title,
                                 .path = cache.location,
                                 .size = measurement->bytes,
                                 .safety = cache.safety,
                                 .reason = cache.reason,
                                 .restoreHint = "Rebuilt automatically",
                                 .lastModified = measurement->newestModification}));
    }
}

void AndroidScanner::addVirtualDevices(const ScanContext& context, Findings& found) const {
    const auto devices = Paths::home(".android", "avd");
    if (!isDirectory(devices)) return;
    for (const auto& entry : context.children(devices, true)) {
        const auto size = entry.measurement.bytes;
        const auto name = Paths::lastComponent(entry.url);
        if (size <= smallestDevice || Paths::extension(name) != "avd") continue;
        found.addFootprint(size);
        found.add(makeCandidate(
            {.ruleID = "android.avd",
             .groupTitle = "Virtual Devices",
             .title = Paths::withoutExtension(name),
             .path = entry.url,
             .size = size,
             .safety = SafetyLevel::caution,
             .reason = "A virtual device, including everything installed inside it and its saved state. "
                       "Recreating it from the Device Manager gives you an empty device.",
             .restoreHint = "Recreate in Android Studio's Device Manager",
             .lastModified = newestElseOwn(entry.measurement, entry.url)}));
    }
}

}  // namespace korvane
