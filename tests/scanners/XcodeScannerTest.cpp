#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "core/scanners/ScanContext.h"
#include "core/scanners/XcodeScanner.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/ScannerTestSupport.h"
#include "tests/scanners/SizedFolder.h"
#include "tests/support/BinaryPlist.h"
#include "tests/support/HostilePlists.h"

namespace korvane {
namespace {

using testing::binaryPlist;
using testing::duBytes;
using testing::expectCandidate;
using testing::FakeToolHome;
using testing::folderOfSize;
using testing::localNoon;
using testing::setModified;

constexpr std::int64_t MiB = 1048576;

// The first candidate of each title.
std::map<std::string, CleanupCandidate> byTitle(const std::vector<CleanupCandidate>& candidates) {
    std::map<std::string, CleanupCandidate> map;
    for (const auto& candidate : candidates) map.emplace(candidate.title, candidate);
    return map;
}

std::string xmlPlist(const std::string& name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict><key>UDID</key><string>x</string><key>name</key><string>" +
           name + "</string></dict></plist>\n";
}

std::string binaryPlistNamed(const std::string& name) {
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "name", plist_new_string(name.c_str()));
    return binaryPlist(dict);
}

const char* deviceJSON = R"({"devices": {
  "com.apple.CoreSimulator.SimRuntime.iOS-17-2": [
    {"udid": "AAAA", "name": "iPhone 15", "state": "Shutdown", "isAvailable": true},
    {"udid": "BBBB", "name": "iPhone X", "state": "Shutdown", "isAvailable": false},
    {"udid": "FFFF", "name": "No State"}
  ],
  "com.apple.CoreSimulator.SimRuntime.watchOS-10-0": []
}})";

class XcodeScannerTest : public ::testing::Test {
protected:
    void makeDevices() {
        const std::string devices = "Library/Developer/CoreSimulator/Devices/";
        for (const auto* udid : {"AAAA", "BBBB", "CCCC", "DDDD", "EEEE", "FFFF"})
            home.tree.file(devices + udid + "/data/container", 8192);
        home.tree.text(devices + "CCCC/device.plist", xmlPlist("Old iPad"));
        home.tree.text(devices + "DDDD/device.plist", binaryPlistNamed("Old Watch"));
    }

    FakeToolHome home;
};

TEST_F(XcodeScannerTest, AvailableWhenEitherDeveloperFolderExists) {
    XcodeScanner scanner;
    EXPECT_EQ(scanner.category(), CleanupCategory::xcode);
    struct stat st {};
    if (::stat("/Applications/Xcode.app", &st) != 0) {
        EXPECT_FALSE(scanner.isAvailable());
    }
    home.tree.text("Library/Developer/CoreSimulator", "a file counts too");
    EXPECT_TRUE(scanner.isAvailable());
}

