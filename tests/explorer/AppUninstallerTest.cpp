#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/explorer/AppUninstaller.h"
#include "core/text/ByteFormat.h"
#include "core/system/Paths.h"
#include "core/safety/SafetyPolicy.h"
#include "tests/explorer/ScanTestSupport.h"
#include "tests/support/BinaryPlist.h"
#include "tests/support/HostilePlists.h"

namespace korvane {
namespace {

using testing::allocate;
using testing::binaryPlist;
using testing::duBytes;
using testing::TempTree;
using App = AppUninstaller::InstalledApp;
using Location = AppUninstaller::Location;

constexpr std::int64_t KiB = 1024;

std::string xmlInfo(const std::map<std::string, std::string>& values) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : values)
        text += "\t<key>" + key + "</key>\n\t<string>" + value + "</string>\n";
    return text + "</dict>\n</plist>\n";
}

std::string binaryInfo(const std::map<std::string, std::string>& values) {
    plist_t dict = plist_new_dict();
    for (const auto& [key, value] : values)
        plist_dict_set_item(dict, key.c_str(), plist_new_string(value.c_str()));
    return binaryPlist(dict);
}

// A temporary home with the Library folders, and an application folder of
// its own beside it (the system's folders are never looked at).
class AppUninstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = tree.folder("home");
        Paths::setHomeForTesting(home);
        apps = tree.folder("Applications");
        for (const auto& location : AppUninstaller::leftoverLocations())
            tree.folder("home/" + location.relative);
    }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }

    std::vector<std::string> folders() const { return {apps, Paths::home("Applications")}; }

    // A bundle in the application folder with `bytes` of content and the
    // given information dictionary (none when empty).
    std::string bundle(const std::string& name, const std::string& info, std::int64_t bytes = 64 * KiB,
                       const std::string& folder = "Applications") {
        const std::string relative = folder + "/" + name;
        allocate(tree, relative + "/Contents/MacOS/binary", bytes);
        if (!info.empty()) tree.text(relative + "/Contents/Info.plist", info);
        return tree.path(relative);
    }
    std::string leftover(const std::string& relative, std::int64_t bytes = 16 * KiB) {
        return allocate(tree, "home/Library/" + relative, bytes);
    }
    std::string leftoverFolder(const std::string& relative, std::int64_t bytes = 16 * KiB) {
        allocate(tree, "home/Library/" + relative + "/data", bytes);
        return tree.path("home/Library/" + relative);
    }

    static const App* named(const std::vector<App>& list, const std::string& name) {
        for (const auto& app : list)
            if (app.name == name) return &app;
        return nullptr;
    }
    static std::map<std::string, AppUninstaller::Leftover> byName(
        const std::vector<AppUninstaller::Leftover>& list) {
        std::map<std::string, AppUninstaller::Leftover> map;
        for (const auto& item : list) map.emplace(Paths::lastComponent(item.path), item);
        return map;
    }

    TempTree tree;
    std::string home;
    std::string apps;
};

TEST_F(AppUninstallerTest, LocationsAndDefaultFolders) {
    const auto& locations = AppUninstaller::leftoverLocations();
    ASSERT_EQ(locations.size(), 17u);
    EXPECT_EQ(locations[0], (Location{"Library/Application Support", "Application Support", true}));
    EXPECT_EQ(locations[1], (Location{"Library/Caches", "Caches", true}));
    EXPECT_EQ(locations[2], (Location{"Library/Containers", "Container", false}));
    EXPECT_EQ(locations[9], (Location{"Library/Logs", "Logs", true}));
    EXPECT_EQ(locations[11], (Location{"Library/LaunchAgents", "Launch agent", false}));
    // A Flatpak's sandbox is named by its id only; the per-user folders by id or name.
    EXPECT_EQ(locations[12], (Location{".var/app", "Sandbox data", false}));
    EXPECT_EQ(locations[13], (Location{".config", "Settings", true}));
    EXPECT_EQ(locations[16], (Location{".local/state", "State", true}));
    EXPECT_EQ(
        std::count_if(locations.begin(), locations.end(), [](const Location& l) { return l.matchesName; }),
        7);

    EXPECT_EQ(AppUninstaller::defaultApplicationFolders(),
              (std::vector<std::string>{"/Applications", home + "/Applications", "/Applications/Utilities"}));
    EXPECT_EQ(AppUninstaller().applicationFolders(), AppUninstaller::defaultApplicationFolders());
    // Standardised, each once, relative ones dropped.
    AppUninstaller injected({apps + "/", apps, "relative/folder", "~/Applications"});
    EXPECT_EQ(injected.applicationFolders(), (std::vector<std::string>{apps, home + "/Applications"}));
}

