#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollArea>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/kit/ElidedLabel.h"
#include "app/kit/EmptyStateView.h"
#include "app/kit/KitButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/ShownToolTip.h"
#include "app/screens/AppDetailPane.h"
#include "app/screens/ApplicationsView.h"
#include "app/screens/LeftoverRow.h"
#include "app/state/PlatformWords.h"
#include "app/theme/AppFont.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/explorer/LinuxHomeSupport.h"

namespace korvane {
namespace {

// The page over a Linux home with an AppImage and a Flatpak in each
// installation, each with something left behind.
class ApplicationsViewTest : public testing::FlowFixture {
protected:
    ApplicationsViewTest() {
        AppMotion::setJumpToEnd(true);
        const std::string krita = fake.appImage("Applications/krita.AppImage", 256 * 1024);
        fake.desktopEntry("org.kde.krita.desktop",
                          "Name=Krita\nExec=" + krita + "\nIcon=krita\nX-AppImage-Version=5.2.1\n");
        fake.flatpak("home/.local/share/flatpak", "org.gimp.GIMP", "GIMP", "2.10.38", 512 * 1024);
        fake.flatpak("system-flatpak", "org.videolan.VLC", "VLC", "3.0.20", 384 * 1024);
        fake.leftover(".config/Krita");
        fake.leftover(".var/app/org.gimp.GIMP");
        fake.leftover(".var/app/org.videolan.VLC");
        makeUninstaller_ = [places = fake.places()] {
            return std::make_unique<AppUninstaller>(std::vector<std::string>{}, places);
        };
    }
    ~ApplicationsViewTest() override { AppMotion::setJumpToEnd(false); }

    std::vector<std::string> labelTexts(const QWidget& view) const {
        std::vector<std::string> texts;
        for (const QLabel* label : view.findChildren<QLabel*>()) texts.push_back(label->text().toStdString());
        return texts;
    }

    testing::LinuxHome fake{tree_};
};

TEST_F(ApplicationsViewTest, ListsTheAppImageAndBothFlatpaksWithTheirLeftovers) {
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));

    QAbstractItemModel& model = *view.list()->model();
    ASSERT_EQ(model.rowCount(), 3);
    std::vector<std::string> names;
    for (int row = 0; row < 3; ++row) {
        names.push_back(model.data(model.index(row, 0)).toString().toStdString());
        // Screen readers hear what was left behind too.
        EXPECT_NE(model.data(model.index(row, 0), Qt::AccessibleTextRole).toString().indexOf("left behind"),
                  -1)
            << names.back();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"GIMP", "VLC", "Krita"}));

    // The first row shows: a Flatpak, with its version, leftover and a note
    // that the Trash cannot bring the application itself back.
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(view.detail()->version, "Version 2.10.38");
    EXPECT_EQ(view.detail()->identifier, "org.gimp.GIMP");
    ASSERT_EQ(view.detail()->leftovers.size(), 1u);
    EXPECT_EQ(view.detail()->leftovers[0].path, "~/.var/app/org.gimp.GIMP");
    const auto texts = labelTexts(view);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), platformWords::flatpakNote), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), platformWords::systemManagedNote), 0);

    QTest::mouseClick(view.uninstallButton(), Qt::LeftButton);
    const auto& staged = state().developer().stagedCandidates();
    ASSERT_EQ(staged.size(), 2u);
    const auto command = std::find_if(staged.begin(), staged.end(),
                                      [](const CleanupCandidate& c) { return c.removal.isCommand(); });
    ASSERT_NE(command, staged.end());
    EXPECT_EQ(command->removal.commandLine(), "flatpak uninstall --noninteractive --user org.gimp.GIMP");
}

// A list built anew (after a put back, say) keeps the chosen application for
// the keyboard too: Tab into the list lands on it, not on the first row.
TEST_F(ApplicationsViewTest, TabIntoAListBuiltAnewKeepsTheChosenApplication) {
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
    ApplicationsState& applications = state().applications();
    const auto apps = applications.apps();
    ASSERT_EQ(apps.size(), 3u);
    applications.setSelectedApp(apps[2]);
    applications.setApps({});
    applications.setApps(apps);

    view.list()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(view.list()->hasFocus());
    EXPECT_EQ(applications.selectedApp(), apps[2]);
    EXPECT_EQ(view.list()->currentIndex().row(), 2);
    // The arrows go on from there.
    QTest::keyClick(view.list(), Qt::Key_Up);
    EXPECT_EQ(applications.selectedApp(), apps[1]);
    EXPECT_EQ(view.detail()->name, apps[1].name);
}

