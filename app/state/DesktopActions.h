#pragma once

#include <string>
#include <vector>

#include "app/platform/Desktop.h"
#include "core/model/StorageNode.h"

namespace korvane {

// What the window asks of the desktop: reveal, open, the clipboard, the
// folder pickers and the names the desktop gives. Without a desktop adapter
// those requests do nothing.
class DesktopActions {
public:
    DesktopActions(Desktop* desktop, std::string home) : desktop_(desktop), home_(std::move(home)) {}

    // Null when there is none.
    Desktop* desktop() const { return desktop_; }
    const std::string& home() const { return home_; }

    void open(const std::string& path) const;
    void reveal(const std::vector<std::string>& paths) const;
    void revealInFileManager(const StorageNode& node) const;
    void copyPath(const StorageNode& node) const;
    void copyText(const std::string& text) const;
    void openTrash() const;
    // Folders chosen in the picker, starting at the home folder; none without a desktop.
    std::vector<std::string> chooseFolders(const std::string& prompt, const std::string& message,
                                           bool several) const;

    // The desktop's file manager name, empty when it gives none (or there is no desktop).
    std::string fileManagerName() const;
    // The name of the volume that holds the home folder, the title over the
    // disk gauge; the home folder itself when the desktop cannot tell.
    std::string homeVolumeName() const;

private:
    Desktop* desktop_;
    std::string home_;
};

}  // namespace korvane
