#include <QApplication>

#include "app/MainWindow.h"
#include "core/system/OpenFileLimit.h"

int main(int argc, char* argv[]) {
    // Scanners measure in parallel and need more descriptors than the default soft limit.
    korvane::raiseOpenFileLimit();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    korvane::MainWindow window;
    window.show();
    return QApplication::exec();
}
