#include "app/MainWindow.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTabWidget>

#include "app/frame/ExploreLayout.h"
#include "app/frame/PlaceholderPane.h"
#include "app/frame/RootView.h"
#include "app/frame/SheetWindow.h"
#include "app/frame/TitledSheet.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/platform/Settings.h"
#include "app/presenters/MenuBarContent.h"
#include "app/presenters/TopBarContent.h"
#include "app/presenters/WindowPlacement.h"
#include "app/screens/HistoryView.h"
#include "app/screens/ReviewView.h"
#include "app/settings/AboutTab.h"
#include "app/settings/SettingsView.h"

namespace korvane {

namespace {

constexpr int historyWidth = 620;
constexpr int historyMinimumHeight = 240;
constexpr int historyMaximumHeight = 560;
// What a sheet keeps clear of the window's edges.
constexpr int sheetMargin = 12;
constexpr std::string_view placementKey = "window.geometry";

QString menuText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The usual key first (the menu shows it), then the desktop's own for the
// same command, which some desktops and platforms leave empty.
QList<QKeySequence> keysFor(QKeySequence first, QKeySequence::StandardKey standard) {
    QList<QKeySequence> keys{first};
    for (const QKeySequence& key : QKeySequence::keyBindings(standard))
        if (!keys.contains(key)) keys.append(key);
    return keys;
}

QList<QKeySequence> closeKeys() { return keysFor(QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence::Close); }

QString sheetTitle(AppState::Sheet sheet) {
    switch (sheet) {
        case AppState::Sheet::review:
            return QStringLiteral("Review cleanup");
        case AppState::Sheet::history:
            return QStringLiteral("Storage history");
        case AppState::Sheet::settings:
            return QStringLiteral("Settings");
    }
    return {};
}

}  // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), root_(new RootView(state)) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Korvane"));
    setMinimumSize(minimumWidth, minimumHeight);
    followTheme();
    setCentralWidget(root_);
    buildMenus();
    restorePlacement();
    // Quitting from the menu or the tray closes no window: the place is kept then too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::savePlacement);
    // While the window still shows: what runs stops at a safe point and is recorded.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::finishWork);

    connect(&state_.preferences(), &PreferencesState::themeChanged, this, &MainWindow::followTheme);
    connect(&state_.navigation(), &NavigationState::routeChanged, this, &MainWindow::followMenus);
    // A click on one of its notifications brings the window forward, wherever it was.
    connect(&state_.automation(), &Automation::alertOpened, this, &MainWindow::bringToFront);
    // Sheet and error message publish only the general change.
    connect(&state_, &AppState::changed, this, [this] {
        followSheet();
        followAlert();
        followMenus();
    });
    followSheet();
    followAlert();
}

MainWindow::~MainWindow() {
    discardSheetDialog();
    discardAlert();
}

void MainWindow::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::restorePlacement() {
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas.push_back(screen->availableGeometry());
    if (const auto saved = state_.preferences().defaults().value(placementKey);
        saved && restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*saved)))) {
        // A maximised window fits by definition; a normal one only where a screen still holds it.
        if (isMaximized() || windowPlacement::fitsAScreen(geometry(), minimumSize(), areas)) return;
        setWindowState(Qt::WindowNoState);
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(windowPlacement::preferredSize);
        return;
    }
    setGeometry(windowPlacement::firstPlacement(windowPlacement::preferredSize, minimumSize(),
                                                screen->availableGeometry()));
}

void MainWindow::savePlacement() {
    state_.preferences().defaults().setValue(placementKey, saveGeometry().toBase64().toStdString());
}

