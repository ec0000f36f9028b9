#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvane {

// What the program asks of the desktop around it: showing and opening files,
// the Trash folder, the clipboard, the folder pickers and the names it gives
// its file manager and its volumes. The state talks to
// this interface only, so tests hand it a fake that records the requests.
class Desktop {
public:
    // A modal folder picker. `message` tells the user what to choose, `prompt`
    // is the confirming button's text.
    struct FolderRequest {
        std::string directory;
        std::string prompt;
        std::string message;
        bool multiple = false;

        friend bool operator==(const FolderRequest&, const FolderRequest&) = default;
    };

    // Called when nothing on the desktop answered a request to show or open
    // items: on the thread that asked, perhaps after the request returned.
    using Unanswered = std::function<void()>;

    virtual ~Desktop() = default;

    // Shows the items selected in a file-manager window.
    virtual void reveal(const std::vector<std::string>& paths, Unanswered unanswered) = 0;
    // Opens the item with its default application.
    virtual void open(const std::string& path, Unanswered unanswered) = 0;
    // Shows the folder that holds the user's trashed items.
    virtual void openTrash(Unanswered unanswered) = 0;
    // Replaces the clipboard's contents with plain text.
    virtual void copyText(const std::string& text) = 0;
    // The folders the user confirmed, in order; empty when cancelled.
    virtual std::vector<std::string> chooseFolders(const FolderRequest& request) = 0;
    // The file manager's name ("Files", "Dolphin"); empty when the desktop gives none.
    virtual std::string fileManagerName() = 0;
    // The name of the volume holding the folder (its label, else its mount
    // point); empty when it cannot be told.
    virtual std::string volumeName(const std::string& folder) = 0;
};

}  // namespace korvane
