#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/explorer/AppUninstaller.h"
#include "core/platform/Trash_linux.h"
#include "core/safety/CleanupEngine.h"
#include "core/safety/RestoreEngine.h"
#include "core/safety/SafetyPolicy.h"
#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "tests/explorer/LinuxHomeSupport.h"

namespace korvane {
namespace {

using App = AppUninstaller::InstalledApp;
using Packaging = AppUninstaller::Packaging;
using Status = CleanupOutcome::Status;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string contentsOf(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A Linux home with an AppImage and a Flatpak in each installation, each
// with something left behind, and a fake `flatpak` on the tool runner's path.
class AppUninstallerLinuxTest : public ::testing::Test {
protected:
    void SetUp() override {
        Paths::setHomeForTesting(fake.home);
        Shell::setSearchDirectoriesForTesting(std::vector<std::string>{tree.folder("bin")});
        Shell::clearResolutionCache();

        krita = fake.appImage("Applications/krita-5.2.AppImage", 256 * 1024);
        kritaEntry =
            fake.desktopEntry("org.kde.krita.desktop",
                              "Name=Krita\nExec=" + krita + " %F\nIcon=krita\nX-AppImage-Version=5.2\n");
        gimp = fake.flatpak("home/.local/share/flatpak", "org.gimp.GIMP", "GIMP", "2.10.38", 512 * 1024);
        gimpDevel =
            fake.flatpak("home/.local/share/flatpak", "org.gimp.GIMP.Devel", "GIMP (Nightly)", "", 64 * 1024);
        vlc = fake.flatpak("system-flatpak", "org.videolan.VLC", "VLC", "3.0.20", 384 * 1024);
    }
    void TearDown() override {
        Shell::setSearchDirectoriesForTesting(std::nullopt);
        Shell::clearResolutionCache();
        Paths::setHomeForTesting(std::nullopt);
    }

    std::unique_ptr<AppUninstaller> uninstaller() {
        return std::make_unique<AppUninstaller>(std::vector<std::string>{}, fake.places());
    }
    App appNamed(const std::vector<App>& apps, const std::string& name) {
        auto found = std::find_if(apps.begin(), apps.end(), [&](const App& app) { return app.name == name; });
        EXPECT_NE(found, apps.end()) << name;
        return found == apps.end() ? App{} : *found;
    }
    static std::vector<std::string> leftoverPaths(const App& app) {
        std::vector<std::string> paths;
        for (const auto& leftover : app.leftovers) paths.push_back(leftover.path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    std::string fakeFlatpak(const std::string& body = "exit 0") {
        std::string path = tree.text("bin/flatpak", "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" +
                                                        tree.path("flatpak.log") + "'\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    // A body for fakeFlatpak that removes the application from the installation it is asked about.
    std::string uninstallsForReal() const {
        return "case \"$3\" in --user) root='" + tree.path("home/.local/share/flatpak") +
               "' ;; *) root='" + tree.path("system-flatpak") + "' ;; esac\n/bin/rm -rf \"$root/app/$4\"";
    }
    std::shared_ptr<FreedesktopTrash> trash() {
        return std::make_shared<FreedesktopTrash>(fake.home + "/.local/share/Trash", fake.home);
    }
    CleanupReport clean(const std::vector<CleanupCandidate>& candidates) {
        CleanupEngine engine(trash());
        engine.setCommandTimeout(10);
        return engine.run(candidates, {}, {});
    }

    testing::TempTree tree;
    testing::LinuxHome fake{tree};
    std::string krita, kritaEntry, gimp, gimpDevel, vlc;
};

TEST_F(AppUninstallerLinuxTest, ListsAppImagesAndBothFlatpakInstallationsWithTheirLeftovers) {
    const std::string kritaSettings = fake.leftover(".config/Krita");
    const std::string kritaData = fake.leftover(".local/share/org.kde.krita");
    const std::string kritaState = fake.leftover(".local/state/Krita");
    const std::string gimpSandbox = fake.leftover(".var/app/org.gimp.GIMP", 64 * 1024);
    const std::string gimpCache = fake.leftover(".cache/org.gimp.GIMP");
    const std::string develSandbox = fake.leftover(".var/app/org.gimp.GIMP.Devel");
    const std::string vlcSandbox = fake.leftover(".var/app/org.videolan.VLC");
    // Never a leftover: deeper than one level, inside the desktop's own
    // folder, a link to a protected place, a repository.
    fake.leftover(".config/unrelated/Krita");
    fake.leftover(".local/share/Trash/files/Krita");
    tree.folder("home/.ssh");
    tree.symlink("home/.cache/Krita", fake.home + "/.ssh");
    fake.leftover(".config/org.kde.krita");
    tree.folder("home/.config/org.kde.krita/.git");

    auto finder = uninstaller();
    const auto bare = finder->installedApps();
    ASSERT_EQ(bare.size(), 4u);
    // Largest first.
    EXPECT_EQ(bare[0].name, "GIMP");
    EXPECT_EQ(bare[1].name, "VLC");
    EXPECT_EQ(bare[2].name, "Krita");
    EXPECT_EQ(bare[3].name, "GIMP (Nightly)");

    const App kritaApp = appNamed(bare, "Krita");
    EXPECT_EQ(kritaApp.packaging, Packaging::appImage);
    EXPECT_EQ(kritaApp.bundleURL, krita);
    EXPECT_EQ(kritaApp.bundleIdentifier, "org.kde.krita");
    EXPECT_EQ(kritaApp.version, "5.2");
    EXPECT_EQ(kritaApp.icon, "krita");
    EXPECT_EQ(kritaApp.desktopEntry, kritaEntry);
    EXPECT_EQ(kritaApp.bundleBytes, testing::allocated(krita));
    EXPECT_FALSE(kritaApp.lastUsed.has_value());  // not opened since it was written
    const App vlcApp = appNamed(bare, "VLC");
    EXPECT_EQ(vlcApp.packaging, Packaging::flatpakSystem);
    EXPECT_EQ(vlcApp.version, "3.0.20");
    EXPECT_EQ(vlcApp.bundleBytes, testing::duBytes(vlc));
    EXPECT_EQ(appNamed(bare, "GIMP").packaging, Packaging::flatpakUser);

    const auto apps = finder->attachLeftovers(bare);
    EXPECT_EQ(leftoverPaths(appNamed(apps, "Krita")),
              (std::vector<std::string>{kritaSettings, kritaData, kritaState}));
    EXPECT_EQ(leftoverPaths(appNamed(apps, "GIMP")), (std::vector<std::string>{gimpCache, gimpSandbox}));
    EXPECT_EQ(leftoverPaths(appNamed(apps, "GIMP (Nightly)")), (std::vector<std::string>{develSandbox}));
    EXPECT_EQ(leftoverPaths(appNamed(apps, "VLC")), (std::vector<std::string>{vlcSandbox}));

    const App gimpApp = appNamed(apps, "GIMP");
    ASSERT_EQ(gimpApp.leftovers.size(), 2u);
    EXPECT_EQ(gimpApp.leftovers[0].kind, "Sandbox data");  // largest first
    EXPECT_EQ(gimpApp.leftovers[0].matchedOn, "org.gimp.GIMP");
    for (const auto& leftover : appNamed(apps, "Krita").leftovers)
        if (leftover.path == kritaSettings) {
            EXPECT_EQ(leftover.kind, "Settings");
        }
}

// An AppImage was last opened at its access time, but only once it was read
// after its last write: a download never run keeps the access time of its
// creation. A Flatpak's folder, read by every listing, tells nothing. Ten
// days back, a read by the listing itself would move the access time.
TEST_F(AppUninstallerLinuxTest, AnAppImageWasLastOpenedOnlyWhenReadAfterItsLastWrite) {
    const std::time_t written = std::time(nullptr) - 10 * 86400;
    struct Case {
        const char* what;
        std::time_t readAfter;  // access time less modification time
        bool known;
    };
    const Case cases[] = {
        {"downloaded, never run", -60, false},
        {"read in the second it was written", 0, false},
        {"run a day later", 86400, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const timespec times[2] = {{written + c.readAfter, 0}, {written, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, krita.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        const auto apps = uninstaller()->installedApps();
        const App kritaApp = appNamed(apps, "Krita");
        if (c.known) {
            EXPECT_EQ(kritaApp.lastUsed, std::chrono::system_clock::from_time_t(written + c.readAfter));
        } else {
            EXPECT_FALSE(kritaApp.lastUsed.has_value());
        }
        EXPECT_FALSE(appNamed(apps, "GIMP").lastUsed.has_value());
        struct stat st {};
        ASSERT_EQ(::lstat(krita.c_str(), &st), 0);
        EXPECT_EQ(st.st_atim.tv_sec, written + c.readAfter) << "the listing read the file";
    }
}

TEST_F(AppUninstallerLinuxTest, DataNamedLikeAnApplicationInstalledOtherwiseIsNeverALeftover) {
    // A packaged editor keeps "~/.config/Code"; an AppImage called "Code" must not take it.
    tree.text("usr-share-applications/code.desktop",
              "[Desktop Entry]\nName=Visual Studio Code\nExec=/usr/share/code/code --unity-launch %F\n");
    tree.text("usr-share-applications/org.inkscape.Inkscape.desktop",
              "[Desktop Entry]\nName=Inkscape\nExec=inkscape %F\n");
    fake.appImage("Apps/Code.AppImage");
    fake.appImage("Apps/inkscape.AppImage");
    fake.appImage("Apps/Tool.AppImage");
    fake.leftover(".config/Code");
    fake.leftover(".cache/Code");
    fake.leftover(".config/inkscape");
    fake.leftover(".config/Tool");
    // A user's own launcher for a packaged program claims its names too.
    fake.desktopEntry("mine.desktop", "Name=Tool\nExec=/usr/bin/tool\n");
    const std::string kept = fake.leftover(".cache/org.kde.krita");

    auto finder = uninstaller();
    const auto apps = finder->attachLeftovers(finder->installedApps());
    EXPECT_TRUE(appNamed(apps, "Code").leftovers.empty());
    EXPECT_TRUE(appNamed(apps, "inkscape").leftovers.empty());
    EXPECT_TRUE(appNamed(apps, "Tool").leftovers.empty());
    // Matched on an identifier, data stays the application's own.
    EXPECT_EQ(leftoverPaths(appNamed(apps, "Krita")), (std::vector<std::string>{kept}));
}

TEST_F(AppUninstallerLinuxTest, AFlatpakInBothInstallationsLeavesNothingBehindForEither) {
    fake.leftover(".var/app/org.videolan.VLC");
    fake.flatpak("home/.local/share/flatpak", "org.videolan.VLC", "VLC");
    auto finder = uninstaller();
    const auto apps = finder->attachLeftovers(finder->installedApps());
    int seen = 0;
    for (const auto& app : apps) {
        if (app.bundleIdentifier != "org.videolan.VLC") continue;
        ++seen;
        EXPECT_TRUE(app.leftovers.empty()) << app.bundleURL;
    }
    EXPECT_EQ(seen, 2);
}

TEST_F(AppUninstallerLinuxTest, UninstallingAnAppImageTrashesItItsEntryAndLeftoversAndPutsThemBack) {
    const std::string settings = fake.leftover(".config/Krita");
    const std::string data = fake.leftover(".local/share/org.kde.krita");
    auto finder = uninstaller();
    const App app = appNamed(finder->attachLeftovers(finder->installedApps()), "Krita");

    const auto candidates = AppUninstaller::candidates(app, true);
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[0].path, krita);
    EXPECT_EQ(candidates[0].ruleID, "apps.bundle");
    EXPECT_EQ(candidates[1].path, kritaEntry);
    EXPECT_EQ(candidates[1].ruleID, "apps.bundle");
    EXPECT_EQ(candidates[1].title, "Desktop entry \u2014 org.kde.krita.desktop");
    EXPECT_EQ(candidates[1].groupTitle, "Application");
    for (const auto& candidate : candidates) {
        EXPECT_FALSE(candidate.isSelectedByDefault);
        EXPECT_EQ(candidate.safety, SafetyLevel::caution);
        EXPECT_TRUE(SafetyPolicy::check(candidate).isAllowed()) << candidate.path;
    }

    const CleanupReport report = clean(candidates);
    ASSERT_EQ(report.outcomes.size(), 4u);
    for (const auto& outcome : report.outcomes) EXPECT_EQ(outcome.status, Status::trashed) << outcome.path;
    for (const auto& path : {krita, kritaEntry, settings, data}) EXPECT_FALSE(exists(path)) << path;

    const RestoreEngine::Report back = RestoreEngine(trash()).restore(report);
    ASSERT_EQ(back.outcomes.size(), 4u);
    for (const auto& outcome : back.outcomes)
        EXPECT_EQ(outcome.status, RestoreEngine::Outcome::Status::restored)
            << outcome.path << " " << outcome.message.value_or("");
    for (const auto& path : {krita, kritaEntry, settings, data}) EXPECT_TRUE(exists(path)) << path;
}

TEST_F(AppUninstallerLinuxTest, WhatChangedSinceTheScanIsCheckedAgainBeforeItIsTouched) {
    const std::string settings = fake.leftover(".config/Krita");
    const std::string data = fake.leftover(".local/share/Krita");
    auto finder = uninstaller();
    const App app = appNamed(finder->attachLeftovers(finder->installedApps()), "Krita");
    ASSERT_EQ(app.leftovers.size(), 2u);

    // Both leftovers become links into protected places, and so does the AppImage.
    tree.folder("home/.ssh/keys");
    tree.file("home/.ssh/keys/id", 10);
    std::filesystem::remove_all(settings);
    std::filesystem::remove_all(data);
    tree.symlink("home/.config/Krita", fake.home + "/.ssh");
    tree.symlink("home/.local/share/Krita", fake.home + "/.ssh/keys");
    std::filesystem::remove(krita);
    tree.symlink("home/Applications/krita-5.2.AppImage", fake.home + "/.ssh/keys/id");

    const CleanupReport report = clean(AppUninstaller::candidates(app, true));
    for (const auto& outcome : report.outcomes) {
        if (outcome.path == kritaEntry) continue;  // still an ordinary file: it goes
        EXPECT_NE(outcome.status, Status::trashed) << outcome.path;
        EXPECT_NE(outcome.status, Status::deleted) << outcome.path;
    }
    EXPECT_TRUE(exists(fake.home + "/.ssh/keys/id"));
    EXPECT_TRUE(exists(settings));
    EXPECT_TRUE(exists(data));
}

TEST_F(AppUninstallerLinuxTest, UninstallingAFlatpakRunsTheToolForItsInstallation) {
    const std::string sandbox = fake.leftover(".var/app/org.videolan.VLC");
    fakeFlatpak(uninstallsForReal());
    auto finder = uninstaller();
    const auto apps = finder->attachLeftovers(finder->installedApps());

    const auto vlcCandidates = AppUninstaller::candidates(appNamed(apps, "VLC"), true);
    ASSERT_EQ(vlcCandidates.size(), 2u);
    EXPECT_TRUE(vlcCandidates[0].removal.isCommand());
    EXPECT_EQ(vlcCandidates[0].path, vlc);
    EXPECT_EQ(vlcCandidates[1].path, sandbox);
    const auto gimpCandidates = AppUninstaller::candidates(appNamed(apps, "GIMP"), true);
    ASSERT_EQ(gimpCandidates.size(), 1u);

    std::vector<CleanupCandidate> all = vlcCandidates;
    all.push_back(gimpCandidates[0]);
    const CleanupReport report = clean(all);
    ASSERT_EQ(report.outcomes.size(), 3u);
    for (const auto& outcome : report.outcomes)
        EXPECT_NE(outcome.status, Status::failed) << outcome.title << " " << outcome.message.value_or("");
    EXPECT_FALSE(exists(sandbox));
    EXPECT_FALSE(exists(vlc));
    EXPECT_FALSE(exists(gimp));
    std::vector<std::string> calls;
    std::istringstream lines(contentsOf(tree.path("flatpak.log")));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    std::sort(calls.begin(), calls.end());
    EXPECT_EQ(calls, (std::vector<std::string>{"uninstall --noninteractive --system org.videolan.VLC",
                                               "uninstall --noninteractive --user org.gimp.GIMP"}));
}

// What an application left behind goes only once the application itself is
// gone; when its own removal fails, all of it stays and each item says why.
TEST_F(AppUninstallerLinuxTest, WhenTheApplicationStaysWhatItLeftBehindStaysToo) {
    const std::string sandbox = fake.leftover(".var/app/org.videolan.VLC");
    const std::string settings = fake.leftover(".config/Krita");
    auto finder = uninstaller();
    const auto apps = finder->attachLeftovers(finder->installedApps());
    const std::string kept = "Kept, because \u201C";
    struct Case {
        const char* what;
        std::string app;
        std::vector<std::string> others;  // left behind, and an AppImage's desktop entry
    };
    const std::vector<Case> cases = {
        // No flatpak command at all.
        {"Flatpak", "VLC", {sandbox}},
        // The home trash cannot be used (a file where its folder should be).
        {"AppImage", "Krita", {kritaEntry, settings}},
    };
    tree.file("home/.local/share/Trash", 10);
    for (const auto& c : cases) {
        const auto candidates = AppUninstaller::candidates(appNamed(apps, c.app), true);
        ASSERT_EQ(candidates.size(), c.others.size() + 1) << c.what;
        // Even where the others would be deleted outright and the application is larger.
        CleanupEngine engine(trash());
        const CleanupReport report = engine.run(
            candidates,
            [](const CleanupCandidate& candidate) {
                return candidate.ruleID == "apps.leftovers" ? Disposal::delete_ : Disposal::trash;
            },
            {});
        ASSERT_EQ(report.outcomes.size(), candidates.size()) << c.what;
        EXPECT_EQ(report.outcomes[0].candidateID, candidates[0].id) << c.what;
        EXPECT_EQ(report.outcomes[0].status, Status::failed) << c.what;
        for (std::size_t i = 1; i < report.outcomes.size(); ++i) {
            EXPECT_EQ(report.outcomes[i].status, Status::skipped) << c.what << " " << report.outcomes[i].path;
            EXPECT_EQ(report.outcomes[i].message, kept + c.app + "\u201D itself was not removed") << c.what;
        }
        for (const auto& path : c.others) EXPECT_TRUE(exists(path)) << c.what << " " << path;
    }
}

TEST_F(AppUninstallerLinuxTest, WithoutTheApplicationWhatItLeftBehindGoesOnItsOwn) {
    const std::string sandbox = fake.leftover(".var/app/org.videolan.VLC");
    auto finder = uninstaller();
    const App app = appNamed(finder->attachLeftovers(finder->installedApps()), "VLC");
    // Chosen on its own, or staged after the application went another way.
    const auto leftovers = AppUninstaller::candidates(app, false);
    ASSERT_EQ(leftovers.size(), 1u);
    const CleanupReport report = clean(leftovers);
    ASSERT_EQ(report.outcomes.size(), 1u);
    EXPECT_EQ(report.outcomes[0].status, Status::trashed);
    EXPECT_FALSE(exists(sandbox));
}

// A tool that says it uninstalled and exits 0 is believed only once the
// application is no longer installed; until then what it left stays.
TEST_F(AppUninstallerLinuxTest, AFlatpakThatIsStillInstalledAfterTheToolSaidDoneIsNotRemoved) {
    const std::string sandbox = fake.leftover(".var/app/org.videolan.VLC");
    const std::string sandboxFile = sandbox + "/data";
    auto finder = uninstaller();
    const App app = appNamed(finder->attachLeftovers(finder->installedApps()), "VLC");
    const auto candidates = AppUninstaller::candidates(app, true);
    ASSERT_EQ(candidates.size(), 2u);
    struct Case {
        const char* what;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"says done, removes nothing", "printf 'Uninstalling org.videolan.VLC\\n'; exit 0"},
        // The deployment's files go, but the one in use still answers to the id.
        {"removes only the files", "/bin/rm -rf '" + vlc + "/x86_64/stable/0f1e2d3c/files'; exit 0"},
    };
    for (const auto& c : cases) {
        ::unlink(tree.path("bin/flatpak").c_str());
        Shell::clearResolutionCache();
        fakeFlatpak(c.body);
        const CleanupReport report = clean(candidates);
        ASSERT_EQ(report.outcomes.size(), 2u) << c.what;
        EXPECT_EQ(report.outcomes[0].status, Status::failed) << c.what;
        EXPECT_EQ(report.outcomes[0].message, "VLC is still installed") << c.what;
        EXPECT_EQ(report.outcomes[1].status, Status::skipped) << c.what;
        EXPECT_EQ(report.outcomes[1].message, "Kept, because \u201CVLC\u201D itself was not removed") << c.what;
        EXPECT_EQ(report.freedBytes(), 0) << c.what;
        EXPECT_TRUE(exists(sandboxFile)) << c.what;
        EXPECT_EQ(uninstaller()->installedApps().size(), 4u) << c.what;
    }
}

TEST_F(AppUninstallerLinuxTest, AFlatpakUninstallThatDoesNotSucceedIsAFailure) {
    const auto command = AppUninstaller::candidates(appNamed(uninstaller()->installedApps(), "VLC"), true)[0];
    struct Case {
        const char* what;
        std::string body;  // empty: no flatpak at all
        std::string message;
    };
    const std::vector<Case> cases = {
        {"refused", "printf 'error: Not authorized\\n' >&2; exit 1", "error: Not authorized"},
        {"silent", "exit 3",
         "\u201Cflatpak uninstall --noninteractive --system org.videolan.VLC\u201D failed with exit status "
         "3"},
        {"missing", "", "\u201Cflatpak\u201D is not installed, or is not where Korvane expected it."},
    };
    for (const auto& c : cases) {
        ::unlink(tree.path("bin/flatpak").c_str());
        Shell::clearResolutionCache();
        if (!c.body.empty()) fakeFlatpak(c.body);
        const CleanupReport report = clean({command});
        ASSERT_EQ(report.outcomes.size(), 1u) << c.what;
        EXPECT_EQ(report.outcomes[0].status, Status::failed) << c.what;
        EXPECT_EQ(report.outcomes[0].message, c.message) << c.what;
    }

    fakeFlatpak("sleep 30");
    CleanupEngine engine(trash());
    engine.setCommandTimeout(0.3);
    const CleanupReport hung = engine.run({command}, {}, {});
    ASSERT_EQ(hung.outcomes.size(), 1u);
    EXPECT_EQ(hung.outcomes[0].status, Status::failed);
    EXPECT_FALSE(hung.outcomes[0].message.value_or("").empty());
}

}  // namespace
}  // namespace korvane
