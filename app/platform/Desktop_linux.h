#pragma once

#include <QPointer>
#include <QWidget>

#include "app/platform/Desktop.h"

namespace korvane {

// The freedesktop.org desktop: reveal through the file manager's D-Bus
// interface (org.freedesktop.FileManager1), opening through the desktop's
// default handlers, the home trash's files/ folder, the system clipboard and
// Qt's own folder dialog (the native one cannot pick several folders).
class FreedesktopDesktop final : public Desktop {
public:
    FreedesktopDesktop() = default;

    // The window the pickers are modal to.
    void setParentWindow(QWidget* window) { parent_ = window; }

    void reveal(const std::vector<std::string>& paths) override;
    void open(const std::string& path) override;
    void openTrash() override;
    void copyText(const std::string& text) override;
    std::vector<std::string> chooseFolders(const FolderRequest& request) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace korvane