TEST_F(XcodeScannerTest, FindsEveryKindOfLocationWithItsTexts) {
    home.printingTool("xcrun", deviceJSON);
    const std::string xcode = "Library/Developer/Xcode/";
    home.tree.file(xcode + "DerivedData/My-App-abcdef/Build/Intermediates/a.o", 40000);
    home.tree.file(xcode + "DerivedData/My-App-abcdef/Index/b", 5000);
    home.tree.file(xcode + "DerivedData/ModuleCache.noindex/Foundation.pcm", 12000);
    home.tree.file(xcode + "DerivedData/Empty-abc", 0);  // 0 bytes: nothing at all
    home.tree.file(xcode + "iOS DeviceSupport/17.2 (21C62)/Symbols/lib", 9000);
    home.tree.text(xcode + "watchOS DeviceSupport", "not a folder");
    const auto archive =
        home.tree.file(xcode + "Archives/2024-01-05/MyApp 5-1-24, 10.00.xcarchive/Info.plist", 3000);
    home.tree.text(xcode + "Archives/stray-file", "lists nothing");
    setModified(home.path(xcode + "Archives/2024-01-05/MyApp 5-1-24, 10.00.xcarchive"),
                localNoon(2024, 1, 5));
    makeDevices();
    home.tree.file("Library/Developer/CoreSimulator/Caches/dyld/cache", 2 * MiB);
    home.tree.file("Library/Developer/CoreSimulator/Temp/t", 2 * MiB);
    home.tree.file("Library/Developer/CoreSimulator/Profiles/Runtimes/iOS 17.2.simruntime/img", 30000);
    home.tree.file("Library/Caches/com.apple.dt.Xcode/cache.db", 2 * MiB);
    home.tree.file(xcode + "UserData/Previews/p", 512 * 1024);  // under 1 MiB: not measured in
    home.tree.file(xcode + "Products/Debug/App", 2 * MiB);
    home.tree.file(xcode + "DocumentationCache/docs", 2 * MiB);
    home.tree.file("Library/Caches/org.swift.swiftpm/repositories/x", 2 * MiB);
    home.tree.file("Library/org.swift.swiftpm/security/y", MiB);

    auto context = home.context();
    const auto result = XcodeScanner().scan(*context);
    EXPECT_EQ(result.category, CleanupCategory::xcode);
    EXPECT_FALSE(result.note);
    EXPECT_EQ(home.arguments("xcrun"), "simctl\nlist\ndevices\n--json\n");

    const auto found = byTitle(result.candidates);
    const auto expect = [&](const std::string& title, const std::string& rule,
                            const std::string& relativePath, SafetyLevel safety) {
        return expectCandidate(found, home, CleanupCategory::xcode, title, rule, relativePath, safety);
    };

    if (const auto* c =
            expect("My-App", "xcode.derivedData", xcode + "DerivedData/My-App-abcdef", SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Derived Data");
        EXPECT_EQ(c->reason,
                  "Build intermediates, indexes and logs for this project. Xcode recreates them on the next "
                  "build — "
                  "your source code is untouched.");
        EXPECT_EQ(c->restoreHint, "Rebuilt on next build");
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Files", "2"}}));
        EXPECT_TRUE(c->lastModified);
    }
    if (const auto* c = expect("Precompiled modules", "xcode.moduleCache",
                               xcode + "DerivedData/ModuleCache.noindex", SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Module Cache");
        EXPECT_EQ(c->restoreHint, "Rebuilt automatically");
        EXPECT_TRUE(c->details.empty());
    }
    if (const auto* c = expect("iOS 17.2 (21C62)", "xcode.deviceSupport",
                               xcode + "iOS DeviceSupport/17.2 (21C62)", SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Device Support");
        EXPECT_EQ(
            c->reason,
            "Debug symbols copied from a device running iOS 17.2 (21C62). Xcode copies them again the next "
            "time you attach a device on that version.");
        EXPECT_EQ(c->restoreHint, "Re-copied when you next connect that device");
    }
    if (const auto* c =
            expect("MyApp 5-1-24, 10.00", "xcode.archives",
                   xcode + "Archives/2024-01-05/MyApp 5-1-24, 10.00.xcarchive", SafetyLevel::caution)) {
        EXPECT_EQ(c->groupTitle, "Archives");
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Archived", "Jan 5, 2024"}}));
        EXPECT_EQ(c->lastModified, localNoon(2024, 1, 5));
        EXPECT_EQ(c->restoreHint, "Cannot be recreated without rebuilding that exact commit");
    }
    (void)archive;

    const std::string devices = "Library/Developer/CoreSimulator/Devices/";
    if (const auto* c =
            expect("iPhone 15", "xcode.simulatorDevices", devices + "AAAA", SafetyLevel::caution)) {
        EXPECT_EQ(c->groupTitle, "Simulator Devices");
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Runtime", "iOS 17 2"}, {"State", "Shutdown"}}));
        EXPECT_EQ(c->restoreHint, "Recreated empty the next time you boot this simulator");
        EXPECT_EQ(
            c->reason,
            "Apps, databases and screenshots stored inside this simulator. Removing it resets the device to "
            "factory state.");
    }
    if (const auto* c =
            expect("iPhone X (unavailable)", "xcode.simulatorDevices", devices + "BBBB", SafetyLevel::safe)) {
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Runtime", "iOS 17 2"}, {"State", "Shutdown"}}));
        EXPECT_FALSE(c->restoreHint);
        EXPECT_EQ(c->reason,
                  "This simulator's runtime is no longer installed, so the device cannot be booted. Nothing "
                  "can read "
                  "this data.");
    }
    if (const auto* c =
            expect("Old iPad (unavailable)", "xcode.simulatorDevices", devices + "CCCC", SafetyLevel::safe)) {
        EXPECT_TRUE(c->details.empty());
    }
    expect("Old Watch (unavailable)", "xcode.simulatorDevices", devices + "DDDD", SafetyLevel::safe);
    expect("EEEE (unavailable)", "xcode.simulatorDevices", devices + "EEEE", SafetyLevel::safe);
    if (const auto* c =
            expect("No State", "xcode.simulatorDevices", devices + "FFFF", SafetyLevel::caution)) {
        EXPECT_EQ(c->details.at("State"), "Unknown");
    }

    if (const auto* c = expect("Simulator caches", "xcode.simulatorCaches",
                               "Library/Developer/CoreSimulator/Caches", SafetyLevel::safe)) {
        EXPECT_EQ(c->restoreHint, "Rebuilt on next simulator boot");
    }
    if (const auto* c = expect("iOS 17.2", "xcode.simulatorRuntimes",
                               "Library/Developer/CoreSimulator/Profiles/Runtimes/iOS 17.2.simruntime",
                               SafetyLevel::caution)) {
        EXPECT_EQ(c->restoreHint, "Re-downloadable from Xcode → Settings → Platforms");
    }
    if (const auto* c = expect("Xcode application cache", "xcode.appCache",
                               "Library/Caches/com.apple.dt.Xcode", SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Xcode Caches");
        EXPECT_EQ(c->reason, "Indexes and downloaded components cached by Xcode. Rebuilt on demand.");
    }
    if (const auto* c = expect("Documentation cache", "xcode.documentation", xcode + "DocumentationCache",
                               SafetyLevel::safe)) {
        EXPECT_EQ(c->reason,
                  "Downloaded developer documentation. Re-downloaded when you open the docs window.");
    }
    if (const auto* c =
            expect("Package cache", "xcode.swiftpm", "Library/Caches/org.swift.swiftpm", SafetyLevel::safe)) {
        EXPECT_EQ(c->restoreHint, "Re-fetched on next package resolve");
    }

    // The second Swift package folder has the same title; both are offered.
    int packageCaches = 0;
    for (const auto& c : result.candidates) packageCaches += c.ruleID == "xcode.swiftpm" ? 1 : 0;
    EXPECT_EQ(packageCaches, 2);
    // Built products and simulator temp lie outside their rules' shapes:
    // measured into the footprint only. The small previews cache is not
    // measured in at all.
    EXPECT_EQ(found.count("Built products"), 0u);
    EXPECT_EQ(found.count("Simulator temp"), 0u);
    EXPECT_EQ(found.count("SwiftUI Previews cache"), 0u);
    EXPECT_EQ(result.candidates.size(), 16u);

    std::int64_t expected = 0;
    for (const auto* p :
         {"DerivedData/My-App-abcdef", "DerivedData/ModuleCache.noindex", "iOS DeviceSupport/17.2 (21C62)",
          "Archives/2024-01-05/MyApp 5-1-24, 10.00.xcarchive", "Products", "DocumentationCache"})
        expected += duBytes(home.path(xcode + p));
    for (const auto* p : {"AAAA", "BBBB", "CCCC", "DDDD", "EEEE", "FFFF"})
        expected += duBytes(home.path(devices + p));
    for (const auto* p : {"Library/Developer/CoreSimulator/Caches", "Library/Developer/CoreSimulator/Temp",
                          "Library/Developer/CoreSimulator/Profiles/Runtimes/iOS 17.2.simruntime",
                          "Library/Caches/com.apple.dt.Xcode", "Library/Caches/org.swift.swiftpm",
                          "Library/org.swift.swiftpm"})
        expected += duBytes(home.path(p));
    EXPECT_EQ(result.footprint, expected);
}

TEST_F(XcodeScannerTest, AFailedSimulatorQueryNeverMarksDevicesUnavailable) {
    makeDevices();
    const auto check = [&](const XcodeScanner& scanner, const std::string& what) {
        auto context = home.context();
        const auto result = scanner.scan(*context);
        const auto found = byTitle(result.candidates);
        ASSERT_EQ(found.size(), 6u) << what;
        for (const auto* title : {"AAAA", "BBBB", "Old iPad", "Old Watch", "EEEE", "FFFF"}) {
            const auto it = found.find(title);
            ASSERT_NE(it, found.end()) << what << ": " << title;
            EXPECT_EQ(it->second.safety, SafetyLevel::caution) << what;
            EXPECT_FALSE(it->second.isSelectedByDefault) << what;
            EXPECT_NE(it->second.reason.find("state is unknown"), std::string::npos) << what;
            EXPECT_EQ(it->second.details.at("State"), "Unknown") << what;
        }
        std::int64_t expected = 0;
        for (const auto* udid : {"AAAA", "BBBB", "CCCC", "DDDD", "EEEE", "FFFF"})
            expected += duBytes(home.path(std::string("Library/Developer/CoreSimulator/Devices/") + udid));
        EXPECT_EQ(result.footprint, expected) << what;
    };

    check(XcodeScanner(), "tool missing");
    home.printingTool("xcrun", deviceJSON, 1);
    check(XcodeScanner(), "non-zero exit");
    home.printingTool("xcrun", "garbage {");
    check(XcodeScanner(), "garbage");
    home.printingTool("xcrun", R"({"devices": {"r": [{"udid": "AAAA"}, 3]}})");
    check(XcodeScanner(), "wrong shape");
    home.hangingTool("xcrun");
    check(XcodeScanner(0.2), "time-out");
}

TEST_F(XcodeScannerTest, ASuccessfulEmptyAnswerMarksUnlistedDevicesUnavailable) {
    home.printingTool("xcrun", R"({"devices": {}})");
    makeDevices();
    auto context = home.context();
    const auto found = byTitle(XcodeScanner().scan(*context).candidates);
    ASSERT_EQ(found.count("AAAA (unavailable)"), 1u);
    EXPECT_EQ(found.at("AAAA (unavailable)").safety, SafetyLevel::safe);
    EXPECT_TRUE(found.at("AAAA (unavailable)").isSelectedByDefault);
    EXPECT_EQ(found.count("Old iPad (unavailable)"), 1u);
}

TEST_F(XcodeScannerTest, TheDeviceSetFileIsNoDevice) {
    // CoreSimulator keeps its own device_set.plist beside the device folders.
    makeDevices();
    const auto deviceSet =
        home.tree.text("Library/Developer/CoreSimulator/Devices/device_set.plist", std::string(6000, 'x'));
    const auto check = [&](const std::string& what) {
        auto context = home.context();
        const auto result = XcodeScanner().scan(*context);
        EXPECT_EQ(result.candidates.size(), 6u) << what;
        for (const auto& candidate : result.candidates)
            EXPECT_EQ(candidate.path.find("device_set"), std::string::npos) << what << ": " << candidate.title;
        std::int64_t expected = duBytes(deviceSet);
        for (const auto* udid : {"AAAA", "BBBB", "CCCC", "DDDD", "EEEE", "FFFF"})
            expected += duBytes(home.path(std::string("Library/Developer/CoreSimulator/Devices/") + udid));
        EXPECT_EQ(result.footprint, expected) << what;
    };
    home.printingTool("xcrun", deviceJSON);
    check("listed");
    home.printingTool("xcrun", deviceJSON, 1);
    check("query failed");
}

TEST_F(XcodeScannerTest, ParsesTheDeviceList) {
    const auto devices = XcodeScanner::parseDeviceList(R"({"devices": {
        "com.apple.CoreSimulator.SimRuntime.iOS-17-2": [
            {"udid": "A", "name": "Phone", "state": "Booted", "isAvailable": false},
            {"udid": "B", "name": 7, "isAvailable": "no"},
            {"name": "no udid"},
            {"udid": 5}
        ],
        "com.apple.CoreSimulator.SimRuntime.tvOS-17-0": [{"udid": "A", "name": "Later wins"}]
    }, "other": 1})");
    ASSERT_TRUE(devices);
    ASSERT_EQ(devices->size(), 2u);
    EXPECT_EQ(devices->at("A"), (XcodeScanner::SimulatorDevice{"Later wins", "tvOS 17 0", "Unknown", true}));
    EXPECT_EQ(devices->at("B"), (XcodeScanner::SimulatorDevice{"B", "iOS 17 2", "Unknown", true}));

    EXPECT_FALSE(XcodeScanner::parseDeviceList(""));
    EXPECT_FALSE(XcodeScanner::parseDeviceList("[]"));
    EXPECT_FALSE(XcodeScanner::parseDeviceList(R"({"devices": []})"));
    EXPECT_FALSE(XcodeScanner::parseDeviceList(R"({"nothing": {}})"));
    EXPECT_FALSE(XcodeScanner::parseDeviceList(R"({"devices": {"r": {}}})"));
    EXPECT_FALSE(XcodeScanner::parseDeviceList("{\"devices\": {\"r\": [{\"udid\": \"\xff\"}]}}"));
    EXPECT_EQ(XcodeScanner::parseDeviceList(R"({"devices": {"r": []}})"), XcodeScanner::DeviceList{});
}

TEST_F(XcodeScannerTest, ReadsTheDeviceNameFromXmlOrBinaryPlists) {
    const auto named = [&](const std::string& folder, const std::string& contents) {
        home.tree.text(folder + "/device.plist", contents);
        return XcodeScanner::deviceName(home.path(folder));
    };
    EXPECT_EQ(named("xml", xmlPlist("iPhone “Pro” 15")), "iPhone “Pro” 15");
    EXPECT_EQ(named("bin", binaryPlistNamed("Apple Watch")), "Apple Watch");
    EXPECT_FALSE(XcodeScanner::deviceName(home.tree.folder("missing")));
    EXPECT_FALSE(named("empty", ""));
    EXPECT_FALSE(named("garbage", "not a property list at all"));
    EXPECT_FALSE(named("truncated", binaryPlistNamed("Apple Watch").substr(0, 20)));
    plist_t array = plist_new_array();
    plist_array_append_item(array, plist_new_string("x"));
    EXPECT_FALSE(named("array", binaryPlist(array)));
    plist_t numberName = plist_new_dict();
    plist_dict_set_item(numberName, "name", plist_new_uint(4));
    EXPECT_FALSE(named("number", binaryPlist(numberName)));
    EXPECT_FALSE(
        named("noname", "<plist version=\"1.0\"><dict><key>UDID</key><string>x</string></dict></plist>"));
    home.tree.folder("folder/device.plist");
    EXPECT_FALSE(XcodeScanner::deviceName(home.path("folder")));
    home.tree.symlink("link/device.plist", home.path("xml/device.plist"));
    EXPECT_FALSE(XcodeScanner::deviceName(home.path("link")));
}

TEST_F(XcodeScannerTest, ADeviceNameHoldingNulOrANestedListGivesNoName) {
    const std::string nul(1, '\0');
    const testing::StringPairs valid{{"UDID", "x"}, {"name", "iPhone 15"}};
    struct Case {
        std::string label;
        std::string contents;
    };
    std::vector<Case> cases;
    for (auto form : {testing::PlistForm::xml, testing::PlistForm::binaryUtf16})
        cases.push_back({testing::formName(form),
                         testing::stringDictionary({{"UDID", "x"}, {"name", "iPhone" + nul + "15"}}, form)});
    cases.push_back({"deep xml", testing::deepXml(valid, 40)});
    cases.push_back({"deep binary", testing::deepBinary(valid, 40)});
    for (const auto& c : cases) {
        home.tree.text(c.label + "/device.plist", c.contents);
        EXPECT_EQ(XcodeScanner::deviceName(home.path(c.label)), std::nullopt) << c.label;
    }
}

TEST_F(XcodeScannerTest, AScanSurvivesAFolderOfHostileDeviceFiles) {
    const std::string devices = "Library/Developer/CoreSimulator/Devices/";
    std::vector<std::string> udids;
    for (const auto& file : testing::hostilePlists({{"name", "Hostile"}})) {
        home.tree.text(devices + file.label + "/device.plist", file.bytes);
        udids.push_back(file.label);
    }
    home.tree.text(devices + "GOOD/device.plist", xmlPlist("Old iPad"));
    // Nothing answers for the simulator tool, so every device file is read.
    auto context = home.context();
    const auto found = byTitle(XcodeScanner().scan(*context).candidates);
    EXPECT_EQ(found.size(), udids.size() + 1);
    EXPECT_EQ(found.count("Old iPad"), 1u);
    for (const auto& udid : udids) EXPECT_EQ(found.count(udid), 1u) << udid;
}

TEST_F(XcodeScannerTest, ProjectNameDropsTheLastDashPiece) {
    EXPECT_EQ(XcodeScanner::projectName("MyApp-abcdef"), "MyApp");
    EXPECT_EQ(XcodeScanner::projectName("My-App-abcdef"), "My-App");
    EXPECT_EQ(XcodeScanner::projectName("Tool"), "Tool");
    EXPECT_EQ(XcodeScanner::projectName("a--b"), "a");
    EXPECT_EQ(XcodeScanner::projectName("-abc-"), "-abc-");
    EXPECT_EQ(XcodeScanner::projectName(""), "");
}

TEST_F(XcodeScannerTest, MinimumSizesAreInclusive) {
    home.printingTool("xcrun", R"({"devices": {}})");
    folderOfSize(home.tree, "Library/Developer/CoreSimulator/Caches", MiB);
    folderOfSize(home.tree, "Library/Caches/com.apple.dt.Xcode", MiB - 4096);
    auto context = home.context();
    auto result = XcodeScanner().scan(*context);
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].title, "Simulator caches");
    EXPECT_EQ(result.candidates[0].size, MiB);
    EXPECT_EQ(result.footprint, MiB);  // the smaller cache counts nowhere
}

TEST_F(XcodeScannerTest, ARefusedLocationCountsInTheFootprintOnly) {
    home.printingTool("xcrun", R"({"devices": {}})");
    // A derived-data folder that holds a repository is refused by the general
    // verdict, but it still occupies the disk.
    home.tree.file("Library/Developer/Xcode/DerivedData/Repo-abc/.git/HEAD", 100);
    home.tree.file("Library/Developer/Xcode/DerivedData/Repo-abc/x", 5000);
    auto context = home.context();
    const auto result = XcodeScanner().scan(*context);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, duBytes(home.path("Library/Developer/Xcode/DerivedData/Repo-abc")));
}

TEST_F(XcodeScannerTest, FormatsArchiveDatesInEnglish) {
    EXPECT_EQ(XcodeScanner::formatDate(localNoon(2023, 12, 31)), "Dec 31, 2023");
    EXPECT_EQ(XcodeScanner::formatDate(localNoon(2024, 2, 9)), "Feb 9, 2024");
}

}  // namespace
}  // namespace korvane
