#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/presenters/FootprintSegments.h"
#include "app/state/DeveloperState.h"
#include "app/state/NavigationState.h"

namespace korvane {

// What the developer sidebar shows.
struct SidebarContent {
    // The scan block; the three buttons share one enabled flag.
    std::string scanTitle;  // "Scan this computer", "Scanning…"
    bool scanEnabled = true;

    struct Disk {
        VolumeInfo volume;
        std::string total, used, free;
        friend bool operator==(const Disk&, const Disk&) = default;
    };
    struct CurrentView {
        std::string trailing;  // "2.4s scan"
        std::string title;     // the focused node's name, or "Developer storage"
        std::string subtitle;  // its path with "~", or "12 projects · 5 toolchains"
        bool revealEnabled = false;
        bool copyEnabled = false;
        friend bool operator==(const CurrentView&, const CurrentView&) = default;
    };
    struct QuickWin {
        std::string id;
        std::string symbol;
        CleanupCategory colour = CleanupCategory::node;  // the icon's category colour
        std::string name;
        std::string bytes;     // reclaimable
        std::string subtitle;  // "Xcode · 3 items"
        bool isFocused = false;
        friend bool operator==(const QuickWin&, const QuickWin&) = default;
    };
    // The four sections exist only with a scan.
    struct Sections {
        Disk disk;
        CurrentView currentView;
        std::string quickWinsTrailing;
        std::vector<QuickWin> quickWins;
        std::string toolchainsTrailing;
        std::vector<FootprintSegment> toolchains;
        friend bool operator==(const Sections&, const Sections&) = default;
    };
    std::optional<Sections> sections;

    friend bool operator==(const SidebarContent&, const SidebarContent&) = default;
};

SidebarContent sidebarContent(const NavigationState& navigation, const DeveloperState& developer);

}  // namespace korvane
