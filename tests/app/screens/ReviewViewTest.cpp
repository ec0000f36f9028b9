#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/MainWindow.h"
#include "app/kit/DisposalPicker.h"
#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/kit/ShownToolTip.h"
#include "app/screens/ReviewRowView.h"
#include "app/screens/ReviewView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Sheet = AppState::Sheet;

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>()) texts.append(label->text());
    return texts;
}

class ReviewViewTest : public testing::FlowFixture {
protected:
    ReviewViewTest() { AppMotion::setJumpToEnd(true); }
    ~ReviewViewTest() override { AppMotion::setJumpToEnd(false); }

    // A file of `size` bytes under the temporary home, picked by the user.
    FileTreeScanner::Entry file(const std::string& name, std::int64_t size) {
        // A name may hold what a file name cannot ("/"): the file on disk stands in for it.
        std::string onDisk = name;
        std::replace(onDisk.begin(), onDisk.end(), '/', '_');
        const std::string path = at("Downloads/" + onDisk);
        std::filesystem::create_directories(at("Downloads"));
        std::ofstream(path) << std::string(static_cast<std::size_t>(size), 'x');
        return FileTreeScanner::Entry::make(name, path, size, std::chrono::system_clock::now(), false);
    }

    // Opens the list and picks the option with this title, as a click would.
    static void pick(DisposalPicker& picker, const QString& title) {
        picker.dropdown()->click();
        ASSERT_TRUE(picker.dropdown()->isOpen());
        for (DropdownRow* row : picker.dropdown()->list()->findChildren<DropdownRow*>())
            if (row->accessibleName() == title) {
                row->click();
                return;
            }
        FAIL() << "no option " << title.toStdString();
    }
};

TEST_F(ReviewViewTest, RowsFollowTheSelectionAndShowDataAsPlainText) {
    launch();
    state().developer().stageUserChoice({file("<b>x</b>", 4000), file("a&b", 3000), file("plain", 2000)});
    ReviewView view(state().developer(), state().preferences());
    view.show();
    const QList<QWidget*> rows = view.rowViews();
    ASSERT_EQ(rows.size(), 3);
    const QStringList texts = labelTexts(view);
    EXPECT_TRUE(texts.contains(QStringLiteral("<b>x</b>")));
    EXPECT_TRUE(texts.contains(QStringLiteral("a&b")));
    for (const QLabel* label : view.findChildren<QLabel*>()) EXPECT_EQ(label->textFormat(), Qt::PlainText);
    // Largest first.
    EXPECT_TRUE(labelTexts(*rows[0]).contains(QStringLiteral("<b>x</b>")));
    EXPECT_EQ(view.cleanButton()->title(), QString::fromStdString(view.content().cleanTitle));
    EXPECT_TRUE(view.cleanButton()->isEnabled());
    EXPECT_TRUE(texts.contains(QString::fromStdString(*view.content().warning)));

    // "Remove" leaves the item out; the last one gone disables the clean button.
    for (int left = 2; left >= 0; --left) {
        auto* row = qobject_cast<ReviewRowView*>(view.rowViews().front());
        row->removeButton()->click();
        EXPECT_EQ(view.rowViews().size(), left);
        EXPECT_EQ(state().developer().selection().size(), static_cast<std::size_t>(left));
    }
    EXPECT_FALSE(view.cleanButton()->isEnabled());
    EXPECT_EQ(view.content().cleanTitle.rfind("Clean ", 0), 0u);
}

