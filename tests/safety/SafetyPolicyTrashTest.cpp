// Nothing in a Trash folder is ever removed, whatever the rule, the
// disposal or the way the path reaches it.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "core/safety/CleanupEngine.h"
#include "core/safety/FlatpakUninstall.h"
#include "core/safety/SafetyPolicy.h"
#include "core/system/Paths.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/safety/CleanupFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::ScopedEnv;
using testing::TempTree;

const RemovalKind kPath = RemovalKind::path();
const std::string kAllowed = "allowed";
const std::string kTheTrash = "This is the Trash, which Korvane never removes";
const std::string kInTrash = "In the Trash; only putting it back or emptying the Trash touches it";
const std::string kHoldsTrash = "Holds the Trash, which Korvane never removes";

std::string show(const SafetyPolicy::Verdict& verdict) {
    return verdict.isAllowed() ? kAllowed : verdict.reason();
}

std::string volumeTrashName() { return ".Trash-" + std::to_string(::geteuid()); }

// A fake home and temporary folder; the machine's own places never leak in.
class SafetyPolicyTrashTest : public ::testing::Test {
protected:
    SafetyPolicyTrashTest() : home_(tree.folder("home/user")), temporary_(tree.folder("tmp")) {
        Paths::reset();
        tree.file("home/user/.local/share/Trash/files/big.iso", 100);
        tree.file("home/user/.local/share/Trash/info/big.iso.trashinfo", 10);
        tree.file("home/user/.local/share/Trash/files/app/node_modules/x", 10);
        tree.file("home/user/Downloads/big.iso", 100);
    }
    ~SafetyPolicyTrashTest() override { Paths::reset(); }

    std::string home(const std::string& rest) const { return home_ + "/" + rest; }
    static std::string check(const std::string& path, const std::string& rule) {
        return show(SafetyPolicy::check(path, rule, kPath));
    }

