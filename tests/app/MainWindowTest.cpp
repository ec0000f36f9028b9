#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QCheckBox>
#include <QComboBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVariantAnimation>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/MainWindow.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/GeneralSidebar.h"
#include "app/frame/PlaceholderPane.h"
#include "app/frame/RootView.h"
#include "app/frame/SheetWindow.h"
#include "app/kit/LinkButton.h"
#include "app/kit/NoticeBanner.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SlideReveal.h"
#include "app/screens/CleanupProgressView.h"
#include "app/screens/CompleteView.h"
#include "app/screens/EntryList.h"
#include "app/screens/HistoryView.h"
#include "app/screens/InspectorView.h"
#include "app/screens/OnboardingView.h"
#include "app/screens/ScanningView.h"
#include "app/screens/SearchView.h"
#include "app/settings/AboutTab.h"
#include "app/settings/ScanSettingsTab.h"
#include "app/settings/SettingsView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/fakes/FakeCompositor.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;
using Sheet = AppState::Sheet;

class MainWindowTest : public testing::FlowFixture {
protected:
    MainWindowTest() { AppMotion::setJumpToEnd(true); }
    ~MainWindowTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    MainWindow& open(std::vector<std::string> arguments = {}) {
        launch(std::move(arguments));
        window_ = std::make_unique<MainWindow>(state());
        window_->bringToFront();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }

    // The key reaches whatever has the focus in the active window, as a user's would.
    void press(const QKeySequence& keys) {
        QApplication::setActiveWindow(window_.get());
        QTest::keySequence(window_.get(), keys);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, OpensTitledWithItsMinimumSizeAndQuitsCleanly) {
    MainWindow& window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane"));
    EXPECT_EQ(window.minimumSize(), QSize(720, 560));
    window.resize(100, 100);
    EXPECT_GE(window.width(), 720);
    EXPECT_GE(window.height(), 560);

    QTimer::singleShot(0, &window, &QWidget::close);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
}

QAction* menuAction(QMenuBar* bar, const QString& menu, const QString& text) {
    for (QAction* top : bar->actions())
        if (top->text() == menu && top->menu())
            for (QAction* action : top->menu()->actions())
                if (action->text() == text) return action;
    return nullptr;
}

TEST_F(MainWindowTest, DesktopMenusHoldTheCommandsWithTheirShortcuts) {
    MainWindow& window = open({"--screen", "explore", "--mode", "developer"});
    QStringList menus;
    for (QAction* top : window.menuBar()->actions()) menus << top->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Help"}));
    struct Row {
        const char* menu;
        const char* text;
        QKeySequence shortcut;
    };
    for (const Row& row :
         {Row{"&File", "Scan Now", QKeySequence(QStringLiteral("Ctrl+R"))},
          Row{"&File", "Scan Home folder", {}}, Row{"&File", "Choose Folder\u2026", {}},
          Row{"&File", "Settings\u2026", QKeySequence(QStringLiteral("Ctrl+,"))},
          Row{"&File", "Close Window", QKeySequence(QStringLiteral("Ctrl+W"))},
          Row{"&File", "Quit", QKeySequence(QStringLiteral("Ctrl+Q"))}, Row{"&View", "General", {}},
          Row{"&View", "Large files", {}}, Row{"&View", "History", {}}, Row{"&View", "Inspector", {}},
          Row{"&Help", "About Korvane", {}}}) {
        QAction* action = menuAction(window.menuBar(), QString::fromUtf8(row.menu), QString::fromUtf8(row.text));
        ASSERT_NE(action, nullptr) << row.text;
        EXPECT_EQ(action->shortcut(), row.shortcut) << row.text;
    }

    // A section goes to general mode; the checks follow the state.
    menuAction(window.menuBar(), "&View", "Large files")->trigger();
    EXPECT_EQ(state().preferences().mode(), AppState::Mode::general);
    EXPECT_EQ(state().navigation().generalSection(), AppState::GeneralSection::largeFiles);
    EXPECT_TRUE(menuAction(window.menuBar(), "&View", "General")->isChecked());
    menuAction(window.menuBar(), "&View", "Developer")->trigger();
    EXPECT_EQ(state().preferences().mode(), AppState::Mode::developer);
    EXPECT_FALSE(menuAction(window.menuBar(), "&View", "Large files")->isChecked());

    // The inspector's item follows the top bar's wish and changes it.
    window.inspectorAction()->trigger();
    EXPECT_FALSE(window.rootView()->exploreLayout()->showsInspector());
    window.rootView()->exploreLayout()->setShowsInspector(true);
    QMenu* view = menuAction(window.menuBar(), "&View", "History")->associatedObjects().isEmpty()
                      ? nullptr
                      : qobject_cast<QMenu*>(menuAction(window.menuBar(), "&View", "History")->associatedObjects().front());
    ASSERT_NE(view, nullptr);
    emit view->aboutToShow();
    EXPECT_TRUE(window.inspectorAction()->isChecked());
    menuAction(window.menuBar(), "&View", "History")->trigger();
    EXPECT_EQ(state().navigation().sheet(), Sheet::history);

    // About opens the settings on their About tab, in place of any sheet, and only then.
    window.aboutAction()->trigger();
    ASSERT_EQ(state().navigation().sheet(), Sheet::settings);
    auto* settings = window.sheetDialog()->findChild<SettingsView*>();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->tabs()->currentWidget(), settings->aboutTab());
    state().navigation().setSheet(std::nullopt);
    window.settingsAction()->trigger();
    settings = window.sheetDialog()->findChild<SettingsView*>();
    EXPECT_NE(settings->tabs()->currentWidget(), settings->aboutTab());
    // Asked while the settings are open, it turns them to About.
    window.aboutAction()->trigger();
    settings = window.sheetDialog()->findChild<SettingsView*>();
    EXPECT_EQ(settings->tabs()->currentWidget(), settings->aboutTab());
}