TEST_F(AppUninstallerTest, ReadsXmlAndBinaryInformationDictionaries) {
    bundle("Alpha.app",
           xmlInfo({{"CFBundleIdentifier", "com.example.alpha"},
                    {"CFBundleShortVersionString", "1.2"},
                    {"CFBundleVersion", "120"}}),
           640 * KiB);
    bundle("Beta.app", binaryInfo({{"CFBundleIdentifier", "org.example.beta"}, {"CFBundleVersion", "45"}}),
           320 * KiB);
    // Identifier of the wrong type, an empty short version.
    {
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict, "CFBundleIdentifier", plist_new_uint(7));
        plist_dict_set_item(dict, "CFBundleShortVersionString", plist_new_string(""));
        plist_dict_set_item(dict, "CFBundleVersion", plist_new_string("9"));
        bundle("Typed.app", binaryPlist(dict), 256 * KiB);
    }
    bundle("Bare.app", "", 128 * KiB);
    tree.file("Applications/Notes.txt", 10);
    bundle("Upper.APP", xmlInfo({{"CFBundleIdentifier", "com.example.upper"}}));
    bundle("Sub/Inner.app", xmlInfo({{"CFBundleIdentifier", "com.example.inner"}}), 64 * KiB, "Applications");
    bundle("Mine.app", xmlInfo({{"CFBundleIdentifier", "com.example.mine"}}), 32 * KiB, "home/Applications");

    AppUninstaller uninstaller(folders());
    const auto list = uninstaller.installedApps();
    std::vector<std::string> names;
    for (const auto& app : list) names.push_back(app.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Typed", "Bare", "Mine"}));

    const App* alpha = named(list, "Alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->bundleURL, apps + "/Alpha.app");
    EXPECT_EQ(alpha->id(), alpha->bundleURL);
    EXPECT_EQ(alpha->bundleIdentifier, "com.example.alpha");
    EXPECT_EQ(alpha->version, "1.2");
    EXPECT_EQ(alpha->bundleBytes, duBytes(alpha->bundleURL));
    EXPECT_EQ(alpha->totalBytes(), alpha->bundleBytes);
    EXPECT_TRUE(alpha->lastUsed.has_value());
    EXPECT_FALSE(alpha->isSystem);
    EXPECT_TRUE(alpha->leftovers.empty());

    const App* beta = named(list, "Beta");
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(beta->bundleIdentifier, "org.example.beta");
    EXPECT_EQ(beta->version, "45");  // no short version: the build version
    EXPECT_EQ(beta->bundleBytes, duBytes(beta->bundleURL));

    const App* typed = named(list, "Typed");
    ASSERT_NE(typed, nullptr);
    EXPECT_FALSE(typed->bundleIdentifier.has_value());
    EXPECT_EQ(typed->version, "9");

    const App* bare = named(list, "Bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_FALSE(bare->bundleIdentifier.has_value());
    EXPECT_FALSE(bare->version.has_value());
    EXPECT_EQ(bare->bundleBytes, duBytes(bare->bundleURL));

    const App* mine = named(list, "Mine");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->bundleURL, home + "/Applications/Mine.app");
}

TEST_F(AppUninstallerTest, BrokenOrOddBundlesFallBackWithoutFailing) {
    bundle("Malformed.app", "<?xml version=\"1.0\"?><plist><dict><key>CFBundleIdentifier</key><str",
           96 * KiB);
    bundle("Garbage.app", std::string("bplist00\xff\xff\xff\x01\x02", 13), 80 * KiB);
    bundle("ArrayRoot.app", "<plist version=\"1.0\"><array><string>com.x.y</string></array></plist>",
           72 * KiB);
    bundle("FolderInfo.app", "", 60 * KiB);
    tree.folder("Applications/FolderInfo.app/Contents/Info.plist");
    bundle("Fifo.app", "", 50 * KiB);
    ASSERT_EQ(::mkfifo(tree.path("Applications/Fifo.app/Contents/Info.plist").c_str(), 0600), 0);
    const std::string oddName = "My App\nnew \xff\xfe line.app";
    bundle(oddName, xmlInfo({{"CFBundleIdentifier", "com.example.odd"}}), 40 * KiB);
    tree.file("Applications/File.app", 5000);  // not a folder at all
    tree.symlink("Applications/Link.app", apps + "/Malformed.app");
    tree.folder("Applications/.app");

    AppUninstaller uninstaller(folders());
    const auto list = uninstaller.installedApps();
    EXPECT_EQ(list.size(), 9u);
    for (const char* name :
         {"Malformed", "Garbage", "ArrayRoot", "FolderInfo", "Fifo", "File", "Link", ".app"}) {
        const App* app = named(list, name);
        ASSERT_NE(app, nullptr) << name;
        EXPECT_FALSE(app->bundleIdentifier.has_value()) << name;
        EXPECT_FALSE(app->version.has_value()) << name;
    }
    EXPECT_EQ(named(list, "Malformed")->bundleBytes, duBytes(apps + "/Malformed.app"));
    EXPECT_EQ(named(list, "File")->bundleBytes, duBytes(apps + "/File.app"));
    // A linked bundle is not followed: only the link itself is measured.
    EXPECT_LT(named(list, "Link")->bundleBytes, named(list, "Malformed")->bundleBytes);

    const App* odd = named(list, "My App\nnew \xff\xfe line");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->bundleIdentifier, "com.example.odd");
    EXPECT_EQ(odd->bundleURL, apps + "/" + oddName);
    EXPECT_EQ(odd->bundleBytes, duBytes(odd->bundleURL));
}