// An AppImage shows its desktop entry's version and only the Trash's note;
// the filter follows its text however it is set (here as a screen reader
// sets it, without a keystroke).
// In a narrow pane nothing runs off it: the facts and the buttons take more
// lines, whole, and a leftover's path is cut in its middle to the room its
// row leaves, whole in its tooltip.
TEST_F(ApplicationsViewTest, ANarrowDetailPaneWrapsItsFactsAndButtonsAndCutsPathsToFit) {
    launch();
    AppUninstaller::InstalledApp app;
    app.name = "Krita";
    app.bundleURL = "/opt/apps/krita.AppImage";
    app.bundleIdentifier = "org.kde.krita";
    app.version = "5.2.1";
    app.bundleBytes = 312'000'000;
    app.lastUsed = std::chrono::system_clock::now() - std::chrono::hours(24 * 400);
    const std::string longPath = fake.home + "/.cache/krita/some/rather/deep/folder/with/a/long/name/inside/it";
    app.leftovers = {{longPath, 12'000'000, "Caches", "krita"}, {fake.home + "/.config/Krita", 4'000, "Settings", "krita"}};
    for (const int width : {330, 400, 560}) {
        SCOPED_TRACE(width);
        AppDetailPane pane(state().applications(), state().desktop(), state().clock());
        pane.resize(width, 700);
        pane.showApp(app, {});
        pane.show();
        QCoreApplication::processEvents();
        const QWidget* column = pane.findChild<QScrollArea*>()->widget();
        for (const QWidget* child : column->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(&pane)) continue;
            const QRect placed(child->mapTo(&pane, QPoint(0, 0)), child->size());
            EXPECT_LE(placed.right(), width - 1) << child->metaObject()->className();
        }
        for (const KitButton* button : pane.findChildren<KitButton*>())
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->title().toStdString();
        const ElidedLabel* path = nullptr;
        for (const ElidedLabel* label : pane.findChildren<ElidedLabel*>())
            if (label->accessibleName() == QStringLiteral("~/.cache/krita/some/rather/deep/folder/with/a/long/name/inside/it"))
                path = label;
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(shownToolTip(*path), path->accessibleName());
        // Never a sliver: beside its tag while it keeps room, else under it.
        EXPECT_GE(path->width(), LeftoverRow::minimumPathBeside);
        const QRect placed(path->mapTo(&pane, QPoint(0, 0)), path->size());
        EXPECT_LE(placed.right(), width - 1);
    }
}

// "LEFT BEHIND" is a section label: the label face, also in a monospaced theme.
TEST_F(ApplicationsViewTest, TheLeftoversHeadingTakesTheLabelFontInEveryTheme) {
    launch();
    AppUninstaller::InstalledApp app;
    app.name = "Krita";
    app.bundleURL = "/opt/apps/krita.AppImage";
    app.bundleBytes = 312'000'000;
    app.leftovers = {{fake.home + "/.config/Krita", 4'000, "Settings", "krita"}};
    for (const ThemeID theme : {ThemeID::terminal, ThemeID::blueprint}) {
        AppDetailPane pane(state().applications(), state().desktop(), state().clock());
        setEnvironmentPalette(&pane, theme);
        pane.showApp(app, {});
        const auto labels = pane.findChildren<QLabel*>();
        const auto heading = std::find_if(labels.begin(), labels.end(), [](const QLabel* label) {
            return label->text() == QStringLiteral("LEFT BEHIND");
        });
        ASSERT_NE(heading, labels.end());
        EXPECT_EQ((*heading)->font().family(), AppFont::label().family());
        EXPECT_NEAR((*heading)->font().letterSpacing(), 0.6, 0.02);
    }
}

// In a window of 720 and of 1024 pixels the list column gives way, its rows
// filling it, and nothing of the detail pane runs past its edge, whichever
// application it shows, however long its name.
TEST_F(ApplicationsViewTest, OnANarrowPageTheListGivesWayAndTheDetailPaneKeepsWhole) {
    fake.appImage("Applications/A Very Long Application Name For A Studio Suite Edition 2024.AppImage");
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
    QAbstractItemModel& model = *view.list()->model();
    ASSERT_EQ(model.rowCount(), 4);
    const auto* pane = view.findChild<AppDetailPane*>();
    ASSERT_NE(pane, nullptr);
    for (const int page : {472, 776}) {
        view.resize(page, 490);
        QCoreApplication::processEvents();
        // Wider only where its rows need the room for their figures.
        EXPECT_GE(view.listColumn()->width(), static_cast<int>(appListColumnWidth(page))) << page;
        EXPECT_LT(view.listColumn()->width(), 321);
        for (int row = 0; row < model.rowCount(); ++row) {
            SCOPED_TRACE(std::to_string(page) + " row " + std::to_string(row));
            QTest::mouseClick(view.list()->viewport(), Qt::LeftButton, {},
                              view.list()->visualRect(model.index(row, 0)).center());
            QCoreApplication::processEvents();
            EXPECT_EQ(view.list()->visualRect(model.index(row, 0)).width(), view.list()->viewport()->width());
            const QWidget* column = pane->findChild<QScrollArea*>()->widget();
            for (const QWidget* child : column->findChildren<QWidget*>()) {
                if (!child->isVisibleTo(pane)) continue;
                const QRect placed(child->mapTo(pane, QPoint(0, 0)), child->size());
                EXPECT_LE(placed.right(), pane->width() - 1) << child->metaObject()->className();
            }
        }
    }
}

// Each letter typed into a filter that hides every application is the one the pane names.
TEST_F(ApplicationsViewTest, ThePaneNamesTheFilterAsTypedWhileItHidesEveryApplication) {
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
    const auto shownTitle = [&view]() -> std::string {
        for (const EmptyStateView* empty : view.findChildren<EmptyStateView*>())
            if (empty->isVisible()) return empty->title().toStdString();
        return {};
    };
    for (const char* typed : {"z", "zz", "zzq"}) {
        view.filterField()->setText(QString::fromUtf8(typed));
        EXPECT_EQ(shownTitle(), std::string("Nothing matches \u201C") + typed + "\u201D");
    }
    view.filterField()->setText(QStringLiteral("krit"));
    EXPECT_EQ(shownTitle(), "");
    ASSERT_TRUE(view.detail());
}

TEST_F(ApplicationsViewTest, AnAppImageShowsItsVersionAndOnlyTheTrashNote) {
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
    view.filterField()->setText(QStringLiteral("krit"));
    ASSERT_EQ(view.list()->model()->rowCount(), 1);
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(view.detail()->name, "Krita");
    EXPECT_EQ(view.detail()->version, "Version 5.2.1");
    EXPECT_EQ(view.detail()->leftovers.size(), 1u);
    const auto texts = labelTexts(view);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Version 5.2.1"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), platformWords::systemManagedNote), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), platformWords::flatpakNote), 0);
}

// Choosing "Always delete" in a review (or in Settings) changes what the
// uninstall will do, and the note under it says so at once.
TEST_F(ApplicationsViewTest, TheNoteFollowsTheDisposalChosenElsewhere) {
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
    view.filterField()->setText(QStringLiteral("krit"));
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(view.detail()->note, platformWords::systemManagedNote);
    state().preferences().setDisposalOverride(Disposal::delete_);
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(view.detail()->note, platformWords::deletedNote);
    auto texts = labelTexts(view);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), platformWords::deletedNote), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), platformWords::systemManagedNote), 0);
    state().preferences().setDisposalOverride(std::nullopt);
    EXPECT_EQ(view.detail()->note, platformWords::systemManagedNote);
}