TEST_F(MainWindowTest, SheetsDrawTheirOwnHeaderWithoutAWindowTitleBar) {
    MainWindow& window = open();
    for (Sheet sheet : {Sheet::settings, Sheet::history, Sheet::review}) {
        state().navigation().setSheet(sheet);
        QDialog* dialog = window.sheetDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_FALSE(dialog->accessibleName().isEmpty());
        // No window manager places it: it hangs from the top of the window, centred across, on the screen.
        const QRect content(window.rootView()->mapToGlobal(QPoint(0, 0)), window.rootView()->size());
        EXPECT_LE(std::abs(dialog->geometry().center().x() - content.center().x()), 1);
        EXPECT_EQ(dialog->geometry().top(), content.top() + 12);
        EXPECT_TRUE(window.screen()->availableGeometry().contains(dialog->geometry()));
        QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_EQ(state().navigation().sheet(), std::nullopt);
    }
}

TEST_F(MainWindowTest, SheetsAreOpaqueWithARuleEdgeWithoutACompositorAndShadowedWithOne) {
    for (const bool isComposited : {false, true}) {
        const testing::FakeCompositor compositor(isComposited);
        MainWindow& window = open({"--theme", "graphite"});
        const Palette& palette = Palette::forTheme(ThemeID::graphite);
        for (Sheet sheet : {Sheet::settings, Sheet::history, Sheet::review}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(sheet)) + (isComposited ? " composited" : " plain"));
            state().navigation().setSheet(sheet);
            auto* dialog = qobject_cast<SheetWindow*>(window.sheetDialog());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->testAttribute(Qt::WA_TranslucentBackground), isComposited);
            const QImage image = dialog->grab().toImage();
            const QPoint middle(dialog->width() / 2, dialog->height() / 2);
            if (isComposited) {
                // Room for the shadow around the card, clear at the window's corner.
                EXPECT_EQ(dialog->surface().margins(), QMargins(18, 10, 18, 26));
                EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
                // The content keeps within the card's rounded corners.
                const QWidget* content = dialog->layout()->itemAt(0)->widget();
                EXPECT_FALSE(content->mask().contains(QPoint(0, 0)));
                EXPECT_FALSE(content->mask().contains(QPoint(content->width() - 1, content->height() - 1)));
                EXPECT_TRUE(content->mask().contains(content->rect().center()));
            } else {
                // The window is the card: its outermost pixels are the rule on every side.
                for (const QPoint edge : {QPoint(0, middle.y()), QPoint(dialog->width() - 1, middle.y()),
                                          QPoint(middle.x(), 0), QPoint(middle.x(), dialog->height() - 1)})
                    EXPECT_EQ(image.pixelColor(edge), palette.hairline) << edge.x() << "," << edge.y();
                EXPECT_EQ(image.pixelColor(1, 1), palette.canvas);
            }
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
        window_.reset();
    }
}