TEST_F(AppUninstallerTest, AnInformationStringHoldingNulIsAbsent) {
    const std::string nul(1, '\0');
    using Pairs = testing::StringPairs;
    struct Case {
        const char* label;
        Pairs info;
        std::optional<std::string> identifier;
        std::optional<std::string> version;
    };
    const Case cases[] = {
        {"Identifier",
         {{"CFBundleIdentifier", "com.example" + nul + ".foo"}, {"CFBundleShortVersionString", "2.0"}},
         std::nullopt,
         "2.0"},
        {"ShortVersion",
         {{"CFBundleIdentifier", "com.example.foo"},
          {"CFBundleShortVersionString", "2.0" + nul},
          {"CFBundleVersion", "45"}},
         "com.example.foo",
         "45"},
        {"Version", {{"CFBundleIdentifier", "com.example.foo"}, {"CFBundleVersion", nul + "45"}}, "com.example.foo",
         std::nullopt},
    };
    for (auto form : {testing::PlistForm::xml, testing::PlistForm::binaryUtf16}) {
        for (const Case& c : cases)
            bundle(std::string(c.label) + testing::formName(form) + ".app", testing::stringDictionary(c.info, form));
    }
    AppUninstaller uninstaller(folders());
    const auto list = uninstaller.installedApps();
    ASSERT_EQ(list.size(), 6u);
    for (auto form : {testing::PlistForm::xml, testing::PlistForm::binaryUtf16}) {
        for (const Case& c : cases) {
            const std::string name = std::string(c.label) + testing::formName(form);
            const App* app = named(list, name);
            ASSERT_NE(app, nullptr) << name;
            EXPECT_EQ(app->bundleIdentifier, c.identifier) << name;
            EXPECT_EQ(app->version, c.version) << name;
        }
    }
}

TEST_F(AppUninstallerTest, AListingSurvivesAFolderOfHostileInformationFiles) {
    const testing::StringPairs info{{"CFBundleIdentifier", "com.example.hostile"},
                                    {"CFBundleShortVersionString", "6.6"},
                                    {"CFBundleVersion", "66"}};
    std::vector<std::string> names;
    for (const auto& file : testing::hostilePlists(info)) {
        bundle(file.label + ".app", file.bytes, 16 * KiB);
        names.push_back(file.label);
    }
    bundle("Deep.app", testing::deepXml(info, 40), 16 * KiB);
    bundle("DeepBinary.app", testing::deepBinary(info, 40), 16 * KiB);
    names.insert(names.end(), {"Deep", "DeepBinary"});
    bundle("Good.app", xmlInfo({{"CFBundleIdentifier", "com.example.good"}}), 16 * KiB);

    AppUninstaller uninstaller(folders());
    const auto list = uninstaller.installedApps();
    EXPECT_EQ(list.size(), names.size() + 1);
    for (const auto& name : names) {
        const App* app = named(list, name);
        ASSERT_NE(app, nullptr) << name;
        EXPECT_FALSE(app->bundleIdentifier.has_value()) << name;
        EXPECT_FALSE(app->version.has_value()) << name;
        EXPECT_GT(app->bundleBytes, 0) << name;
    }
    ASSERT_NE(named(list, "Good"), nullptr);
    EXPECT_EQ(named(list, "Good")->bundleIdentifier, "com.example.good");
}

TEST_F(AppUninstallerTest, SystemApplicationsOnlyWhenAsked) {
    bundle("Safari.app", xmlInfo({{"CFBundleIdentifier", "com.apple.Safari"}}), 512 * KiB);
    bundle("Apple.app", xmlInfo({{"CFBundleIdentifier", "com.apple"}}), 64 * KiB);  // not below "com.apple."
    bundle("Other.app", xmlInfo({{"CFBundleIdentifier", "com.example.other"}}), 128 * KiB);

    auto list = AppUninstaller(folders()).installedApps(false);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Other");
    EXPECT_EQ(list[1].name, "Apple");

    list = AppUninstaller(folders()).installedApps(true);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "Safari");
    EXPECT_TRUE(list[0].isSystem);
    EXPECT_FALSE(list[1].isSystem);

    // Anything under /System is a system application whatever it says.
    AppUninstaller uninstaller(folders());
    EXPECT_TRUE(uninstaller.inspect("/System/Applications/Nothing.app").isSystem);
    const auto missing = uninstaller.inspect("/System/Applications/Nothing.app");
    EXPECT_EQ(missing.name, "Nothing");
    EXPECT_EQ(missing.bundleBytes, 0);
    EXPECT_FALSE(missing.lastUsed.has_value());
}

