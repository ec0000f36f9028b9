#pragma once

#include <QWidget>

#include "app/kit/PopupSurface.h"
#include "app/presenters/MenuBarContent.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace korvane {

class ByteHeadline;
class DeveloperState;
class NavigationState;

// The tray's panel: the reclaimable total, the largest categories and the
// free space of the last developer scan, and the commands scan now, open the
// window and quit. It always draws in the paper palette, whatever the window's theme.
class MenuBarView : public QWidget {
    Q_OBJECT
public:
    // The card's width; where the screen is composited, the window is wider by the shadow's room.
    static constexpr int panelWidth = 240;

    MenuBarView(DeveloperState& developer, const NavigationState& navigation, QWidget* parent = nullptr);

    const MenuBarContent& content() const { return content_; }
    const PopupSurface& surface() const { return surface_; }
    QPushButton* scanButton() const { return scan_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* quitButton() const { return quit_; }

signals:
    void openRequested();
    void quitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void rebuildSummary();

    DeveloperState& developer_;
    const NavigationState& navigation_;
    PopupSurface surface_;
    MenuBarContent content_;
    bool hasContent_ = false;
    ByteHeadline* headline_;
    QWidget* summary_;
    QVBoxLayout* summaryLayout_;
    QPushButton* scan_;
    QPushButton* open_;
    QPushButton* quit_;
};

}  // namespace korvane