// As general picks are when staged: a cache that became a link since is left out with the same line.
TEST_F(ReviewViewTest, ADeveloperPickThatChangedSinceTheScanIsLeftOutAsTheReviewOpens) {
    launch();
    std::vector<CleanupCandidate> caches;
    for (const std::string name : {"kept", "linked"}) {
        caches.emplace_back(UUID::random(), CleanupCategory::node, "node.npmCache", "Caches", name,
                            tree_.folder("home/.cache/" + name), 9'000, SafetyLevel::safe, "reason", std::nullopt,
                            std::nullopt, DetailMap{}, RemovalKind::path());
        struct stat st {};
        ::lstat(caches.back().path.c_str(), &st);
        caches.back().seen = ItemIdentity::of(st);
    }
    state().developer().setScan(ScanResult({}, 1, {CategoryResult(CleanupCategory::node, 18'000, caches)}, {}, {}));
    state().developer().setSelection({caches[0].id, caches[1].id});
    ReviewView view(state().developer(), state().preferences());
    ASSERT_EQ(::rmdir(caches[1].path.c_str()), 0);
    ASSERT_EQ(::symlink(caches[0].path.c_str(), caches[1].path.c_str()), 0);
    state().navigation().setSheet(Sheet::review);
    EXPECT_EQ(view.rowViews().size(), 1);
    EXPECT_EQ(view.content().leftOut, "\u201Clinked\u201D changed since the scan, so it is left out.");
    EXPECT_EQ(state().developer().scan()->allCandidates(), std::vector<CleanupCandidate>{caches[0]});
}

TEST_F(ReviewViewTest, ANameWithALineBreakTakesOneLineAndShowsTheBreak) {
    launch();
    state().developer().stageUserChoice({file("two\nlines.txt", 4000), file("one line.txt", 3000)});
    ReviewView view(state().developer(), state().preferences());
    view.resize(700, 600);
    view.show();
    const QList<QWidget*> rows = view.rowViews();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->sizeHint().height(), rows[1]->sizeHint().height());
    EXPECT_TRUE(labelTexts(*rows[0]).contains(QStringLiteral("two\u23CElines.txt")));
    for (const QLabel* label : rows[0]->findChildren<QLabel*>()) EXPECT_FALSE(label->text().contains('\n'));
    // The whole name is there to read on hover.
    bool whole = false;
    for (const QLabel* label : rows[0]->findChildren<QLabel*>())
        whole = whole || shownToolTip(*label).contains(QStringLiteral("two\nlines.txt"));
    EXPECT_TRUE(whole);
}

TEST_F(ReviewViewTest, DisposalPickerStoresTheChoiceAndClearsItForTheRecommendation) {
    launch();
    state().developer().stageUserChoice({file("one", 1000)});
    ReviewView view(state().developer(), state().preferences());
    view.show();
    DisposalPicker& picker = *view.disposalPicker();

    pick(picker, QStringLiteral("Always move to Trash"));
    EXPECT_EQ(state().preferences().disposalOverride(), Disposal::trash);
    EXPECT_EQ(settings_.values.at(PreferencesState::disposalKey), "trash");
    EXPECT_FALSE(picker.dropdown()->isOpen());
    EXPECT_EQ(picker.dropdown()->accessibleName(), QStringLiteral("Always move to Trash"));

    pick(picker, QStringLiteral("Always delete"));
    EXPECT_EQ(settings_.values.at(PreferencesState::disposalKey), "delete");
    EXPECT_TRUE(labelTexts(view).contains(QStringLiteral("Deleted")));
    EXPECT_FALSE(view.content().trashNotice.has_value());

    pick(picker, QStringLiteral("Recommended"));
    EXPECT_EQ(state().preferences().disposalOverride(), std::nullopt);
    EXPECT_EQ(settings_.values.count(PreferencesState::disposalKey), 0u);
    EXPECT_EQ(picker.dropdown()->accessibleName(), QStringLiteral("Recommended"));
}

TEST_F(ReviewViewTest, CleanClosesTheSheetAndRemovesWithTheChosenDisposal) {
    struct Case {
        std::optional<QString> option;
        CleanupOutcome::Status expected;
    };
    for (const Case& c : {Case{std::nullopt, CleanupOutcome::Status::trashed},
                          Case{QStringLiteral("Always delete"), CleanupOutcome::Status::deleted}}) {
        launch();
        MainWindow window(state());
        window.show();
        const FileTreeScanner::Entry picked = file("picked.bin", 5000);
        state().developer().stageUserChoice({picked});
        ASSERT_EQ(state().navigation().sheet(), Sheet::review);
        ASSERT_NE(window.sheetDialog(), nullptr);
        auto* view = window.sheetDialog()->findChild<ReviewView*>();
        ASSERT_NE(view, nullptr);
        if (c.option) pick(*view->disposalPicker(), *c.option);

        view->cleanButton()->click();
        EXPECT_EQ(state().navigation().sheet(), std::nullopt);
        EXPECT_EQ(window.sheetDialog(), nullptr);
        ASSERT_TRUE(
            testing::waitUntil([&] { return state().navigation().route() == AppState::Route::finished; }));
        ASSERT_TRUE(state().developer().lastReport().has_value());
        ASSERT_EQ(state().developer().lastReport()->outcomes.size(), 1u);
        EXPECT_EQ(state().developer().lastReport()->outcomes.front().status, c.expected);
        EXPECT_FALSE(std::filesystem::exists(picked.path));
    }
}

// Return is the sheet's default action: it cleans, it does not open the disposal list.
TEST_F(ReviewViewTest, ReturnCleans) {
    launch();
    MainWindow window(state());
    window.show();
    const FileTreeScanner::Entry picked = file("picked.bin", 5000);
    state().developer().stageUserChoice({picked});
    ASSERT_NE(window.sheetDialog(), nullptr);
    QDialog* sheet = window.sheetDialog();
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    auto* view = sheet->findChild<ReviewView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), view->cleanButton());

    // A disposal picked with the pointer hands Return back to the clean button.
    pick(*view->disposalPicker(), QStringLiteral("Always delete"));
    ASSERT_TRUE(testing::waitUntil([&] { return sheet->focusWidget() == view->cleanButton(); }));
    QTest::keyClick(sheet->focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(
        testing::waitUntil([&] { return state().navigation().route() == AppState::Route::finished; }));
    EXPECT_FALSE(std::filesystem::exists(picked.path));
    EXPECT_EQ(state().developer().lastReport()->outcomes.at(0).status, CleanupOutcome::Status::deleted);
}

}  // namespace
}  // namespace korvane