// The completion card stays drawn behind a sheet, whichever window holds the
// keys, and the history sheet hung from the window's top leaves its foot
// ("Done") in view.
TEST_F(MainWindowTest, TheCompletionCardStaysDrawnBehindEverySheet) {
    MainWindow& window = open({"--screen", "finished"});
    auto* complete = qobject_cast<CompleteView*>(window.rootView()->findChild<CompleteView*>());
    ASSERT_NE(complete, nullptr);
    QWidget* done = nullptr;
    for (auto* button : complete->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Done")) done = button;
    ASSERT_NE(done, nullptr);
    const auto cardPicture = [&] {
        const QImage root = window.rootView()->grab().toImage();
        const QRect card(done->mapTo(window.rootView(), QPoint(0, 0)), done->size());
        return root.copy(card);
    };
    const QImage before = cardPicture();
    const QColor ground = environmentPalette(complete).canvas;
    // Inside the button's face, clear of its label and its rounded corners.
    const QPoint face(8, before.height() / 2);
    ASSERT_NE(before.pixelColor(face), ground);
    for (Sheet sheet : {Sheet::settings, Sheet::history}) {
        SCOPED_TRACE(static_cast<int>(sheet));
        state().navigation().setSheet(sheet);
        ASSERT_NE(window.sheetDialog(), nullptr);
        QApplication::setActiveWindow(window.sheetDialog());
        QCoreApplication::processEvents();
        EXPECT_EQ(window.rootView()->findChild<CompleteView*>(), complete);
        EXPECT_TRUE(done->isVisible());
        const QImage behind = cardPicture();
        EXPECT_EQ(behind.pixelColor(face), before.pixelColor(face));
        // The settings sheet grows to its sections where the window has room, over the card's foot.
        const QRect doneOnScreen(done->mapToGlobal(QPoint(0, 0)), done->size());
        if (sheet == Sheet::history) {
            EXPECT_FALSE(window.sheetDialog()->geometry().intersects(doneOnScreen)) << "the sheet hides the card whole";
        }
        QTest::keyClick(window.sheetDialog(), Qt::Key_Escape);
    }
}

TEST_F(MainWindowTest, OpensWithinTheScreenAndWhereItWasLastLeft) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // What cannot be read as a saved place counts as none.
    settings_.setValue("window.geometry", "not a saved place");
    MainWindow& first = open();
    EXPECT_TRUE(screen.contains(first.geometry())) << "first launch";
    EXPECT_GE(first.width(), 720);
    const QRect left(screen.topLeft() + QPoint(3, 25), QSize(760, 570));
    first.setGeometry(left);
    first.close();
    window_.reset();

    MainWindow& second = open();
    EXPECT_EQ(second.geometry(), left);
    // A place no screen holds any more gives a fitting one.
    second.setGeometry(QRect(screen.topLeft() + QPoint(10, 10), screen.size() + QSize(400, 300)));
    second.savePlacement();
    window_.reset();
    MainWindow& third = open();
    EXPECT_TRUE(screen.contains(third.geometry())) << "after an oversized place";
    EXPECT_GE(third.width(), 720);
}

