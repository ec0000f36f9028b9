#include <QApplication>

#include "app/MainWindow.h"
#include "app/platform/Desktop_linux.h"
#include "app/platform/IniSettings.h"
#include "app/platform/Notifier_linux.h"
#include "app/platform/SystemClock.h"
#include "app/state/AppState.h"
#include "core/safety/HistoryStore.h"
#include "core/system/OpenFileLimit.h"
#include "core/system/Paths.h"

int main(int argc, char* argv[]) {
    // Scanners measure in parallel and need more descriptors than the default soft limit.
    korvane::raiseOpenFileLimit();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    korvane::IniSettings settings;
    korvane::SystemClock clock;
    korvane::FreedesktopNotifier notifier;
    korvane::FreedesktopDesktop desktop;
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1))
        arguments.push_back(argument.toStdString());
    korvane::AppState state({.defaults = settings,
                             .clock = clock,
                             .notifier = notifier,
                             .home = korvane::Paths::home(),
                             .historyDirectory = korvane::HistoryStore::defaultDirectory(),
                             .statsReader = nullptr,
                             .makeScannerEngine = nullptr,
                             .arguments = std::move(arguments),
                             .desktop = &desktop});

    korvane::MainWindow window;
    desktop.setParentWindow(&window);
    window.show();
    return QApplication::exec();
}
