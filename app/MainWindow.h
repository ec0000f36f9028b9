#pragma once

#include <optional>

#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include "app/state/AppState.h"

class QAction;

namespace korvane {

class RootView;

// The one main window: the root view, the menu commands, the sheet over the
// window (one at a time) and the alert of an error message.
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
    // The open sheet and the open alert; null while there is none.
    QDialog* sheetDialog() const { return sheetDialog_; }
    QMessageBox* alert() const { return alert_; }

private:
    void buildMenus();
    void followTheme();
    void followSheet();
    void followAlert();
    QWidget* makeSheetContent(AppState::Sheet sheet);
    // Closes without clearing the state's sheet: it already names another one or none.
    void discardSheetDialog();
    void discardAlert();

    AppState& state_;
    RootView* root_;
    QAction* scanNow_ = nullptr;
    QAction* settings_ = nullptr;
    QPointer<QDialog> sheetDialog_;
    std::optional<AppState::Sheet> shownSheet_;
    QPointer<QMessageBox> alert_;
};

}  // namespace korvane