TEST_F(ApplicationsViewTest, LeavingTheApplicationItselfOutHoldsForTheNextOneAndANewPalette) {
    launch();
    ApplicationsView view(state().applications(), state().desktop(), state().clock());
    view.show();
    ASSERT_TRUE(testing::waitUntil([&] { return !state().applications().isScanningApps(); }));
    ASSERT_TRUE(view.includeBundleBox()->isChecked());
    const QString withBundle = view.uninstallButton()->title();

    // The button's title follows the box at once.
    view.includeBundleBox()->click();
    EXPECT_NE(view.uninstallButton()->title(), withBundle);
    EXPECT_EQ(view.uninstallButton()->title().toStdString(), view.detail()->uninstallTitle);

    // The next application and a new palette build the pane again, the box as left.
    QAbstractItemModel& model = *view.list()->model();
    QTest::mouseClick(view.list()->viewport(), Qt::LeftButton, {},
                      view.list()->visualRect(model.index(2, 0)).center());
    ASSERT_EQ(view.detail()->name, "Krita");
    EXPECT_FALSE(view.includeBundleBox()->isChecked());
    setEnvironmentPalette(&view, ThemeID::graphite);
    ASSERT_TRUE(view.detail());
    EXPECT_FALSE(view.includeBundleBox()->isChecked());

    // Only what was left behind is staged.
    QTest::mouseClick(view.uninstallButton(), Qt::LeftButton);
    ASSERT_EQ(state().developer().stagedCandidates().size(), 1u);
    EXPECT_FALSE(state().developer().stagedCandidates()[0].removal.isCommand());
    EXPECT_NE(state().developer().stagedCandidates()[0].path.find(".config/Krita"), std::string::npos);
}

}  // namespace
}  // namespace korvane