TEST_F(AppUninstallerTest, OrderIsLargestFirstThenFolderAndName) {
    bundle("B.app", "", 64 * KiB);
    bundle("A.app", "", 64 * KiB);
    bundle("C.app", "", 256 * KiB);
    bundle("A.app", "", 64 * KiB, "home/Applications");
    tree.folder("Applications/Empty.app");
    tree.folder("Applications/Empty2.app");
    // Equal sizes keep folder order, then plain byte order of names.
    auto list = AppUninstaller({apps, Paths::home("Applications"), tree.path("missing")}).installedApps();
    std::vector<std::string> urls;
    for (const auto& app : list) urls.push_back(app.bundleURL);
    EXPECT_EQ(urls, (std::vector<std::string>{apps + "/C.app", apps + "/A.app", apps + "/B.app",
                                              home + "/Applications/A.app", apps + "/Empty.app",
                                              apps + "/Empty2.app"}));
}

TEST_F(AppUninstallerTest, MatchesExactIdentifiersAndNames) {
    App app;
    app.name = "Foo";
    app.bundleIdentifier = "com.example.foo";
    const Location caches{"Library/Caches", "Caches", true};
    const Location prefs{"Library/Preferences", "Preferences", false};

    EXPECT_EQ(AppUninstaller::match("com.example.foo", app, prefs), "com.example.foo");
    EXPECT_EQ(AppUninstaller::match("com.example.foo.plist", app, prefs), "com.example.foo");
    EXPECT_EQ(AppUninstaller::match("com.example.foo.savedState", app, prefs), "com.example.foo");
    EXPECT_EQ(AppUninstaller::match("Foo", app, caches), "Foo");
    EXPECT_EQ(AppUninstaller::match("Foo.app", app, caches), "Foo");
    for (const char* name :
         {"com.example.foobar", "com.example.fo", "com.example", "com.example.foo-x", "xcom.example.foo",
          "com.example.Foo", "TEAM.com.example.foo", "com.example.foo/"})
        EXPECT_FALSE(AppUninstaller::match(name, app, prefs).has_value()) << name;
    // Names count only where the location allows them, whole and in exact case.
    for (const char* name : {"Foo", "Foo.app", "Foo.plist", "foo"})
        EXPECT_FALSE(AppUninstaller::match(name, app, prefs).has_value()) << name;
    for (const char* name : {"Foo.plist", "foo", "Foobar", "Foo Helper", "Fo", "Foo.app.bak", "Foo.APP", "F",
                             "Foobar.app", "Foo Helper.app", "foo.app", ".app"})
        EXPECT_FALSE(AppUninstaller::match(name, app, caches).has_value()) << name;

    // Identifiers of one part or with an empty part never match by identifier.
    for (const char* identifier : {"foo", "com..foo", ".com.foo", "com.foo.", "", "."}) {
        App odd = app;
        odd.bundleIdentifier = identifier;
        EXPECT_FALSE(AppUninstaller::match(identifier, odd, prefs).has_value()) << identifier;
        EXPECT_FALSE(AppUninstaller::match(std::string(identifier) + ".plist", odd, prefs).has_value());
        EXPECT_EQ(AppUninstaller::match("Foo", odd, caches), "Foo");
    }
    // An empty name never matches anything by name.
    App nameless;
    EXPECT_FALSE(AppUninstaller::match(".app", nameless, caches).has_value());
    EXPECT_FALSE(AppUninstaller::match("", nameless, caches).has_value());
}