TEST_F(MainWindowTest, EveryRouteShowsItsOwnScreen) {
    MainWindow& window = open();
    RootView* root = window.rootView();
    const auto is = [](QWidget* screen, Route route) {
        switch (route) {
            case Route::scanning:
                return qobject_cast<ScanningView*>(screen) != nullptr;
            case Route::explore:
                return qobject_cast<ExploreLayout*>(screen) != nullptr;
            case Route::cleaning:
                return qobject_cast<CleanupProgressView*>(screen) != nullptr;
            case Route::finished:
                return qobject_cast<CompleteView*>(screen) != nullptr;
            case Route::onboarding:
                return qobject_cast<OnboardingView*>(screen) != nullptr;
        }
        return false;
    };
    for (Route route : {Route::scanning, Route::explore, Route::cleaning, Route::finished, Route::onboarding}) {
        state().navigation().setRoute(route);
        QCoreApplication::processEvents();
        EXPECT_EQ(root->shownRoute(), route);
        QWidget* screen = root->screen();
        ASSERT_NE(screen, nullptr);
        EXPECT_TRUE(screen->isVisible());
        EXPECT_EQ(screen->geometry(), root->rect());
        EXPECT_TRUE(is(screen, route));
        EXPECT_EQ(root->exploreLayout() != nullptr, route == Route::explore);
    }
}

TEST_F(MainWindowTest, ANewRouteCrossFadesFromTheOldScreen) {
    MainWindow& window = open();
    AppMotion::setJumpToEnd(false);
    auto* fade = window.rootView()->findChild<QWidget*>(QStringLiteral("routeFade"));
    ASSERT_NE(fade, nullptr);
    EXPECT_FALSE(fade->isVisible());
    state().navigation().setRoute(Route::scanning);
    EXPECT_TRUE(fade->isVisible());
    EXPECT_EQ(fade->geometry(), window.rootView()->rect());
    // Moved to its end rather than waited for, however slow the machine.
    const auto motions = fade->findChildren<QVariantAnimation*>();
    ASSERT_FALSE(motions.isEmpty());
    for (QVariantAnimation* motion : motions) motion->setCurrentTime(motion->totalDuration());
    EXPECT_FALSE(fade->isVisible());
}

TEST_F(MainWindowTest, ThemeReachesTheWindowAndAnOpenSheet) {
    MainWindow& window = open();
    state().navigation().setSheet(Sheet::settings);
    state().preferences().setThemeID(ThemeID::graphite);
    EXPECT_EQ(environmentPalette(window.rootView()).id, ThemeID::graphite);
    ASSERT_NE(window.sheetDialog(), nullptr);
    EXPECT_EQ(environmentPalette(window.sheetDialog()->findChild<QPushButton*>()).id, ThemeID::graphite);
    EXPECT_EQ(window.sheetDialog()->palette().color(QPalette::Window),
              Palette::forTheme(ThemeID::graphite).canvas);
}

