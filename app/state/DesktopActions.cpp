#include "app/state/DesktopActions.h"

#include "app/state/PlatformWords.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/Paths.h"
#include "core/text/PathText.h"

namespace korvane {

namespace {

std::string quotedName(const std::string& path) {
    return "\u201c" + Paths::lastComponent(path) + "\u201d";
}

}  // namespace

std::string DesktopActions::unansweredRevealText(const std::vector<std::string>& paths) {
    const std::string what = paths.size() == 1 ? quotedName(paths.front())
                                               : std::to_string(paths.size()) + " items";
    return "No file manager answered, so " + what +
           " could not be shown. Choose a default application for folders in your desktop\u2019s settings.";
}

std::string DesktopActions::unansweredOpenText(const std::string& path) {
    return "Nothing answered, so " + quotedName(path) +
           " could not be opened. Choose a default application for it in your desktop\u2019s settings.";
}

std::string DesktopActions::unansweredTrashText() {
    return "No file manager answered, so the Trash could not be opened. Choose a default application for "
           "folders in your desktop\u2019s settings.";
}

Desktop::Unanswered DesktopActions::telling(std::string notice) const {
    if (!onUnanswered_) return {};
    return [tell = onUnanswered_, notice = std::move(notice)] { tell(notice); };
}

void DesktopActions::open(const std::string& path) const {
    if (desktop_) desktop_->open(path, telling(unansweredOpenText(path)));
}

void DesktopActions::reveal(const std::vector<std::string>& paths) const {
    if (desktop_ && !paths.empty()) desktop_->reveal(paths, telling(unansweredRevealText(paths)));
}

void DesktopActions::revealInFileManager(const StorageNode& node) const {
    if (node.path)
        reveal({*node.path});
    else if (FileTreeScanner::isRemainderID(node.id))
        reveal({std::string(FileTreeScanner::remainderFolder(node.id))});
}

void DesktopActions::copyPath(const StorageNode& node) const {
    if (node.path) copyText(PathText::copiedText(*node.path));
}

void DesktopActions::copyText(const std::string& text) const {
    if (desktop_) desktop_->copyText(text);
}

void DesktopActions::openTrash() const {
    if (desktop_) desktop_->openTrash(telling(unansweredTrashText()));
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