TEST_F(AppUninstallerTest, FindsLeftoversByIdentifierAndName) {
    bundle("Foo.app", xmlInfo({{"CFBundleIdentifier", "com.example.foo"}}));
    leftoverFolder("Caches/com.example.foo", 200 * KiB);
    leftoverFolder("Caches/Foo", 150 * KiB);
    leftover("Preferences/com.example.foo.plist", 8 * KiB);
    leftover("Preferences/Foo.plist", 8 * KiB);  // names do not count here
    leftoverFolder("Containers/Foo", 90 * KiB);  // nor here
    leftoverFolder("Containers/com.example.foo", 100 * KiB);
    leftoverFolder("Application Support/Foo.app", 40 * KiB);
    leftoverFolder("Saved Application State/com.example.foo.savedState", 12 * KiB);
    leftoverFolder("Logs/Foo", 20 * KiB);
    leftoverFolder("Caches/com.example.foobar", 70 * KiB);
    leftoverFolder("Caches/foo", 70 * KiB);
    leftoverFolder("Application Support/Foo Helper", 70 * KiB);
    leftoverFolder("Application Support/Foobar", 70 * KiB);
    leftover("LaunchAgents/com.example.foo.agent.plist", 4 * KiB);
    tree.file("home/Library/Cookies/com.example.foo.binarycookies", 0);  // empty: no blocks
    tree.symlink("home/Library/Logs/com.example.foo", "../Caches/Foo");  // a link: no blocks
    // A matching folder the safety verdict refuses (a source repository).
    leftoverFolder("Application Support/com.example.foo", 50 * KiB);
    tree.folder("home/Library/Application Support/com.example.foo/.git");

    AppUninstaller uninstaller(folders());
    auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
    ASSERT_EQ(list.size(), 1u);
    const auto& found = list[0].leftovers;
    const auto map = byName(found);
    std::set<std::string> names;
    for (const auto& [name, item] : map) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"com.example.foo", "Foo", "com.example.foo.plist", "Foo.app",
                                            "com.example.foo.savedState", "com.example.foo.agent.plist"}));
    // com.example.foo in Caches and Containers, Foo in Caches and Logs.
    EXPECT_EQ(found.size(), 8u);

    // Largest first, sizes as du counts them.
    for (std::size_t i = 1; i < found.size(); ++i) EXPECT_GE(found[i - 1].bytes, found[i].bytes);
    for (const auto& item : found) EXPECT_EQ(item.bytes, duBytes(item.path)) << item.path;
    EXPECT_EQ(found[0], (AppUninstaller::Leftover{home + "/Library/Caches/com.example.foo",
                                                  duBytes(home + "/Library/Caches/com.example.foo"), "Caches",
                                                  "com.example.foo"}));
    EXPECT_EQ(map.at("Foo").matchedOn, "Foo");
    EXPECT_EQ(map.at("Foo").kind, "Caches");
    EXPECT_EQ(map.at("Foo.app").kind, "Application Support");
    EXPECT_EQ(map.at("com.example.foo.plist").kind, "Preferences");
    EXPECT_EQ(map.at("com.example.foo.savedState").kind, "Saved state");
    EXPECT_EQ(map.at("com.example.foo.agent.plist").kind, "Launch agent");
    bool container = false;
    for (const auto& item : found) container = container || item.kind == "Container";
    EXPECT_TRUE(container);

    std::int64_t sum = 0;
    for (const auto& item : found) sum += item.bytes;
    EXPECT_EQ(list[0].leftoverBytes(), sum);
    EXPECT_EQ(list[0].totalBytes(), list[0].bundleBytes + sum);
    EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const auto& l) { return l.kind == "Logs"; }), 1);
}

TEST_F(AppUninstallerTest, AppWithoutInformationMatchesOnlyByName) {
    bundle("Plain.app", "");
    leftoverFolder("Caches/Plain", 30 * KiB);
    leftoverFolder("Logs/Plain", 20 * KiB);
    leftoverFolder("Application Support/Plain.app", 10 * KiB);
    leftoverFolder("Containers/Plain", 30 * KiB);
    leftoverFolder("Caches/Plainer", 30 * KiB);

    AppUninstaller uninstaller(folders());
    auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
    ASSERT_EQ(list.size(), 1u);
    std::vector<std::string> kinds;
    for (const auto& item : list[0].leftovers) {
        kinds.push_back(item.kind);
        EXPECT_EQ(item.matchedOn, "Plain");
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"Caches", "Logs", "Application Support"}));

    const auto candidates = AppUninstaller::candidates(list[0], true);
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_TRUE(candidates[0].details.empty());
}