TEST_F(MainWindowTest, ScanNowStartsAScanAndWaitsWhileScanningOrCleaning) {
    MainWindow& window = open();
    QAction* scanNow = window.scanNowAction();
    EXPECT_EQ(scanNow->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_TRUE(scanNow->isEnabled());

    press(QKeySequence(QStringLiteral("Ctrl+R")));
    // The scan without scanners may end before the key press returns, so what
    // shows that it ran is its applied result.
    ASSERT_TRUE(testing::waitUntil([&] {
        return state().developer().scan().has_value() && state().navigation().route() != Route::scanning;
    }));
    EXPECT_TRUE(scanNow->isEnabled());

    state().navigation().setRoute(Route::scanning);
    EXPECT_FALSE(scanNow->isEnabled());
    EXPECT_EQ(window.rootView()->shownRoute(), Route::scanning);

    state().navigation().setRoute(Route::cleaning);
    EXPECT_FALSE(scanNow->isEnabled());
    press(QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(state().navigation().route(), Route::cleaning);
}

TEST_F(MainWindowTest, SettingsShortcutOpensTheSettingsSheetInPlaceOfAnyOther) {
    MainWindow& window = open();
    EXPECT_EQ(window.settingsAction()->text(), QStringLiteral("Settings…"));
    press(QKeySequence(QStringLiteral("Ctrl+,")));
    EXPECT_EQ(state().navigation().sheet(), Sheet::settings);
    QDialog* dialog = window.sheetDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Settings"));

    // One sheet at a time: another replaces it, and the command replaces that again.
    state().navigation().setSheet(Sheet::history);
    EXPECT_NE(window.sheetDialog(), dialog);
    EXPECT_EQ(window.sheetDialog()->windowTitle(), QStringLiteral("Storage history"));
    EXPECT_NE(window.sheetDialog()->findChild<HistoryView*>(), nullptr);
    window.settingsAction()->trigger();
    EXPECT_EQ(state().navigation().sheet(), Sheet::settings);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChildren<QDialog*>().size(), 1);

    // "Done" closes it and clears the sheet.
    auto* done = window.sheetDialog()->findChild<QPushButton*>();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), QStringLiteral("Done"));
    done->click();
    EXPECT_EQ(state().navigation().sheet(), std::nullopt);
    EXPECT_EQ(window.sheetDialog(), nullptr);
}

// The settings sheet is as tall as its tallest tab where the window has room,
// so "Add folder…" shows without scrolling; in a smaller window it scrolls,
// and it grows back when the window does.
TEST_F(MainWindowTest, TheSettingsSheetGrowsWithTheWindowUpToWhatItsTabsHold) {
    MainWindow& window = open({"--screen", "explore"});
    for (const char* name : {"home/Projects", "home/Clients"}) state().preferences().addProjectRoot(tree_.folder(name));
    state().navigation().setSheet(Sheet::settings);
    QCoreApplication::processEvents();
    QDialog* sheet = window.sheetDialog();
    ASSERT_NE(sheet, nullptr);
    auto* settings = sheet->findChild<SettingsView*>();
    ASSERT_NE(settings, nullptr);
    QPushButton* add = settings->scanTab()->addFolderButton();
    const auto settle = [] {
        for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
    };
    int previous = 0;
    for (const QSize size : {QSize(720, 560), QSize(1024, 700), QSize(1180, 760), QSize(1600, 1000)}) {
        window.resize(size);
        settle();
        SCOPED_TRACE(size.height());
        EXPECT_GE(sheet->height(), previous);
        EXPECT_LE(sheet->height(), window.height());
        previous = sheet->height();
    }
    // With room to spare it holds the whole tab, no taller.
    EXPECT_EQ(sheet->height(), sheet->sizeHint().height());
    const QWidget* viewport = add->parentWidget();
    while (viewport && viewport->objectName() != QStringLiteral("qt_scrollarea_viewport")) viewport = viewport->parentWidget();
    ASSERT_NE(viewport, nullptr);
    EXPECT_TRUE(viewport->rect().contains(QRect(add->mapTo(viewport, QPoint(0, 0)), add->size())));
    window.resize(720, 560);
    settle();
    EXPECT_LT(sheet->height(), previous);
    window.resize(1600, 1000);
    settle();
    EXPECT_EQ(sheet->height(), previous);
}

// Keys as a user's reach the sheet in front.
void pressIn(QWidget* window, const QKeySequence& keys) {
    QApplication::setActiveWindow(window);
    QTest::keySequence(window, keys);
    QCoreApplication::processEvents();
}

