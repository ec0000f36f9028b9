#pragma once

#include <QScrollArea>

#include "app/presenters/SidebarContent.h"

class QVBoxLayout;

namespace korvane {

class DesktopActions;
class KitButton;

// The developer sidebar: the scan buttons, then with a scan the disk, the
// node the canvas is drilled into, the quick wins and the toolchains.
class SidebarView : public QScrollArea {
    Q_OBJECT
public:
    SidebarView(NavigationState& navigation, DeveloperState& developer, const DesktopActions& desktop,
                QWidget* parent = nullptr);

    const SidebarContent& content() const { return content_; }
    KitButton* scanButton() const { return scan_; }
    KitButton* rescanButton() const { return rescan_; }
    KitButton* folderButton() const { return folder_; }

private:
    void refresh();
    // The four sections, made anew when what they show changes.
    void rebuildSections();
    QWidget* makeDisk(const SidebarContent::Disk& disk);
    QWidget* makeCurrentView(const SidebarContent::CurrentView& view);
    QWidget* makeQuickWins(const std::vector<SidebarContent::QuickWin>& rows);
    QWidget* makeToolchains(const std::vector<FootprintSegment>& rows);

    NavigationState& navigation_;
    DeveloperState& developer_;
    const DesktopActions& desktop_;
    SidebarContent content_;
    QWidget* column_;
    QVBoxLayout* columnLayout_;
    KitButton* scan_;
    KitButton* rescan_;
    KitButton* folder_;
    QWidget* sections_ = nullptr;
};

}  // namespace korvane
