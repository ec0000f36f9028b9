#pragma once

#include <QScrollArea>
#include <array>
#include <vector>

#include "app/presenters/SidebarContent.h"

class QPushButton;
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
    // The four sections, each made anew when what it shows changed since
    // `before` (all of them without it).
    void showSections(const std::optional<SidebarContent::Sections>& before);
    void replacePart(std::size_t index, QWidget* part);
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
    // Disk storage, current view, quick wins, toolchains; null while not shown.
    std::array<QWidget*, 4> parts_{};
    std::vector<QPushButton*> quickWinRows_;
};

}  // namespace korvane
