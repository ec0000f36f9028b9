#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/frame/PlaceholderPane.h"
#include "app/frame/RootView.h"
#include "app/frame/SettingsView.h"
#include "app/frame/TitledSheet.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/presenters/MenuBarContent.h"
#include "app/screens/HistoryView.h"
#include "app/screens/ReviewView.h"

namespace korvane {

namespace {

constexpr int historyWidth = 620;
constexpr int historyMinimumHeight = 240;
constexpr int historyMaximumHeight = 560;

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
    resize(1180, 760);
    followTheme();
    setCentralWidget(root_);
    buildMenus();

    connect(&state_, &AppState::themeChanged, this, &MainWindow::followTheme);
    connect(&state_, &AppState::routeChanged, this,
            [this] { scanNow_->setEnabled(scanNowEnabled(state_.route())); });
    // Sheet and error message publish only the general change.
    connect(&state_, &AppState::changed, this, [this] {
        followSheet();
        followAlert();
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

void MainWindow::buildMenus() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Korvane"));
    scanNow_ = menu->addAction(QStringLiteral("Scan Now"));
    scanNow_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    scanNow_->setEnabled(scanNowEnabled(state_.route()));
    connect(scanNow_, &QAction::triggered, &state_, &AppState::startScan);
    settings_ = menu->addAction(QStringLiteral("Settings…"));
    settings_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings_->setMenuRole(QAction::PreferencesRole);
    connect(settings_, &QAction::triggered, this, [this] { state_.setSheet(AppState::Sheet::settings); });
    menu->addSeparator();
    QAction* quit = menu->addAction(QStringLiteral("Quit Korvane"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);
    // The shortcuts work while the menu is closed, from anywhere in the window.
    addActions({scanNow_, settings_, quit});
}

void MainWindow::followTheme() {
    const ThemeID theme = state_.themeID();
    setEnvironmentPalette(this, theme);
    // Dialogs are windows of their own: the palette does not reach them by itself.
    if (sheetDialog_) setEnvironmentPalette(sheetDialog_, theme);
    if (alert_) setEnvironmentPalette(alert_, theme);
}

void MainWindow::followSheet() {
    if (state_.sheet() == shownSheet_) return;
    discardSheetDialog();
    const auto sheet = state_.sheet();
    if (!sheet) return;

    auto* dialog = new QDialog(this);
    dialog->setWindowTitle(sheetTitle(*sheet));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoFillBackground(true);
    setEnvironmentPalette(dialog, state_.themeID());
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* content = makeSheetContent(*sheet);
    layout->addWidget(content);
    if (*sheet == AppState::Sheet::review) layout->setSizeConstraint(QLayout::SetFixedSize);
    sheetDialog_ = dialog;
    shownSheet_ = sheet;
    // However the sheet closes ("Done", Escape, the window's close button), the state hears of it.
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (sheetDialog_ != dialog) return;
        discardSheetDialog();
        state_.setSheet(std::nullopt);
    });
    dialog->open();
}

QWidget* MainWindow::makeSheetContent(AppState::Sheet sheet) {
    switch (sheet) {
        case AppState::Sheet::review: {
            auto* review = new ReviewView(state_);
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
            auto* frame = new TitledSheet(QStringLiteral("Storage history"), new HistoryView(state_));
            frame->setFixedWidth(historyWidth);
            frame->setMinimumHeight(historyMinimumHeight);
            frame->setMaximumHeight(historyMaximumHeight);
            frame->resize(historyWidth, historyMaximumHeight);
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
    dialog->hide();
    // Later: the request to close may come from inside the sheet.
    dialog->deleteLater();
}

void MainWindow::followAlert() {
    const auto& message = state_.errorMessage();
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
    setEnvironmentPalette(box, state_.themeID());
    alert_ = box;
    // "OK", Escape or the close button: each dismissal clears the message.
    connect(box, &QMessageBox::finished, this, [this, box] {
        if (alert_ != box) return;
        discardAlert();
        state_.setErrorMessage(std::nullopt);
    });
    box->open();
}

void MainWindow::discardAlert() {
    if (!alert_) return;
    QMessageBox* box = alert_;
    alert_ = nullptr;
    box->disconnect(this);
    box->hide();
    box->deleteLater();
}

}  // namespace korvane