    TempTree tree;

private:
    std::string home_;
    std::string temporary_;
    ScopedEnv homeVariable_{"HOME", home_};
    ScopedEnv tmpdir_{"TMPDIR", temporary_};
    ScopedEnv data_{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv cache_{"XDG_CACHE_HOME", std::nullopt};
};

TEST_F(SafetyPolicyTrashTest, EveryRuleRefusesTheTrashAndWhatItHolds) {
    tree.symlink("home/user/work/thrown", home(".local/share/Trash/files"));
    tree.symlink("home/user/work/data", home(".local/share"));
    struct Row {
        std::string path;
        std::string rule;
        std::string expected;
    };
    const std::vector<Row> rows{
        {".local/share/Trash", "general.userChoice", kTheTrash},
        {".local/share/Trash/files", "general.userChoice", kInTrash},
        {".local/share/Trash/info", "general.userChoice", kInTrash},
        {".local/share/Trash/files/big.iso", "general.userChoice", kInTrash},
        {".local/share/Trash/info/big.iso.trashinfo", "general.userChoice", kInTrash},
        {".local/share/Trash/info", "apps.leftovers", kInTrash},
        {".local/share/Trash", "apps.leftovers", kTheTrash},
        {".local/share/Trash/files/app/node_modules", "node.modules", kInTrash},
        {".local/share/Trash/files/big.iso", "xcode.derivedData", kInTrash},
        // Reached through "..": judged where it leads.
        {"Downloads/../.local/share/Trash/files/big.iso", "general.userChoice", kInTrash},
        {".local/share/Trash/files/../info", "general.userChoice", kInTrash},
        // Reached through links: judged by where they lead.
        {"work/thrown/big.iso", "general.userChoice", kInTrash},
        {"work/thrown", "general.userChoice", kInTrash},
        {"work/data/Trash/info", "general.userChoice", kInTrash},
        // What would take the Trash with it.
        {".local/share", "general.userChoice", kHoldsTrash},
        {".local", "general.userChoice", kHoldsTrash},
        // The other platform's name, anywhere.
        {"projects/.Trash/x", "general.userChoice", kInTrash},
        // Beside the Trash, and a folder only named like a volume's Trash.
        {".local/share/Trash2", "general.userChoice", kAllowed},
        {"Downloads/big.iso", "general.userChoice", kAllowed},
        {"Downloads/" + volumeTrashName() + "/x", "general.userChoice", kAllowed},
    };
    for (const auto& row : rows) EXPECT_EQ(check(home(row.path), row.rule), row.expected) << row.path;
    // The general verdict and the check of a put back's destination agree.
    EXPECT_EQ(show(SafetyPolicy::verdict(home(".local/share/Trash/files/big.iso"))), kInTrash);
    EXPECT_EQ(show(SafetyPolicy::verdictForPath(home(".local/share/Trash/files/big.iso"))), kInTrash);
    EXPECT_EQ(show(SafetyPolicy::appBundleVerdict(home(".local/share/Trash/files/App.app"))), kInTrash);
}

TEST_F(SafetyPolicyTrashTest, TheTrashIsWhereTheDataHomeSays) {
    tree.file("home/user/data/Trash/files/x", 10);
    ScopedEnv data("XDG_DATA_HOME", home("data"));
    EXPECT_EQ(check(home("data/Trash/files/x"), "general.userChoice"), kInTrash);
    EXPECT_EQ(check(home("data"), "general.userChoice"), kHoldsTrash);
    // No longer the Trash: an ordinary folder.
    EXPECT_EQ(check(home(".local/share/Trash/files/big.iso"), "general.userChoice"), kAllowed);
}

TEST_F(SafetyPolicyTrashTest, ACommandWhosePathLiesInTheTrashIsRefused) {
    const RemovalKind uninstall =
        FlatpakUninstall::removal("org.example.App", FlatpakUninstall::Installation::user);
    tree.symlink("home/user/work/thrown", home(".local/share/Trash/files"));
    EXPECT_EQ(show(SafetyPolicy::check(home(".local/share/Trash/files/app"), "apps.bundle", uninstall)),
              kInTrash);
    EXPECT_EQ(show(SafetyPolicy::check(home("work/thrown/app"), "apps.bundle", uninstall)), kInTrash);
    // A command removes nothing by its path: the folders above the Trash do not count.
    EXPECT_EQ(show(SafetyPolicy::check(home(".local/share"), "apps.bundle", uninstall)), kAllowed);
}

TEST_F(SafetyPolicyTrashTest, TheTrashAtTheTopOfAVolumeIsRefused) {
    // "/" is the top of a volume wherever the tests run.
    EXPECT_EQ(check("/" + volumeTrashName() + "/files/x", "general.userChoice"), kInTrash);
    EXPECT_EQ(check("/.Trash/" + std::to_string(::geteuid()) + "/files/x", "general.userChoice"), kInTrash);

    const std::string volume = tree.folder("home/user/stick");
    const std::string source = tree.folder("stick-source");
    tree.file("stick-source/" + volumeTrashName() + "/files/x", 10);
    tree.file("stick-source/deeper/" + volumeTrashName() + "/x", 10);
    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(source.c_str(), volume.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("no mount");
        return check(home("stick/" + volumeTrashName() + "/files/x"), "general.userChoice") + "\n" +
               check(home("stick/" + volumeTrashName()), "general.userChoice") + "\n" +
               check(home("stick/deeper/" + volumeTrashName() + "/x"), "general.userChoice");
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    EXPECT_EQ(*seen, kInTrash + "\n" + kTheTrash + "\n" + kAllowed);
}

// Every disposal skips what lies in the Trash, and leaves it there.
class CleanupOfTheTrashTest : public testing::CleanupFixture {};

TEST_F(CleanupOfTheTrashTest, NoDisposalTouchesTheTrash) {
    const std::string inside = tree_.file("home/.local/share/Trash/files/old.bin", 4096);
    const std::string record = tree_.text("home/.local/share/Trash/info/old.bin.trashinfo", "[Trash Info]\n");
    for (const Disposal disposal : {Disposal::trash, Disposal::delete_}) {
        CleanupEngine engine(trash_);
        const auto report = engine.run(
            {candidate(inside, 4096), candidate(Paths::parent(record), 10)},
            [disposal](const CleanupCandidate&) { return disposal; }, nullptr);
        ASSERT_EQ(report.outcomes.size(), 2u);
        for (const auto& outcome : report.outcomes) {
            EXPECT_EQ(outcome.status, CleanupOutcome::Status::skipped) << outcome.path;
            EXPECT_EQ(outcome.message, kInTrash) << outcome.path;
        }
        EXPECT_TRUE(testing::exists(inside));
        EXPECT_TRUE(testing::exists(record));
    }
}

}  // namespace
}  // namespace korvane
