#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include "app/state/AppState.h"

class QAction;

namespace korvane {

class RootView;

// The one main window: the root view, the menus, the sheet over the window
// (one at a time) and the alert of an error message. It opens where it was
// last left when that still fits a screen, else sized to the screen.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 720;
    static constexpr int minimumHeight = 560;

    explicit MainWindow(AppState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window (restored when minimised), raises it and gives it the focus.
    void bringToFront();

    RootView* rootView() const { return root_; }
    QAction* scanNowAction() const { return scanNow_; }
    QAction* settingsAction() const { return settings_; }
    QAction* quitAction() const { return quit_; }
    QAction* closeAction() const { return close_; }
    QAction* aboutAction() const { return about_; }
    QAction* inspectorAction() const { return inspector_; }
    // Writes the window's size, place and maximised state into the settings.
    void savePlacement();
    // Stops a running cleanup, put back or emptying at its next safe point and
    // records what it did, before the window closes or the program quits.
    void finishWork();
    // The open sheet and the open alert; null while there is none.
    QDialog* sheetDialog() const { return sheetDialog_; }
    QMessageBox* alert() const { return alert_; }

protected:
    // Running work stops at a safe point and is recorded before the window goes.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void restorePlacement();
    void buildMenus();
    void buildFileMenu();
    void buildViewMenu();
    void followMenus();
    void followTheme();
    void followSheet();
    void followAlert();
    QWidget* makeSheetContent(AppState::Sheet sheet);
    void placeSheet(QDialog* dialog) const;
    // Closes without clearing the state's sheet: it already names another one or none.
    void discardSheetDialog();
    // After a sheet that held the keyboard closes.
    void takeKeysBack();
    void discardAlert();

    AppState& state_;
    RootView* root_;
    QAction* scanNow_ = nullptr;
    QAction* settings_ = nullptr;
    QAction* quit_ = nullptr;
    QAction* close_ = nullptr;
    QAction* scanHome_ = nullptr;
    QAction* chooseFolder_ = nullptr;
    QAction* inspector_ = nullptr;
    QAction* about_ = nullptr;
    std::vector<std::pair<QAction*, AppState::Mode>> modeActions_;
    std::vector<std::pair<QAction*, AppState::GeneralSection>> sectionActions_;
    // The settings sheet opens on its first tab, except when "About" asked for it.
    bool wantsAboutTab_ = false;
    QPointer<QDialog> sheetDialog_;
    std::optional<AppState::Sheet> shownSheet_;
    QPointer<QMessageBox> alert_;
};

}  // namespace korvane
