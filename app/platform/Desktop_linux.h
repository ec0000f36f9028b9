#pragma once

#include <map>
#include <optional>
#include <string>

#include <QPointer>
#include <QWidget>

class QFileDialog;

#include "app/platform/Desktop.h"

namespace korvane {

// The freedesktop.org desktop: reveal through the file manager's D-Bus
// interface (org.freedesktop.FileManager1), opening through the desktop's
// default handlers (a request that neither answers is reported unanswered), the home trash's files/ folder, the system clipboard,
// Qt's own folder dialog (the native one cannot pick several folders), the
// default folder handler's name and the volumes' labels.
class FreedesktopDesktop final : public Desktop {
public:
    FreedesktopDesktop() = default;

    // The window the pickers are modal to.
    void setParentWindow(QWidget* window) { parent_ = window; }

    void reveal(const std::vector<std::string>& paths, Unanswered unanswered) override;
    void open(const std::string& path, Unanswered unanswered) override;
    void openTrash(Unanswered unanswered) override;
    void copyText(const std::string& text) override;
    std::vector<std::string> chooseFolders(const FolderRequest& request) override;
    std::string fileManagerName() override;
    std::string volumeName(const std::string& folder) override;

    // The folders an accepted folder dialog stands for: the rows picked in
    // its list, or exactly the path typed in its name field (typing over a
    // selection replaces it), else the folder it shows; only folders that
    // exist, each once, and one unless `multiple`.
    static std::vector<std::string> chosenFolders(const QFileDialog& dialog, bool multiple);

private:
    QPointer<QWidget> parent_;
    // Each looked up once: the screens ask whenever they rebuild.
    std::optional<std::string> fileManagerName_;
    std::map<std::string, std::string> volumeNames_;
};

}  // namespace korvane
