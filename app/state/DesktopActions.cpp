#include "app/state/DesktopActions.h"

#include "app/state/PlatformWords.h"

namespace korvane {

void DesktopActions::open(const std::string& path) const {
    if (desktop_) desktop_->open(path);
}

void DesktopActions::reveal(const std::vector<std::string>& paths) const {
    if (desktop_) desktop_->reveal(paths);
}

void DesktopActions::revealInFileManager(const StorageNode& node) const {
    if (node.path) reveal({*node.path});
}

void DesktopActions::copyPath(const StorageNode& node) const {
    if (node.path) copyText(*node.path);
}

void DesktopActions::copyText(const std::string& text) const {
    if (desktop_) desktop_->copyText(text);
}

void DesktopActions::openTrash() const {
    if (desktop_) desktop_->openTrash();
}

std::vector<std::string> DesktopActions::chooseFolders(const std::string& prompt, const std::string& message,
                                                       bool several) const {
    if (!desktop_) return {};
    return desktop_->chooseFolders({home_, prompt, message, several});
}

std::string DesktopActions::fileManagerName() const {
    return desktop_ ? desktop_->fileManagerName() : std::string();
}

std::string DesktopActions::homeVolumeName() const {
    return platformWords::volumeTitle(desktop_ ? desktop_->volumeName(home_) : std::string(), home_);
}

}  // namespace korvane