TEST_F(AppUninstallerTest, LongerIdentifierKeepsItsOwnData) {
    bundle("App.app", xmlInfo({{"CFBundleIdentifier", "com.x.App"}}), 64 * KiB);
    // The beta lives in a folder of its own, so that it can be left out.
    const std::string more = tree.folder("MoreApps");
    bundle("App Beta.app", binaryInfo({{"CFBundleIdentifier", "com.x.App.beta"}}), 96 * KiB, "MoreApps");
    leftoverFolder("Caches/com.x.App", 40 * KiB);
    leftoverFolder("Caches/com.x.App.beta", 50 * KiB);
    leftover("Preferences/com.x.App.plist", 8 * KiB);
    leftover("Preferences/com.x.App.beta.plist", 12 * KiB);
    leftoverFolder("Containers/com.x.App.beta.helper", 20 * KiB);
    leftoverFolder("Saved Application State/com.x.App.savedState", 4 * KiB);

    const auto kept = [](const std::vector<AppUninstaller::Leftover>& list) {
        std::set<std::string> names;
        for (const auto& item : list) names.insert(Paths::lastComponent(item.path));
        return names;
    };
    const std::set<std::string> mainData{"com.x.App", "com.x.App.plist", "com.x.App.savedState"};
    const std::set<std::string> betaData{"com.x.App.beta", "com.x.App.beta.plist", "com.x.App.beta.helper"};

    {
        AppUninstaller uninstaller({apps, more});
        auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(kept(named(list, "App")->leftovers), mainData);
        EXPECT_EQ(kept(named(list, "App Beta")->leftovers), betaData);
    }
    {
        // Without a listing first, the application folders are read for
        // identifiers all the same.
        AppUninstaller first({apps, more});
        const App app = first.inspect(apps + "/App.app");
        AppUninstaller uninstaller({apps, more});
        EXPECT_EQ(kept(uninstaller.leftovers(app)), mainData);
    }
    {
        // Handed the longer one: it owns its data even outside the folders.
        AppUninstaller uninstaller(std::vector<std::string>{});
        App main = uninstaller.inspect(apps + "/App.app");
        App beta = uninstaller.inspect(more + "/App Beta.app");
        auto list = uninstaller.attachLeftovers({main, beta});
        EXPECT_EQ(kept(named(list, "App")->leftovers), mainData);
    }
    {
        // When no application claims the longer identifier, it is the shorter one's.
        AppUninstaller uninstaller(std::vector<std::string>{apps});
        auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
        ASSERT_EQ(list.size(), 1u);
        auto all = mainData;
        all.insert(betaData.begin(), betaData.end());
        EXPECT_EQ(kept(list[0].leftovers), all);
    }
}

TEST_F(AppUninstallerTest, SystemDataIsNeverAnOrdinaryApplications) {
    // "com.apple" is not a system identifier, but everything below it is.
    bundle("Apple.app", xmlInfo({{"CFBundleIdentifier", "com.apple"}}));
    bundle("Safari.app", xmlInfo({{"CFBundleIdentifier", "com.apple.Safari"}}));
    leftoverFolder("Caches/com.apple", 12 * KiB);
    leftoverFolder("Caches/com.apple.Safari", 40 * KiB);
    leftover("Preferences/com.apple.Safari.plist", 8 * KiB);
    leftover("Preferences/com.apple.finder.plist", 8 * KiB);

    AppUninstaller uninstaller(folders());
    auto list = uninstaller.attachLeftovers(uninstaller.installedApps(false));
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(list[0].leftovers.size(), 1u);
    EXPECT_EQ(list[0].leftovers[0].path, home + "/Library/Caches/com.apple");

    // A system application, listed on request, finds its own.
    AppUninstaller withSystem(folders());
    auto all = withSystem.attachLeftovers(withSystem.installedApps(true));
    const App* safari = named(all, "Safari");
    ASSERT_NE(safari, nullptr);
    EXPECT_EQ(safari->leftovers.size(), 2u);
}

TEST_F(AppUninstallerTest, OddEntryNamesAreMatchedAsTheyAre) {
    const std::string name = "Odd \xff\nName";
    bundle(name + ".app", xmlInfo({{"CFBundleIdentifier", "com.example.odd"}}));
    leftoverFolder("Caches/" + name, 24 * KiB);
    leftoverFolder("Caches/com.example.odd.\xfe\n", 12 * KiB);
    leftoverFolder("Caches/Odd \xff", 12 * KiB);

    AppUninstaller uninstaller(folders());
    auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(list[0].leftovers.size(), 2u);
    EXPECT_EQ(list[0].leftovers[0].path, home + "/Library/Caches/" + name);
    EXPECT_EQ(list[0].leftovers[0].matchedOn, name);
    EXPECT_EQ(list[0].leftovers[1].path, home + "/Library/Caches/com.example.odd.\xfe\n");
    for (const auto& candidate : AppUninstaller::candidates(list[0], false))
        EXPECT_TRUE(SafetyPolicy::check(candidate).isAllowed()) << candidate.path;
}