void MainWindow::finishWork() {
    state_.developer().stopCleanupAndWait();
    state_.developer().stopTrashWorkAndWait();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Hidden, a cleanup, a put back or an emptying would go on unseen (and a
    // quit would end it untold).
    finishWork();
    savePlacement();
    QMainWindow::closeEvent(event);
}

void MainWindow::buildMenus() {
    buildFileMenu();
    buildViewMenu();
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    about_ = help->addAction(QStringLiteral("About Korvane"));
    about_->setMenuRole(QAction::AboutRole);
    connect(about_, &QAction::triggered, this, [this] {
        wantsAboutTab_ = true;
        // Another sheet gives way; the settings sheet already open turns to its About tab.
        if (state_.navigation().sheet() == AppState::Sheet::settings) discardSheetDialog();
        state_.navigation().setSheet(AppState::Sheet::settings);
        followSheet();
        wantsAboutTab_ = false;
    });
    followMenus();
}

void MainWindow::buildFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    scanNow_ = file->addAction(QStringLiteral("Scan Now"));
    scanNow_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(scanNow_, &QAction::triggered, &state_.developer(), &DeveloperState::startScan);
    scanHome_ = file->addAction(QStringLiteral("Scan Home folder"));
    connect(scanHome_, &QAction::triggered, this, [this] {
        state_.preferences().setMode(AppState::Mode::general);
        state_.folderScan().scanHomeFolder();
    });
    chooseFolder_ = file->addAction(QStringLiteral("Choose Folder\u2026"));
    connect(chooseFolder_, &QAction::triggered, this, [this] {
        state_.folderScan().chooseFolderToScan();
        // A folder was chosen: its scan shows in general mode's disk usage.
        if (!state_.folderScan().isScanningFolder()) return;
        state_.preferences().setMode(AppState::Mode::general);
        state_.navigation().setGeneralSection(AppState::GeneralSection::explore);
        state_.navigation().setRoute(AppState::Route::explore);
    });
    file->addSeparator();
    settings_ = file->addAction(QStringLiteral("Settings\u2026"));
    settings_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings_->setMenuRole(QAction::PreferencesRole);
    connect(settings_, &QAction::triggered, this,
            [this] { state_.navigation().setSheet(AppState::Sheet::settings); });
    file->addSeparator();
    close_ = file->addAction(QStringLiteral("Close Window"));
    close_->setShortcuts(closeKeys());
    connect(close_, &QAction::triggered, this, &QWidget::close);
    quit_ = file->addAction(QStringLiteral("Quit"));
    quit_->setShortcuts(keysFor(QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence::Quit));
    quit_->setMenuRole(QAction::QuitRole);
    connect(quit_, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);
    // The shortcuts work while the menu is closed, from anywhere in the window.
    addActions({scanNow_, settings_, close_, quit_});
}

void MainWindow::buildViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    auto* modes = new QActionGroup(this);
    // The modes as the top bar names them, in its order.
    const auto pills =
        topBarContent(state_.preferences(), state_.navigation(), state_.folderScan(), true, true, false)
            .modes;
    const AppState::Mode order[] = {AppState::Mode::general, AppState::Mode::developer};
    for (std::size_t i = 0; i < pills.size() && i < std::size(order); ++i) {
        const AppState::Mode mode = order[i];
        QAction* action = view->addAction(menuText(pills[i].title));
        action->setCheckable(true);
        modes->addAction(action);
        connect(action, &QAction::triggered, this, [this, mode] {
            state_.preferences().setMode(mode);
            if (state_.navigation().route() == AppState::Route::onboarding)
                state_.navigation().setRoute(AppState::Route::explore);
        });
        modeActions_.emplace_back(action, mode);
    }
    view->addSeparator();
    auto* sections = new QActionGroup(this);
    // In developer mode no section is checked.
    sections->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const AppState::GeneralSection section : allGeneralSections()) {
        QAction* action = view->addAction(menuText(title(section)));
        action->setCheckable(true);
        sections->addAction(action);
        // A section belongs to general mode: choosing one goes there.
        connect(action, &QAction::triggered, this, [this, section] {
            state_.preferences().setMode(AppState::Mode::general);
            state_.navigation().setGeneralSection(section);
            if (state_.navigation().route() == AppState::Route::onboarding)
                state_.navigation().setRoute(AppState::Route::explore);
        });
        sectionActions_.emplace_back(action, section);
    }
    view->addSeparator();
    QAction* history = view->addAction(QStringLiteral("History"));
    connect(history, &QAction::triggered, this,
            [this] { state_.navigation().setSheet(AppState::Sheet::history); });
    inspector_ = view->addAction(QStringLiteral("Inspector"));
    inspector_->setCheckable(true);
    connect(inspector_, &QAction::triggered, this, [this](bool shows) {
        if (ExploreLayout* layout = root_->exploreLayout()) layout->setShowsInspector(shows);
    });
    // The inspector's wish changes from the top bar too: read it whenever the menu opens.
    connect(view, &QMenu::aboutToShow, this, &MainWindow::followMenus);
}

