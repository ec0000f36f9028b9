#pragma once

#include <QWidget>
#include <vector>

#include "app/presenters/GeneralSidebarContent.h"

class QLabel;
class QLayout;
class QScrollArea;
class QVBoxLayout;

namespace korvane {

class ApplicationsState;
class DesktopActions;
class DiskGauge;
class ElidedLabel;
class FolderScanState;
class KitButton;
class LiveStatsState;
class NavigationState;
class RailSection;

// The left column of general mode: the folder scan's buttons and progress,
// the page list with its counts, the last scan's figures, live load bars
// and the home volume's gauge. Everything comes from generalSidebarContent;
// the buttons only call the folder scan's and navigation's operations.
class GeneralSidebar : public QWidget {
    Q_OBJECT
public:
    GeneralSidebar(FolderScanState& folderScan, NavigationState& navigation,
                   const ApplicationsState& applications, LiveStatsState& liveStats,
                   const DesktopActions& desktop, QWidget* parent = nullptr);

    const GeneralSidebarContent& content() const { return content_; }
    KitButton* primaryButton() const { return primary_; }
    KitButton* folderButton() const { return folder_; }
    KitButton* secondaryButton() const { return secondary_; }
    // One per page, in page order.
    const std::vector<QWidget*>& pageRows() const { return pageRows_; }
    // How far the row of a page shows as chosen at this moment: 0 plain, 1 chosen.
    double pageRowChosenness(std::size_t page) const;
    RailSection* thisScanSection() const { return thisScan_; }
    DiskGauge* diskGauge() const { return gauge_; }

private:
    // The constructor's steps, top to bottom.
    QLayout* buildScanBlock();
    QLayout* buildPageList();
    QWidget* buildThisScan();
    QWidget* buildLive();
    QWidget* buildDiskStorage();
    // A title at the left, the returned figure at the right.
    QLabel* addValueRow(QVBoxLayout* into);
    void placeInScroll(QWidget* ground);
    void connectButtons();

    GeneralSidebarContent contentFor(const VolumeInfo& volume) const;
    void refresh();
    void restyle();

    FolderScanState& folderScan_;
    NavigationState& navigation_;
    const ApplicationsState& applications_;
    LiveStatsState& liveStats_;
    const DesktopActions& desktop_;
    GeneralSidebarContent content_;
    QScrollArea* scroll_;
    KitButton* primary_;
    KitButton* folder_;
    KitButton* secondary_;
    QWidget* progress_;
    QLabel* progressCounts_;
    ElidedLabel* progressPath_;
    std::vector<QWidget*> pageRows_;
    RailSection* thisScan_;
    ElidedLabel* thisScanPath_;
    std::vector<QLabel*> thisScanValues_;  // total, files, folders
    std::vector<QWidget*> meters_;         // CPU, memory, battery
    DiskGauge* gauge_;
    std::vector<QLabel*> diskValues_;  // total, used, free
    std::vector<QLabel*> valueTitles_;
};

}  // namespace korvane