TEST_F(AppUninstallerTest, CandidatesForReview) {
    const std::string homeBundle =
        bundle("Foo.app",
               xmlInfo({{"CFBundleIdentifier", "com.example.foo"}, {"CFBundleShortVersionString", "3.1"}}),
               300 * KiB, "home/Applications");
    leftoverFolder("Caches/com.example.foo", 200 * KiB);
    leftover("Preferences/com.example.foo.plist", 8 * KiB);

    AppUninstaller uninstaller(folders());
    auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
    ASSERT_EQ(list.size(), 1u);
    const App& app = list[0];
    const auto candidates = AppUninstaller::candidates(app, true);
    ASSERT_EQ(candidates.size(), 3u);

    const auto& bundleCandidate = candidates[0];
    EXPECT_EQ(bundleCandidate.ruleID, "apps.bundle");
    EXPECT_EQ(bundleCandidate.category, CleanupCategory::toolchains);
    EXPECT_EQ(bundleCandidate.groupTitle, "Application");
    EXPECT_EQ(bundleCandidate.title, "Foo");
    EXPECT_EQ(bundleCandidate.path, homeBundle);
    EXPECT_EQ(bundleCandidate.size, duBytes(homeBundle));
    EXPECT_EQ(bundleCandidate.safety, SafetyLevel::caution);
    EXPECT_FALSE(bundleCandidate.isSelectedByDefault);
    EXPECT_TRUE(bundleCandidate.removal.isPath());
    EXPECT_EQ(bundleCandidate.reason, "The application itself. Removing it frees " +
                                          ByteFormat::string(app.bundleBytes) +
                                          "; you would need to install it again to get it back.");
    EXPECT_EQ(bundleCandidate.restoreHint, "Re-download or reinstall Foo");
    EXPECT_EQ(bundleCandidate.lastModified, app.lastUsed);
    EXPECT_EQ(bundleCandidate.details, (std::map<std::string, std::string>{{"Version", "3.1"}}));
    // A bundle in the home's application folder passes the check.
    EXPECT_TRUE(SafetyPolicy::check(bundleCandidate).isAllowed())
        << SafetyPolicy::check(bundleCandidate).reason();

    const auto& cache = candidates[1];
    EXPECT_EQ(cache.ruleID, "apps.leftovers");
    EXPECT_EQ(cache.category, CleanupCategory::toolchains);
    EXPECT_EQ(cache.groupTitle, "Left behind by Foo");
    EXPECT_EQ(cache.title, "Caches \u2014 com.example.foo");
    EXPECT_EQ(cache.path, home + "/Library/Caches/com.example.foo");
    EXPECT_EQ(cache.size, duBytes(cache.path));
    EXPECT_EQ(cache.safety, SafetyLevel::caution);
    EXPECT_FALSE(cache.isSelectedByDefault);
    EXPECT_EQ(cache.reason,
              "Caches belonging to Foo, matched on com.example.foo. It stays on disk when only the application "
              "itself is removed.");
    EXPECT_EQ(cache.restoreHint, "Recreated if you install Foo again");
    EXPECT_FALSE(cache.lastModified.has_value());
    EXPECT_EQ(cache.details, (std::map<std::string, std::string>{{"Matched on", "com.example.foo"}}));
    EXPECT_TRUE(SafetyPolicy::check(cache).isAllowed());

    EXPECT_EQ(candidates[2].title, "Preferences \u2014 com.example.foo.plist");
    EXPECT_EQ(candidates[2].size, duBytes(home + "/Library/Preferences/com.example.foo.plist"));

    std::set<UUID> ids;
    for (const auto& candidate : candidates) ids.insert(candidate.id);
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_NE(AppUninstaller::candidates(app, true)[0].id, bundleCandidate.id);

    const auto leftoversOnly = AppUninstaller::candidates(app, false);
    ASSERT_EQ(leftoversOnly.size(), 2u);
    EXPECT_EQ(leftoversOnly[0].ruleID, "apps.leftovers");

    App alone = app;
    alone.leftovers.clear();
    EXPECT_TRUE(AppUninstaller::candidates(alone, false).empty());
}

TEST_F(AppUninstallerTest, BundleOutsideTheApplicationShapesIsRefusedAtTheCheck) {
    bundle("Foo.app", xmlInfo({{"CFBundleIdentifier", "com.example.foo"}}));
    AppUninstaller uninstaller(folders());
    auto list = uninstaller.installedApps();
    ASSERT_EQ(list.size(), 1u);
    const auto candidates = AppUninstaller::candidates(list[0], true);
    ASSERT_EQ(candidates.size(), 1u);
    // Made without the check, met by it before removal.
    EXPECT_TRUE(SafetyPolicy::check(candidates[0]).isDenied());
}

