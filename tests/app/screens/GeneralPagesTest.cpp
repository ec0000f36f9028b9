#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTest>

#include "app/frame/GeneralSidebar.h"
#include "app/frame/DiskGauge.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/KitButton.h"
#include "app/kit/LinkButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/RailSection.h"
#include "app/kit/SymbolButton.h"
#include "app/presenters/NodeActions.h"
#include "app/presenters/ReviewContent.h"
#include "app/screens/ApplicationsView.h"
#include "app/screens/EntryList.h"
#include "app/screens/EntryListModel.h"
#include "app/screens/LargeFilesView.h"
#include "app/screens/LiveStatsView.h"
#include "app/screens/PageEmptyState.h"
#include "app/screens/SearchView.h"
#include "app/state/SearchRunner.h"
#include "app/theme/AppMotion.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"

// Drives the general pages offscreen over a small real folder scan, and
// keeps pictures of each page in a light and a dark theme under
// build/screenshots/general/ to look at.

namespace korvane {
namespace {

QString screenshotPath(const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots/general"));
    dir.mkpath(QStringLiteral("."));
    return dir.filePath(name + QStringLiteral(".png"));
}

class GeneralPagesTest : public testing::FlowFixture {
protected:
    GeneralPagesTest() { AppMotion::setJumpToEnd(true); }
    ~GeneralPagesTest() override { AppMotion::setJumpToEnd(false); }