TEST_F(MainWindowTest, TheApplicationsShortcutsWorkFromEverySheetAndCloseClosesTheOneInFront) {
    MainWindow& window = open({"--screen", "explore", "--mode", "developer"});
    // Quitting here would end the test run: the command is only heard.
    QObject::disconnect(window.quitAction(), nullptr, qApp, nullptr);
    QSignalSpy quits(window.quitAction(), &QAction::triggered);
    for (Sheet sheet : {Sheet::settings, Sheet::history, Sheet::review}) {
        state().navigation().setSheet(sheet);
        QDialog* dialog = window.sheetDialog();
        ASSERT_NE(dialog, nullptr);
        pressIn(dialog, QKeySequence(QStringLiteral("Ctrl+Q")));
        EXPECT_EQ(quits.count(), 1) << rawValue(sheet);
        quits.clear();
        // Ctrl+W closes the sheet, not the window.
        pressIn(dialog, QKeySequence(QStringLiteral("Ctrl+W")));
        EXPECT_EQ(state().navigation().sheet(), std::nullopt) << rawValue(sheet);
        EXPECT_TRUE(window.isVisible());
        state().navigation().setSheet(sheet);
        pressIn(window.sheetDialog(), QKeySequence(QStringLiteral("Ctrl+,")));
        EXPECT_EQ(state().navigation().sheet(), Sheet::settings) << rawValue(sheet);
        state().navigation().setSheet(std::nullopt);
    }
    // Ctrl+R from the review scans behind it: the review stays as it is.
    state().navigation().setSheet(Sheet::review);
    pressIn(window.sheetDialog(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(state().navigation().sheet(), Sheet::review);
    EXPECT_EQ(state().navigation().route(), Route::explore);
    ASSERT_TRUE(testing::waitUntil([&] { return !state().developer().isScanning(); }));
    EXPECT_TRUE(state().developer().holdsScan());
    state().navigation().setSheet(std::nullopt);
    // With no sheet, Ctrl+W closes the window.
    press(QKeySequence(QStringLiteral("Ctrl+W")));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowDuringACleanupStopsItFirstAndRecordsIt) {
    std::atomic<bool> entered{false};
    makeCleanupEngine_ = [&entered] {
        auto engine = std::make_unique<CleanupEngine>();
        CleanupEngine* running = engine.get();
        // Held inside the tree until the stop arrives.
        engine->setEntryRemovedHook([&entered, running] {
            if (entered.exchange(true)) return;
            while (!running->isCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        return engine;
    };
    for (int file = 0; file < 20; ++file) tree_.file("home/.cache/big/" + std::to_string(file), 4096);
    MainWindow& window = open();
    const CleanupCandidate big(UUID::random(), CleanupCategory::node, "general.userChoice", "Group", "big",
                               at(".cache/big"), 90'000'000, SafetyLevel::safe, "reason", std::nullopt,
                               std::nullopt, {}, RemovalKind::path());
    state().developer().setScan(
        ScanResult({}, 1, {CategoryResult(CleanupCategory::node, 90'000'000, {big})}, {}, {}));
    state().developer().setSelection({big.id});
    state().developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return entered.load(); }));

    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(state().developer().isCleaning());
    EXPECT_EQ(state().navigation().route(), Route::finished);
    ASSERT_TRUE(state().developer().lastReport());
    EXPECT_TRUE(state().developer().lastReport()->stopped);
    state_.reset();  // waits for the history writes
    EXPECT_EQ(HistoryStore(tree_.path("history")).reports().size(), 1u);
}

TEST_F(MainWindowTest, ClosingTheWindowDuringAnEmptyingStopsItBeforeTheWindowGoes) {
    for (int file = 0; file < 1'500; ++file) tree_.file("home/.cache/big/" + std::to_string(file), 10);
    MainWindow& window = open();
    const CleanupCandidate big(UUID::random(), CleanupCategory::node, "general.userChoice", "Group", "big",
                               at(".cache/big"), 90'000'000, SafetyLevel::caution, "reason", std::nullopt,
                               std::nullopt, {}, RemovalKind::path());
    state().developer().setScan(
        ScanResult({}, 1, {CategoryResult(CleanupCategory::node, 90'000'000, {big})}, {}, {}));
    state().developer().setSelection({big.id});
    state().developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state().navigation().route() == Route::finished; }));
    const std::string inTrash = *state().developer().lastReport()->outcomes[0].trashURL;
    bool visibleWhileStopping = false;
    QObject::connect(&state(), &AppState::changed, &window, [&] {
        if (state().developer().trashWork() == TrashWork::none) visibleWhileStopping = window.isVisible();
    });

    state().developer().emptyOwnTrash();
    window.close();
    EXPECT_TRUE(visibleWhileStopping);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(state().developer().trashWork(), TrashWork::none);
    const std::int64_t left = testing::duBytes(inTrash);
    settle(0.3);
    EXPECT_EQ(testing::duBytes(inTrash), left);
}