void MainWindow::followMenus() {
    if (!scanNow_) return;
    // The menu's scan comes forward when one runs behind the window; only a cleanup holds it.
    scanNow_->setEnabled(scanNowEnabled(state_.navigation().route()));
    const bool folderFree = !state_.folderScan().isScanningFolder();
    scanHome_->setEnabled(folderFree);
    chooseFolder_->setEnabled(folderFree);
    for (const auto& [action, mode] : modeActions_) action->setChecked(state_.preferences().mode() == mode);
    for (const auto& [action, section] : sectionActions_)
        action->setChecked(state_.preferences().mode() == AppState::Mode::general &&
                           state_.navigation().generalSection() == section);
    ExploreLayout* layout = root_->exploreLayout();
    inspector_->setEnabled(layout != nullptr);
    inspector_->setChecked(layout ? layout->showsInspector() : root_->showsInspector());
}

void MainWindow::followTheme() {
    const ThemeID theme = state_.preferences().themeID();
    // Colours move to the new theme instead of jumping: the old look fades out over it.
    if (theme != environmentPalette(this).id) root_->fadeFromCurrentLook(AppMotion::gentle);
    setEnvironmentPalette(this, theme);
    // Dialogs are windows of their own: the palette does not reach them by itself.
    if (sheetDialog_) setEnvironmentPalette(sheetDialog_, theme);
    if (alert_) setEnvironmentPalette(alert_, theme);
}

void MainWindow::followSheet() {
    if (state_.navigation().sheet() == shownSheet_) return;
    discardSheetDialog();
    const auto sheet = state_.navigation().sheet();
    if (!sheet) return;

    // Each sheet draws its own header with its title and its way out: a window
    // manager's title bar over it would only repeat them.
    auto* dialog = new SheetWindow(this);
    dialog->setWindowTitle(sheetTitle(*sheet));
    dialog->setAccessibleName(sheetTitle(*sheet));
    dialog->setWindowModality(Qt::WindowModal);
    setEnvironmentPalette(dialog, state_.preferences().themeID());
    dialog->setContent(makeSheetContent(*sheet));
    // The sheet is a window of its own: the application's shortcuts work from
    // it too, and the one that closes a window closes the sheet.
    dialog->addActions({scanNow_, settings_, quit_});
    auto* closeSheet = new QAction(dialog);
    closeSheet->setShortcuts(closeKeys());
    connect(closeSheet, &QAction::triggered, dialog, &QDialog::reject);
    dialog->addAction(closeSheet);
    dialog->setGrowsToContent(*sheet == AppState::Sheet::settings || *sheet == AppState::Sheet::review);
    sheetDialog_ = dialog;
    shownSheet_ = sheet;
    // However the sheet closes ("Done", Escape, the window's close button), the state hears of it.
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (sheetDialog_ != dialog) return;
        discardSheetDialog();
        state_.navigation().setSheet(std::nullopt);
        // Closed, it has just given up the keys.
        if (QApplication::activeWindow() == nullptr) takeKeysBack();
    });
    dialog->adjustSize();
    placeSheet(dialog);
    // A sheet that grows or shrinks (its content arrived) stays over the window.
    dialog->installEventFilter(this);
    dialog->open();
    const bool about = std::exchange(wantsAboutTab_, false);
    if (auto* settings = dialog->findChild<SettingsView*>(); settings && about)
        settings->tabs()->setCurrentWidget(settings->aboutTab());
}

