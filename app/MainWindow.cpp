#include "app/MainWindow.h"

namespace korvane {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Korvane"));
    setMinimumSize(minimumWidth, minimumHeight);
    resize(1100, 760);
}

}  // namespace korvane