TEST_F(AppUninstallerTest, HardLinkedFilesCountOnceAcrossTheUninstaller) {
    bundle("Foo.app", xmlInfo({{"CFBundleIdentifier", "com.example.foo"}}), 64 * KiB);
    allocate(tree, "Applications/Foo.app/Contents/Resources/shared", 128 * KiB);
    tree.folder("home/Library/Caches/com.example.foo");
    tree.hardlink("home/Library/Caches/com.example.foo/shared",
                  "Applications/Foo.app/Contents/Resources/shared");
    allocate(tree, "home/Library/Caches/com.example.foo/own", 16 * KiB);

    AppUninstaller uninstaller(folders());
    auto list = uninstaller.attachLeftovers(uninstaller.installedApps());
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(list[0].leftovers.size(), 1u);
    EXPECT_EQ(list[0].bundleBytes, duBytes(apps + "/Foo.app"));
    EXPECT_EQ(list[0].leftovers[0].bytes, duBytes(home + "/Library/Caches/com.example.foo") - 128 * KiB);
}

TEST_F(AppUninstallerTest, CancelKeepsOnlyFinishedApplicationsAndIsNeverUndone) {
    for (int i = 0; i < 10; ++i) {
        const std::string name = "App" + std::to_string(i);
        bundle(name + ".app", xmlInfo({{"CFBundleIdentifier", "com.example.app" + std::to_string(i)}}),
               (10 + i) * 16 * KiB);
        leftoverFolder("Caches/com.example.app" + std::to_string(i), (20 - i) * 16 * KiB);
    }
    AppUninstaller uninstaller(folders());
    const auto installed = uninstaller.installedApps();
    ASSERT_EQ(installed.size(), 10u);

    std::vector<std::pair<int, int>> calls;
    std::vector<std::string> reported;
    const auto list =
        uninstaller.attachLeftovers(installed, [&](int position, int total, const std::string& name) {
            calls.emplace_back(position, total);
            reported.push_back(name);
            if (position == 3) uninstaller.cancel();
        });
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 10}, {1, 10}, {2, 10}, {3, 10}}));
    ASSERT_EQ(list.size(), 3u);
    std::set<std::string> handled(reported.begin(), reported.begin() + 3);
    for (const auto& app : list) {
        EXPECT_EQ(handled.count(app.name), 1u) << app.name;
        ASSERT_EQ(app.leftovers.size(), 1u) << app.name;
        EXPECT_EQ(app.leftovers[0].bytes, duBytes(app.leftovers[0].path));
    }
    for (std::size_t i = 1; i < list.size(); ++i) EXPECT_GE(list[i - 1].totalBytes(), list[i].totalBytes());

    // Nothing re-arms it.
    EXPECT_TRUE(uninstaller.isCancelled());
    EXPECT_TRUE(uninstaller.installedApps().empty());
    EXPECT_TRUE(uninstaller.leftovers(installed[0]).empty());
    EXPECT_TRUE(uninstaller.attachLeftovers(installed).empty());
}

TEST_F(AppUninstallerTest, CancelFromAnotherThreadDuringListing) {
    for (int i = 0; i < 40; ++i) bundle("App" + std::to_string(i) + ".app", "", 16 * KiB);
    AppUninstaller uninstaller(folders());
    std::thread other([&] { uninstaller.cancel(); });
    const auto list = uninstaller.installedApps();
    other.join();
    // Whatever was listed before the cancel is whole.
    EXPECT_LE(list.size(), 40u);
    for (const auto& app : list) EXPECT_EQ(app.bundleBytes, duBytes(app.bundleURL));
    EXPECT_TRUE(uninstaller.installedApps().empty());
}

TEST(AppUninstallerAppTest, SizesAndDaysSinceLastUse) {
    using namespace std::chrono;
    App app;
    app.bundleBytes = 100;
    app.leftovers = {{"/a", 20, "Caches", "x"}, {"/b", -5, "Caches", "x"}, {"/c", 30, "Logs", "x"}};
    EXPECT_EQ(app.leftoverBytes(), 50);
    EXPECT_EQ(app.totalBytes(), 150);
    app.bundleBytes = std::numeric_limits<std::int64_t>::max() - 10;
    EXPECT_EQ(app.totalBytes(), std::numeric_limits<std::int64_t>::max());

    const auto now = system_clock::now();
    EXPECT_FALSE(app.daysSinceLastUse(now).has_value());
    app.lastUsed = now - hours(23);
    EXPECT_EQ(app.daysSinceLastUse(now), 0);
    app.lastUsed = now - hours(50);
    EXPECT_EQ(app.daysSinceLastUse(now), 2);
    app.lastUsed = now - hours(24 * 400 + 12);
    EXPECT_EQ(app.daysSinceLastUse(now), 400);
    app.lastUsed = now + hours(72);
    EXPECT_EQ(app.daysSinceLastUse(now), 0);
    app.lastUsed = system_clock::time_point(seconds(-8'000'000'000));
    EXPECT_GT(*app.daysSinceLastUse(now), 40000);

    App other = app;
    EXPECT_EQ(other, app);
    other.leftovers[0].matchedOn = "y";
    EXPECT_NE(other, app);
}

}  // namespace
}  // namespace korvane
