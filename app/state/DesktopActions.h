#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/platform/Desktop.h"
#include "core/model/StorageNode.h"

namespace korvane {

// What the window asks of the desktop: reveal, open, the clipboard, the
// folder pickers and the names the desktop gives. Without a desktop adapter
// those requests do nothing. A request to show or open that nothing on the
// desktop answered is told, in words for the user, to whoever listens.
class DesktopActions {
public:
    DesktopActions(Desktop* desktop, std::string home) : desktop_(desktop), home_(std::move(home)) {}

    using Notice = std::function<void(const std::string& notice)>;
    void setOnUnanswered(Notice notice) { onUnanswered_ = std::move(notice); }
    // What the user is told when nothing answered.
    static std::string unansweredRevealText(const std::vector<std::string>& paths);
    static std::string unansweredOpenText(const std::string& path);
    static std::string unansweredTrashText();

    // Null when there is none.
    Desktop* desktop() const { return desktop_; }
    const std::string& home() const { return home_; }

    void open(const std::string& path) const;
    void reveal(const std::vector<std::string>& paths) const;
    // A folder's remainder (its smaller items) shows the folder.
    void revealInFileManager(const StorageNode& node) const;
    // A path that is not UTF-8 goes as the shell reads it back (PathText::copiedText).
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
    Desktop::Unanswered telling(std::string notice) const;

    Desktop* desktop_;
    std::string home_;
    Notice onUnanswered_;
};

}  // namespace korvane
