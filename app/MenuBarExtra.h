#pragma once

#include <QObject>

class QSystemTrayIcon;

namespace korvane {

class AppState;
class MainWindow;
class MenuBarView;

// The tray icon: the application icon (a drive), the reclaimable total (or the product
// name) as its tooltip, and the panel it opens on a click. Made only where
// the desktop has a tray.
class MenuBarExtra : public QObject {
    Q_OBJECT
public:
    MenuBarExtra(AppState& state, MainWindow& window, QObject* parent = nullptr);
    ~MenuBarExtra() override;

    QSystemTrayIcon* icon() const { return icon_; }
    MenuBarView* panel() const { return panel_; }

    // Opens the panel below (or above) the given point on the screen.
    void showPanel(const QPoint& anchor);

private:
    void followScan();

    AppState& state_;
    QSystemTrayIcon* icon_;
    MenuBarView* panel_;
};

}  // namespace korvane
