#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/scanners/CategoryScanner.h"
#include "core/scanners/VersionOrder.h"

namespace korvane {

class ScanContext;

// What the Android SDK and its emulator keep on disk: system images, the SDK
// package families (platforms, build tools, NDK releases, platform sources),
// two caches and the virtual devices. Whatever something still depends on
// (an image a virtual device runs on, the newest release of each family) is
// protected; the caches alone are selected. Reads the disk only.
class AndroidScanner final : public CategoryScanner {
public:
    // An SDK package family: the folder under the SDK root holding one
    // sub-folder per installed release.
    struct PackageFamily {
        std::string folder;
        std::string ruleID;
        std::string label;
        std::string description;
    };
    // A cache the SDK tools refill themselves.
    struct SdkCache {
        std::string location;
        std::string ruleID;
        std::string title;
        std::string reason;
        SafetyLevel safety = SafetyLevel::safe;
    };

    CleanupCategory category() const override { return CleanupCategory::android; }
    // True when something exists at the SDK root or at ~/.android.
    bool isAvailable() const override;
    CategoryResult scan(const ScanContext& context) const override;

    // The SDK root, looked up afresh on every call: $ANDROID_HOME, else (only
    // when that is unset) $ANDROID_SDK_ROOT, each used only when something
    // exists at its path; otherwise ~/Android/Sdk when something exists
    // there, else ~/Library/Android/sdk.
    static std::string sdkRoot();

    // API level -> Android version ("34" -> "14").
    static const std::map<std::string, std::string, std::less<>>& versionNames();
    // The four families, in scan order.
    static const std::vector<PackageFamily>& packageFamilies();
    // The two caches for the home folder and SDK root in force, in scan order.
    static std::vector<SdkCache> sdkCaches();

    // "android-34" -> "API 34 (Android 14)", "android-UpsideDownCake" ->
    // "API UpsideDownCake"; any other name unchanged.
    static std::string apiText(std::string_view folderName);

    // The numbers of a version folder name, every "android-" removed first:
    // "android-34" -> [34], "25.0.0-rc1" -> [25, 0, 0, 1].
    static VersionOrder::Numbers versionNumbers(std::string_view name);
    // Strict less-than on version folder names: numbers first, then text.
    static bool isOlderVersion(std::string_view a, std::string_view b);

    // The whole texts of the virtual-device descriptions under ~/.android/avd:
    // every "*.ini" file, then every "*.avd/config.ini". Files that cannot be
    // read as UTF-8 text are left out.
    static std::vector<std::string> deviceDescriptions();

private:
    // The steps of scan(), in order.
    // Emulator system images, one per API level, tag and ABI; an image a
    // virtual device runs on is protected.
    void addSystemImages(const ScanContext& context, const std::string& root, Findings& found) const;
    // Every release of each package family; the newest is protected.
    void addPackageFamilies(const ScanContext& context, const std::string& root, Findings& found) const;
    // The SDK's cache lies inside the footprint already; the home one is left
    // out of it on purpose.
    void addCaches(const ScanContext& context, Findings& found) const;
    void addVirtualDevices(const ScanContext& context, Findings& found) const;
};

}  // namespace korvane