    // A file whose blocks are really allocated, so the scan counts its size.
    void file(const std::string& relative, std::int64_t size) {
        const std::string path = at(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << path;
        if (size > 0) {
            ASSERT_EQ(::posix_fallocate(fd, 0, size), 0) << path;
        }
        ::close(fd);
    }

    // A small home: odd names, a file just under and one over the large-file line.
    void scanSmallHome() {
        file("Movies/holiday.mov", 60'000'000);
        file("Downloads/installer.dmg", 52'428'800);
        file("Downloads/almost.zip", 49'900'000);
        file("Documents/<img src=x>.pdf", 300'000);
        file("Documents/two\nlines.txt", 200'000);
        file("Documents/a&b.key", 150'000);
        file("Projects/app/main.cpp", 100'000);
        launch();
        state().folderScan().scanFolder(home_);
        ASSERT_TRUE(testing::waitUntil([&] { return state().folderScan().generalResult().has_value(); }, 20));
    }

    // The small home scanned, with both lists shown over it, searching for everything.
    void showBothLists() {
        scanSmallHome();
        state().folderScan().setSearchQuery({});
        large_ = std::make_unique<LargeFilesView>(state().folderScan(), state().developer(), state().desktop(),
                                                  state().clock());
        search_ = std::make_unique<SearchView>(state().folderScan(), state().developer(), state().desktop(),
                                               state().clock());
        large_->show();
        search_->show();
    }
    // The row listing the file of that name; -1 for none.
    static int rowOf(const EntryListModel& model, const std::string& name) {
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.entries()[static_cast<std::size_t>(row)].name == name) return row;
        return -1;
    }

    std::unique_ptr<LargeFilesView> large_;
    std::unique_ptr<SearchView> search_;

    // The sidebar beside a page, the way the window places them.
    void shoot(QWidget* page, const QString& name) {
        for (const ThemeID theme : {ThemeID::paper, ThemeID::graphite}) {
            QWidget host;
            setEnvironmentPalette(&host, theme);
            auto* row = new QHBoxLayout(&host);
            row->setContentsMargins(0, 0, 0, 0);
            row->setSpacing(0);
            auto* sidebar =
                new GeneralSidebar(state().folderScan(), state().navigation(), state().applications(),
                                   state().liveStats(), state().desktop());
            sidebar->setFixedWidth(248);
            row->addWidget(sidebar);
            page->setParent(&host);
            row->addWidget(page, 1);
            host.resize(1100, 720);
            host.show();
            QCoreApplication::processEvents();
            EXPECT_TRUE(host.grab().save(screenshotPath(name + "-" + QString::fromStdString(std::string(rawValue(theme))))));
            page->setParent(nullptr);
        }
        delete page;
    }
};

TEST_F(GeneralPagesTest, PicturesOfEveryPage) {
    scanSmallHome();
    state().folderScan().setSearchQuery({});
    shoot(new SearchView(state().folderScan(), state().developer(), state().desktop(), state().clock()),
          "search");
    shoot(new LargeFilesView(state().folderScan(), state().developer(), state().desktop(), state().clock()),
          "large-files");
    shoot(new LiveStatsView(state().liveStats()), "stats");
    InstalledApp app;
    app.name = "Sketchbook";
    app.bundleURL = at("Applications/Sketchbook.app");
    app.bundleIdentifier = "com.example.Sketchbook";
    app.version = "4.2";
    app.bundleBytes = 420'000'000;
    app.leftovers = {{at("Library/Caches/com.example.Sketchbook"), 88'000'000, "Caches", "com.example.Sketchbook"},
                     {at("Library/Application Support/Sketchbook"), 12'000'000, "Application Support", "Sketchbook"}};
    InstalledApp other = app;
    other.name = "Notes <b>";
    other.bundleURL = at("Applications/Notes.app");
    other.leftovers.clear();
    state().applications().setApps({app, other});
    shoot(new ApplicationsView(state().applications(), state().desktop(), state().clock()), "applications");
}

TEST_F(GeneralPagesTest, LargeFilesListOnlyWhatReachesTheThresholdAsPlainText) {
    scanSmallHome();
    LargeFilesView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.show();
    const auto& entries = view.list()->model()->entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "holiday.mov");
    EXPECT_EQ(entries[1].name, "installer.dmg");  // 52.4 MB is in; 49.9 MB is not
    EXPECT_EQ(view.total()->text().toStdString(), *view.content().total);
    // A screen reader reads the figure with its name.
    EXPECT_EQ(view.total()->accessibleName().toStdString(), "Total " + *view.content().total);
    EXPECT_EQ(view.list()->model()->data(view.list()->model()->index(0), Qt::DisplayRole).toString(),
              QStringLiteral("holiday.mov"));
}

// A row cuts a long name and its folder to fit; its tooltip and what a
// screen reader hears carry both whole, the name as text, never as markup.
TEST_F(GeneralPagesTest, ARowsTooltipAndAccessibleTextCarryTheWholeNameAndPath) {
    const std::string name = "<b>" + std::string(236, 'n') + "</b>.iso";
    ASSERT_EQ(name.size(), 247u);
    const std::string path = "/data/archive/" + name;
    EntryListModel model;
    model.setEntries({FileTreeScanner::Entry::make(name, path, 4'000'000'000, std::chrono::system_clock::now(), false)},
                     std::chrono::system_clock::now());
    const QModelIndex row = model.index(0);
    const QString tip = model.data(row, Qt::ToolTipRole).toString();
    EXPECT_EQ(tip, "<qt>" + QString::fromStdString(name).toHtmlEscaped() + "<br>" +
                       QString::fromStdString(path).toHtmlEscaped() + "</qt>");
    const QString spoken = model.data(row, Qt::AccessibleTextRole).toString();
    EXPECT_TRUE(spoken.startsWith(QString::fromStdString(name + ", " + path + ", "))) << spoken.toStdString();
}

// A long name cut short in a narrow row keeps its end, where names of a series
// differ: two names that differ only there draw two different rows.
TEST_F(GeneralPagesTest, ALongNameCutShortKeepsItsEnd) {
    launch();
    const auto now = std::chrono::system_clock::now();
    QImage rows[2];
    const std::string names[] = {std::string(120, 'n') + "-1.iso", std::string(120, 'n') + "-2.iso"};
    for (int i = 0; i < 2; ++i) {
        QWidget host;
        host.resize(420, 120);
        EntryList list(state().developer(), state().desktop(), state().clock(), &host);
        list.resize(420, 120);
        list.setEntries({FileTreeScanner::Entry::make(names[i], "/data/" + names[i], 1, now, false)});
        host.show();
        QCoreApplication::processEvents();
        rows[i] = list.view()->viewport()->grab().toImage();
    }
    EXPECT_NE(rows[0], rows[1]);
}

// A name with a line break shows the break as a symbol in its tooltip, as its
// row and the review show it, rather than as a space it does not hold.
TEST_F(GeneralPagesTest, ARowsTooltipShowsALineBreakInANameAsASymbol) {
    EntryListModel model;
    model.setEntries({FileTreeScanner::Entry::make("new\nline.bin", "/data/new\nline.bin", 300'000,
                                                   std::chrono::system_clock::now(), false)},
                     std::chrono::system_clock::now());
    EXPECT_EQ(model.data(model.index(0), Qt::ToolTipRole).toString(),
              QStringLiteral("<qt>new\u23CEline.bin<br>/data/new\u23CEline.bin</qt>"));
}

// What the row under the pointer offers is the keyboard's too: Return shows
// the keyboard's row in the file manager, and its menu shows or opens it.
TEST_F(GeneralPagesTest, TheKeyboardsRowShowsAndOpensFromTheKeyboard) {
    scanSmallHome();
    LargeFilesView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.show();
    QListView* list = view.list()->view();
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_TRUE(list->currentIndex().isValid());
    const std::string path = view.list()->model()->entries()[static_cast<std::size_t>(list->currentIndex().row())].path;
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(desktop_.revealed, (std::vector<std::vector<std::string>>{{path}}));

    QTest::keyClick(list, Qt::Key_Menu);
    auto* menu = view.list()->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Open"));
    menu->actions()[1]->trigger();
    EXPECT_EQ(desktop_.opened, (std::vector<std::string>{path}));
}

TEST_F(GeneralPagesTest, LargeFilesFollowTheNextScan) {
    scanSmallHome();
    LargeFilesView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.show();
    ASSERT_EQ(view.list()->model()->entries().size(), 2u);
    file("Movies/trailer.mov", 70'000'000);
    state().folderScan().scanFolder(home_);
    EXPECT_TRUE(testing::waitUntil([&] { return view.list()->model()->entries().size() == 3; }, 20));
    EXPECT_EQ(view.list()->model()->entries().front().name, "trailer.mov");
}

// A file marked "Never touch" stays listed, but is no longer offered: its
// tick goes, and it cannot be ticked again, in either list.
TEST_F(GeneralPagesTest, AFileMarkedNeverTouchIsListedButCannotBeTicked) {
    showBothLists();
    for (EntryList* list : {large_->list(), search_->list()}) {
        ASSERT_TRUE(testing::waitUntil([&] { return list->model()->rowCount() > 0; }));
        list->model()->toggle(rowOf(*list->model(), "holiday.mov"));
        ASSERT_EQ(list->model()->ticked().size(), 1u);
    }
    StorageNode movies;
    movies.id = home_ + "/Movies";
    movies.path = movies.id;
    movies.name = "Movies";
    state().developer().neverTouch(movies);
    for (EntryList* list : {large_->list(), search_->list()}) {
        EntryListModel& model = *list->model();
        const int row = rowOf(model, "holiday.mov");
        ASSERT_GE(row, 0) << "still listed";
        EXPECT_TRUE(model.ticked().empty());
        EXPECT_FALSE(model.flags(model.index(row)) & Qt::ItemIsUserCheckable);
        model.toggle(row);
        EXPECT_TRUE(model.ticked().empty());
        EXPECT_TRUE(model.rowContent(row).neverTouched);
        const int other = rowOf(model, "installer.dmg");
        EXPECT_FALSE(model.rowContent(other).neverTouched);
        EXPECT_TRUE(model.flags(model.index(other)) & Qt::ItemIsUserCheckable);
    }
}

// It lists what the Trash holds: its rows cannot be ticked, and its nodes have no "Remove…".
TEST_F(GeneralPagesTest, AScanOfTheTrashOffersNothingToRemove) {
    file(".local/share/Trash/files/old.iso", 60'000'000);
    launch();
    state().folderScan().scanFolder(at(".local/share/Trash"));
    ASSERT_TRUE(testing::waitUntil([&] { return state().folderScan().generalResult().has_value(); }, 20));
    LargeFilesView large(state().folderScan(), state().developer(), state().desktop(), state().clock());
    EntryListModel& model = *large.list()->model();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(model.flags(model.index(0)) & Qt::ItemIsUserCheckable);
    model.toggle(0);
    EXPECT_TRUE(model.ticked().empty());
    const StorageNode* iso = state().folderScan().generalRoot()->find(at(".local/share/Trash/files/old.iso"));
    ASSERT_NE(iso, nullptr);
    for (const auto& entry : nodeActionEntries(state().developer(), state().desktop(), *iso))
        EXPECT_NE(entry.action, NodeActionEntry::Action::remove);
}

// Ticks belong to the scan they were made on: a scan of the same folder keeps
// them, a scan of another folder takes them away from both lists.
TEST_F(GeneralPagesTest, TicksLastOnlyWhileTheirFileIsScanned) {
    scanSmallHome();
    file("../outside/film.mkv", 60'000'000);
    state().folderScan().setSearchQuery({});
    LargeFilesView large(state().folderScan(), state().developer(), state().desktop(), state().clock());
    SearchView search(state().folderScan(), state().developer(), state().desktop(), state().clock());
    large.show();
    search.show();
    for (EntryList* list : {large.list(), search.list()}) {
        ASSERT_TRUE(testing::waitUntil([&] { return list->model()->rowCount() > 0; }));
        list->model()->toggle(0);
    }
    for (const auto& [folder, kept] : {std::pair{home_, true}, std::pair{tree_.path("outside"), false}}) {
        state().folderScan().scanFolder(folder);
        ASSERT_TRUE(testing::waitUntil([&] { return !state().folderScan().isScanningFolder(); }, 20));
        for (EntryList* list : {large.list(), search.list()}) {
            ASSERT_TRUE(testing::waitUntil([&] { return list->model()->rowCount() > 0; }));
            EXPECT_EQ(list->model()->ticked().size(), kept ? 1u : 0u) << folder;
            EXPECT_EQ(list->actionBarWidget()->isVisible(), kept) << folder;
        }
    }
}

TEST_F(GeneralPagesTest, TickingTwoEntriesAndRemovingOpensTheReviewMovingToTheTrash) {
    scanSmallHome();
    state().folderScan().setSearchQuery({});
    SearchView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.resize(900, 600);
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return view.runner().isCurrent(); }));
    QListView* list = view.list()->view();
    EntryListModel* model = view.list()->model();
    ASSERT_GE(model->rowCount(), 3);
    EXPECT_FALSE(view.list()->actionBarWidget()->isVisible());

    // Click the tick of the first two files, as the user does (the folders
    // above them, the home's own, are listed too).
    std::vector<int> rows;
    for (int row = 0; row < model->rowCount() && rows.size() < 2; ++row)
        if (!model->entries()[static_cast<std::size_t>(row)].isDirectory) rows.push_back(row);
    ASSERT_EQ(rows.size(), 2u);
    for (int row : rows) {
        const QRect rect = list->visualRect(model->index(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 20, rect.center().y()));
    }
    EXPECT_EQ(model->data(model->index(rows[1]), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(view.list()->actionBarWidget()->isVisible());
    EXPECT_EQ(view.list()->actionBar().count, "2 selected");
    const std::vector<FileTreeScanner::Entry> chosen = {model->entries()[static_cast<std::size_t>(rows[0])],
                                                        model->entries()[static_cast<std::size_t>(rows[1])]};

    view.list()->removeButton()->click();
    ASSERT_EQ(state().navigation().sheet(), AppState::Sheet::review);
    ASSERT_EQ(state().developer().stagedCandidates().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const CleanupCandidate& candidate = state().developer().stagedCandidates()[i];
        EXPECT_EQ(candidate.path, chosen[i].path);
        EXPECT_EQ(candidate.ruleID, "general.userChoice");
        EXPECT_TRUE(state().developer().selection().contains(candidate.id));
    }
    const ReviewContent review =
        reviewContent(state().developer().selectedCandidates(), state().preferences().disposalOverride());
    ASSERT_EQ(review.rows.size(), 2u);
    for (const auto& row : review.rows) EXPECT_EQ(row.disposal, Disposal::trash);
    // Remove leaves the ticks; Clear empties them and hides the bar.
    EXPECT_EQ(model->ticked().size(), 2u);
    view.list()->clearButton()->click();
    EXPECT_FALSE(view.list()->actionBarWidget()->isVisible());
}

TEST_F(GeneralPagesTest, RemoveWithNothingToReviewSaysWhyInTheBarOnBothLists) {
    // A folder outside the home folder: nothing in it may be removed.
    file("../outside/film.mkv", 60'000'000);
    launch();
    state().folderScan().scanFolder(tree_.path("outside"));
    ASSERT_TRUE(testing::waitUntil([&] { return state().folderScan().generalResult().has_value(); }, 20));
    state().folderScan().setSearchQuery({});
    LargeFilesView large(state().folderScan(), state().developer(), state().desktop(), state().clock());
    SearchView search(state().folderScan(), state().developer(), state().desktop(), state().clock());
    large.show();
    search.show();
    for (EntryList* list : {large.list(), search.list()}) {
        ASSERT_TRUE(testing::waitUntil([&] { return list->model()->rowCount() == 1; }));
        // Said as soon as it is ticked: "Remove" has nothing it may do.
        list->model()->toggle(0);
        EXPECT_TRUE(list->noticeLabel()->isVisible());
        EXPECT_EQ(list->noticeLabel()->text(),
                  QStringLiteral("Korvane only removes files inside your home folder."));
        EXPECT_FALSE(list->removeButton()->isEnabled());
        list->removeButton()->click();
        EXPECT_EQ(state().navigation().sheet(), std::nullopt);
        list->model()->toggle(0);  // a change of ticks takes the line away
        EXPECT_FALSE(list->noticeLabel()->isVisible());
    }
}

// The only pick was replaced by a larger file of the same name and date:
// nothing is left to review, and the bar says why after its tick has gone
// and the list has followed the disk.
TEST_F(GeneralPagesTest, ALonePickThatChangedSinceTheScanIsLeftOutWithALineOnBothLists) {
    showBothLists();
    const std::string film = at("Movies/holiday.mov");
    std::int64_t size = 60'000'000;
    for (EntryList* list : {large_->list(), search_->list()}) {
        SCOPED_TRACE(list == large_->list() ? "large files" : "search");
        EntryListModel& model = *list->model();
        // Listed as the disk holds it now.
        const auto listed = [&] {
            const int row = rowOf(model, "holiday.mov");
            return row >= 0 && model.entries()[static_cast<std::size_t>(row)].size >= size;
        };
        ASSERT_TRUE(testing::waitUntil(listed));
        model.toggle(rowOf(model, "holiday.mov"));
        struct stat seen {};
        ASSERT_EQ(::stat(film.c_str(), &seen), 0);
        size += 40'000'000;
        file("Movies/.export.tmp", size);
        const struct timespec times[2] = {seen.st_mtim, seen.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, at("Movies/.export.tmp").c_str(), times, 0), 0);
        ASSERT_EQ(std::rename(at("Movies/.export.tmp").c_str(), film.c_str()), 0);

        list->removeButton()->click();
        EXPECT_EQ(state().navigation().sheet(), std::nullopt);
        ASSERT_TRUE(testing::waitUntil(listed));
        EXPECT_TRUE(list->model()->ticked().empty());
        EXPECT_TRUE(list->actionBarWidget()->isVisible());
        EXPECT_TRUE(list->noticeLabel()->isVisible());
        EXPECT_EQ(list->noticeLabel()->text(),
                  QStringLiteral("\u201Choliday.mov\u201D changed since the scan, so it is left out."));
        // Nothing is chosen: there is nothing to count, clear or remove.
        EXPECT_FALSE(list->removeButton()->isVisible());
        EXPECT_FALSE(list->clearButton()->isVisible());
        model.toggle(rowOf(model, "holiday.mov"));  // a new choice takes the line away
        EXPECT_FALSE(list->noticeLabel()->isVisible());
        EXPECT_TRUE(list->removeButton()->isVisible());
        model.clearTicks();
        EXPECT_FALSE(list->actionBarWidget()->isVisible());
    }
}

TEST_F(GeneralPagesTest, ARemovedFileLeavesTheListItsTickAndTheTotal) {
    scanSmallHome();
    LargeFilesView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.show();
    EntryList& list = *view.list();
    ASSERT_EQ(list.model()->entries().size(), 2u);
    const std::string film = list.model()->entries()[0].path;
    list.model()->toggle(0);  // holiday.mov
    list.removeButton()->click();
    state().developer().startCleanup();
    ASSERT_TRUE(
        testing::waitUntil([&] { return state().navigation().route() == AppState::Route::finished; }));
    // The Trash lies in this home: once the home is scanned again the film is listed there, not where it was.
    std::int64_t listed = 0;
    for (const auto& entry : list.model()->entries()) {
        EXPECT_NE(entry.path, film);
        listed += entry.size;
    }
    EXPECT_TRUE(list.model()->ticked().empty());  // the bar does not count what is gone
    EXPECT_FALSE(list.actionBarWidget()->isVisible());
    EXPECT_EQ(*view.content().total, ByteFormat::string(listed));
}

// A screen reader reads the result count beside the field as the number it shows.
TEST_F(GeneralPagesTest, TheResultCountReadsOutItsNumber) {
    scanSmallHome();
    SearchView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.show();
    for (const auto& [typed, read] :
         {std::pair{"img", "1 result"}, std::pair{"zzz", "0 results"}, std::pair{"o", "7 results"}}) {
        view.field()->setText(QString::fromUtf8(typed));
        ASSERT_TRUE(testing::waitUntil([&] { return view.runner().isCurrent(); }));
        const QString name = QAccessible::queryAccessibleInterface(view.countBadge())->text(QAccessible::Name);
        EXPECT_EQ(name.toStdString(), read);
    }
}

TEST_F(GeneralPagesTest, SearchFollowsTheFieldAndSurvivesAHostilePattern) {
    scanSmallHome();
    SearchView view(state().folderScan(), state().developer(), state().desktop(), state().clock());
    view.show();
    // Set as a screen reader sets it, without a keystroke.
    QAccessible::queryAccessibleInterface(view.field())->setText(QAccessible::Value, QStringLiteral("img"));
    EXPECT_EQ(state().folderScan().searchQuery().text, "img");
    EXPECT_TRUE(view.countBadge()->isVisible());
    ASSERT_TRUE(testing::waitUntil([&] { return view.runner().isCurrent(); }));
    EXPECT_EQ(view.countBadge()->text(), QStringLiteral("1"));
    EXPECT_EQ(view.list()->model()->entries().front().name, "<img src=x>.pdf");

    view.regexBox()->click();
    view.field()->clear();
    QTest::keyClicks(view.field(), QStringLiteral("(a+)+$"));
    ASSERT_TRUE(testing::waitUntil([&] { return view.runner().isCurrent(); }));
    EXPECT_EQ(view.content().emptyState->title, "Nothing matches");

    // Clearing the text keeps the filters.
    view.kindPicker()->setCurrentIndex(1);
    emit view.kindPicker()->activated(1);
    view.clearButton()->click();
    EXPECT_EQ(state().folderScan().searchQuery().text, "");
    EXPECT_EQ(state().folderScan().searchQuery().kind, FileKind::images);
    EXPECT_TRUE(state().folderScan().searchQuery().isRegex);
    EXPECT_FALSE(view.countBadge()->isVisible());
}

TEST_F(GeneralPagesTest, SidebarStopsAtOnceAndSwitchesPages) {
    scanSmallHome();
    GeneralSidebar sidebar(state().folderScan(), state().navigation(), state().applications(),
                           state().liveStats(), state().desktop());
    sidebar.show();
    EXPECT_TRUE(sidebar.thisScanSection()->isVisible());
    EXPECT_EQ(sidebar.diskGauge()->accessibleName().toStdString(), sidebar.content().gauge.accessibleText);

    // The sidebar follows the scan's start at once; no event is processed
    // here, so a small home's result cannot arrive before the checks.
    state().folderScan().scanFolder(home_);
    EXPECT_EQ(sidebar.primaryButton()->title(), QStringLiteral("Scanning\u2026"));
    EXPECT_FALSE(sidebar.primaryButton()->isEnabled());
    EXPECT_FALSE(sidebar.folderButton()->isEnabled());
    sidebar.secondaryButton()->click();
    EXPECT_FALSE(state().folderScan().isScanningFolder());
    EXPECT_EQ(sidebar.secondaryButton()->title(), QStringLiteral("Rescan"));
    EXPECT_TRUE(sidebar.primaryButton()->isEnabled());

    // Starting a scan leaves the page alone; a page row switches it.
    static_cast<QAbstractButton*>(sidebar.pageRows()[2])->click();
    EXPECT_EQ(state().navigation().generalSection(), AppState::GeneralSection::largeFiles);
    EXPECT_EQ(sidebar.pageRows()[2]->accessibleName(), QStringLiteral("Large files"));
}

TEST_F(GeneralPagesTest, ApplicationsPageScansOnceWhenItFirstAppears) {
    const std::string folder = at("Applications");
    std::filesystem::create_directories(folder + "/Sketchbook.app/Contents");
    int made = 0;
    makeUninstaller_ = [&made, folder] {
        ++made;
        return std::make_unique<AppUninstaller>(std::vector<std::string>{folder});
    };
    launch();
    {
        ApplicationsView view(state().applications(), state().desktop(), state().clock());
        EXPECT_EQ(made, 0);  // not before it shows
        view.show();
        EXPECT_EQ(made, 1);
        EXPECT_TRUE(state().applications().isScanningApps());
        view.hide();
        view.show();
        EXPECT_EQ(made, 1);
        ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
        ASSERT_EQ(state().applications().apps().size(), 1u);
        EXPECT_EQ(view.list()->model()->rowCount(), 1);
        ASSERT_TRUE(view.detail());
        EXPECT_EQ(view.detail()->name, "Sketchbook");
        EXPECT_TRUE(view.includeBundleBox()->isChecked());
    }
    ApplicationsView again(state().applications(), state().desktop(), state().clock());
    again.show();
    EXPECT_EQ(made, 1);  // a later visit shows the list as it was left
    EXPECT_FALSE(state().applications().isScanningApps());

    QTest::keyClicks(again.filterField(), QStringLiteral("zzz"));
    EXPECT_EQ(again.list()->model()->rowCount(), 0);
    EXPECT_FALSE(again.detail());
}

TEST_F(GeneralPagesTest, EmptyStateShowsItsTextsAsPlainText) {
    EmptyStateView& view = *makePageEmptyState();
    showPageEmptyState(view, {"magnifyingglass", "<b>Title</b>", "A & B"});
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        texts.append(label->text());
    }
    delete &view;
    EXPECT_TRUE(texts.contains(QStringLiteral("<b>Title</b>")));
    EXPECT_TRUE(texts.contains(QStringLiteral("A & B")));
}

}  // namespace

// The statistics page over a fixture machine: a new sample redraws it.
TEST(LiveStatsViewTest, FollowsTheFixtureMachine) {
    testing::AppStateHarness harness;
    harness.home.text("machine/proc/meminfo",
                      "MemTotal: 1000000 kB\nMemFree: 500000 kB\nMemAvailable: 600000 kB\n"
                      "SwapTotal: 100000 kB\nSwapFree: 100000 kB\n");
    auto state = harness.make();
    LiveStatsView view(state->liveStats());
    view.show();
    EXPECT_FALSE(view.swapWarning()->isVisible());
    const std::string before = view.content().meters[1].caption;

    harness.home.text("machine/proc/meminfo",
                      "MemTotal: 1000000 kB\nMemFree: 50000 kB\nMemAvailable: 100000 kB\n"
                      "SwapTotal: 100000 kB\nSwapFree: 50000 kB\n");
    state->liveStats().startStatsTimer();  // one reading now, as every two seconds
    EXPECT_NE(view.content().meters[1].caption, before);
    EXPECT_EQ(view.content().meters[1].tint, GaugeTint::red);  // 900 of 1000 MB
    EXPECT_TRUE(view.swapWarning()->isVisible());
    EXPECT_EQ(view.swapWarning()->text().toStdString(), *view.content().swapWarning);
    EXPECT_EQ(view.uptime()->text(), QStringLiteral("0h 0m"));
    EXPECT_EQ(view.meters().size(), 2u);  // no battery in the fixture
}

}  // namespace korvane