// A whole put back in developer mode scans again and lands on the explorer:
// its notice shows there, until dismissed.
TEST_F(MainWindowTest, AWholePutBackLandsOnTheExplorerWithItsNotice) {
    tree_.file("home/build/data", 100);
    MainWindow& window = open();
    state().preferences().setMode(AppState::Mode::developer);
    const CleanupCandidate build(UUID::random(), CleanupCategory::node, "general.userChoice", "Group", "build",
                                 at("build"), 5'000, SafetyLevel::caution, "reason", std::nullopt, std::nullopt, {},
                                 RemovalKind::path());
    state().developer().setScan(ScanResult({}, 1, {CategoryResult(CleanupCategory::node, 5'000, {build})}, {}, {}));
    state().developer().setSelection({build.id});
    state().developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state().navigation().route() == Route::finished; }));

    state().developer().restoreFromTrash();
    ASSERT_TRUE(testing::waitUntil([&] {
        return state().navigation().route() == Route::explore && window.rootView()->exploreLayout() &&
               !state().developer().isScanning();
    }));
    ExploreLayout& explorer = *window.rootView()->exploreLayout();
    EXPECT_TRUE(explorer.noticeSlot()->isRevealed());
    EXPECT_TRUE(explorer.noticeSlot()->isVisible());
    // What the folder measured as it went (a folder and its one file), not the scan's figure.
    EXPECT_EQ(explorer.notice()->text()->text(), QStringLiteral("Put back 8 KB across 1 location."));

    explorer.notice()->dismissButton()->click();
    EXPECT_EQ(state().developer().restoreNotice(), std::nullopt);
    EXPECT_FALSE(explorer.noticeSlot()->isRevealed());
}

TEST_F(MainWindowTest, ClosingASheetAnyWayClearsIt) {
    MainWindow& window = open();
    state().navigation().setSheet(Sheet::history);
    ASSERT_NE(window.sheetDialog(), nullptr);
    QTest::keyClick(window.sheetDialog(), Qt::Key_Escape);
    EXPECT_EQ(state().navigation().sheet(), std::nullopt);
    state().navigation().setSheet(Sheet::settings);
    state().navigation().setSheet(std::nullopt);
    EXPECT_EQ(window.sheetDialog(), nullptr);
}

TEST_F(MainWindowTest, AlertShowsTheMessageAsPlainTextAndOkClearsIt) {
    MainWindow& window = open();
    const std::string message = "Could not read <b>x</b> & y";
    state().developer().setErrorMessage(message);
    QMessageBox* alert = window.alert();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowTitle(), QStringLiteral("Korvane"));
    EXPECT_EQ(alert->text(), QString::fromStdString(message));
    EXPECT_EQ(alert->textFormat(), Qt::PlainText);
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().front()->text(), QStringLiteral("OK"));
    alert->buttons().front()->click();
    EXPECT_EQ(state().developer().errorMessage(), std::nullopt);
    EXPECT_EQ(window.alert(), nullptr);
}