void MainWindow::takeKeysBack() {
    // With the keys the focus returns to the control that opened the sheet;
    // a window manager may hand them to another window, or to none.
    activateWindow();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Also when what it holds asks for more room (a folder added to a list).
    if (watched == sheetDialog_ && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        placeSheet(sheetDialog_);
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (sheetDialog_) placeSheet(sheetDialog_);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (sheetDialog_) placeSheet(sheetDialog_);
}

void MainWindow::placeSheet(QDialog* dialog) const {
    // Without a frame the window manager leaves the place to us: over the
    // window's content, hanging from its top and centred across, no taller or
    // wider than it (the sheet's content scrolls), and never off the screen.
    // Hung from the top, a sheet leaves the foot of a centred screen in view
    // (the completion card's, which a centred sheet as wide would hide whole).
    const QRect content(root_->mapToGlobal(QPoint(0, 0)), root_->size());
    const QSize room = (content.size() - QSize(2 * sheetMargin, 2 * sheetMargin)).expandedTo(dialog->minimumSize());
    const auto* sheet = qobject_cast<const SheetWindow*>(dialog);
    if (dialog->layout()->sizeConstraint() != QLayout::SetFixedSize) {
        if (dialog->maximumSize() != room) dialog->setMaximumSize(room);
        // Cut short by a smaller window, it grows back up to what it asks for.
        const QSize grown = dialog->size().expandedTo(dialog->sizeHint()).boundedTo(room);
        if (sheet && sheet->growsToContent() && grown != dialog->size()) dialog->resize(grown);
    }
    QRect placed(QPoint(0, 0), dialog->size());
    placed.moveCenter(content.center());
    // The card's top, not its shadow's, keeps the margin.
    placed.moveTop(content.top() + sheetMargin - (sheet ? sheet->surface().margins().top() : 0));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        placed.moveRight(std::min(placed.right(), area.right()));
        placed.moveBottom(std::min(placed.bottom(), area.bottom()));
        placed.moveLeft(std::max(placed.left(), area.left()));
        placed.moveTop(std::max(placed.top(), area.top()));
    }
    dialog->move(placed.topLeft());
}

QWidget* MainWindow::makeSheetContent(AppState::Sheet sheet) {
    switch (sheet) {
        case AppState::Sheet::review: {
            auto* review = new ReviewView(state_.developer(), state_.preferences());
            connect(review, &ReviewView::closeRequested, this, [this] {
                if (sheetDialog_) sheetDialog_->reject();
            });
            return review;
        }
        case AppState::Sheet::settings: {
            auto* frame = new TitledSheet(QStringLiteral("Settings"), new SettingsView(state_));
            connect(frame, &TitledSheet::closeRequested, this, [this] {
                if (sheetDialog_) sheetDialog_->reject();
            });
            return frame;
        }
        case AppState::Sheet::history: {
            auto* frame =
                new TitledSheet(QStringLiteral("Storage history"),
                                new HistoryView(state_.history(), state_.developer(), state_.navigation(),
                                                state_.clock()));
            // The limits are the card's; the content sits within its edge.
            constexpr int edges = 2 * SheetWindow::edge;
            frame->setFixedWidth(historyWidth - edges);
            frame->setMinimumHeight(historyMinimumHeight - edges);
            frame->setMaximumHeight(historyMaximumHeight - edges);
            frame->resize(historyWidth - edges, historyMaximumHeight - edges);
            connect(frame, &TitledSheet::closeRequested, this, [this] {
                if (sheetDialog_) sheetDialog_->reject();
            });
            return frame;
        }
    }
    return nullptr;
}

void MainWindow::discardSheetDialog() {
    shownSheet_.reset();
    if (!sheetDialog_) return;
    QDialog* dialog = sheetDialog_;
    sheetDialog_ = nullptr;
    dialog->disconnect(this);
    const bool heldTheKeys = dialog->isActiveWindow();
    dialog->hide();
    if (heldTheKeys) takeKeysBack();
    // Later: the request to close may come from inside the sheet.
    dialog->deleteLater();
}

void MainWindow::followAlert() {
    const auto& message = state_.developer().errorMessage();
    if (!message) {
        discardAlert();
        return;
    }
    const QString text = QString::fromStdString(*message);
    if (alert_) {
        if (alert_->text() != text) alert_->setText(text);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Korvane"), text, QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::WindowModal);
    setEnvironmentPalette(box, state_.preferences().themeID());
    alert_ = box;
    // "OK", Escape or the close button: each dismissal clears the message.
    connect(box, &QMessageBox::finished, this, [this, box] {
        if (alert_ != box) return;
        discardAlert();
        state_.developer().setErrorMessage(std::nullopt);
    });
    box->open();
}

void MainWindow::discardAlert() {
    if (!alert_) return;
    QMessageBox* box = alert_;
    alert_ = nullptr;
    box->disconnect(this);
    // The keys go back to the window, as after a sheet (the box may have hidden itself already).
    const bool heldTheKeys = box->isActiveWindow() || QApplication::activeWindow() == nullptr;
    box->hide();
    if (heldTheKeys) takeKeysBack();
    box->deleteLater();
}

}  // namespace korvane