TEST_F(MainWindowTest, ExploreLayoutShowsTheInspectorOnlyWhenTheWindowIsWideEnough) {
    MainWindow& window = open({"--screen", "explore"});
    ExploreLayout* layout = window.rootView()->exploreLayout();
    ASSERT_NE(layout, nullptr);
    EXPECT_NE(qobject_cast<InspectorView*>(layout->inspector()), nullptr);
    struct Case {
        int width;
        int inspector;
    };
    for (const Case& c : {Case{1400, 297}, Case{900, 0}}) {
        window.resize(c.width + (window.width() - layout->width()), window.height());
        QCoreApplication::processEvents();
        EXPECT_EQ(layout->inspectorColumn()->width(), c.inspector) << c.width;
        EXPECT_EQ(layout->sidebar()->width(), 248);
        EXPECT_EQ(layout->canvasPage()->width(), layout->width() - 248 - 1 - c.inspector) << c.width;
    }
    // The mode swaps the sidebar in place; general pages other than disk usage have no inspector.
    window.resize(1400 + (window.width() - layout->width()), window.height());
    state().preferences().setMode(AppState::Mode::general);
    state().navigation().setGeneralSection(AppState::GeneralSection::search);
    QCoreApplication::processEvents();
    EXPECT_NE(qobject_cast<GeneralSidebar*>(layout->sidebar()), nullptr);
    EXPECT_NE(qobject_cast<SearchView*>(layout->canvasPage()), nullptr);
    EXPECT_EQ(layout->sidebar()->width(), 248);
    EXPECT_EQ(layout->inspectorColumn()->width(), 0);
    state().navigation().setGeneralSection(AppState::GeneralSection::explore);
    QCoreApplication::processEvents();
    EXPECT_EQ(layout->inspectorColumn()->width(), 297);
    layout->setShowsInspector(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(layout->inspectorColumn()->width(), 0);
    EXPECT_FALSE(window.rootView()->showsInspector());
}

TEST_F(MainWindowTest, SearchFiltersFitTheirPageWithoutOverlapAtEveryWindowWidth) {
    MainWindow& window = open({"--screen", "explore"});
    ExploreLayout* layout = window.rootView()->exploreLayout();
    ASSERT_NE(layout, nullptr);
    state().preferences().setMode(AppState::Mode::general);
    state().navigation().setGeneralSection(AppState::GeneralSection::search);
    QCoreApplication::processEvents();
    auto* search = qobject_cast<SearchView*>(layout->canvasPage());
    ASSERT_NE(search, nullptr);
    const std::vector<QWidget*> controls{search->kindPicker(), search->sizePicker(),
                                         search->agePicker(),  static_cast<QWidget*>(search->pathsBox()),
                                         search->regexBox(),   search->sortPicker()};
    for (const int width : {720, 800, 960, 1180}) {
        window.resize(width, 760);
        QCoreApplication::processEvents();
        ASSERT_EQ(window.width(), width);
        std::vector<QRect> boxes;
        for (QWidget* control : controls) {
            const QRect box(control->mapTo(search, QPoint(0, 0)), control->size());
            EXPECT_TRUE(search->rect().contains(box)) << width << " " << control->accessibleName().toStdString();
            EXPECT_GE(box.width(), control->sizeHint().width()) << width;
            for (const QRect& other : boxes) EXPECT_FALSE(box.intersects(other)) << width;
            boxes.push_back(box);
        }
        // The list starts under the last of them.
        const QRect list(search->list()->mapTo(search, QPoint(0, 0)), search->list()->size());
        for (const QRect& box : boxes) EXPECT_LT(box.bottom(), list.top()) << width;
    }
}

}  // namespace
}  // namespace korvane
