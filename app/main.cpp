#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/MainWindow.h"
#include "app/MenuBarExtra.h"
#include "app/StartupProbe.h"
#include "app/kit/FocusVisibility.h"
#include "app/kit/ReturnKey.h"
#include "app/kit/ThemedStyle.h"
#include "app/platform/ApplicationInfo.h"
#include "app/platform/Desktop_linux.h"
#include "app/platform/IniSettings.h"
#include "app/platform/Notifier_linux.h"
#include "app/platform/SingleInstance_linux.h"
#include "app/platform/SystemClock.h"
#include "app/platform/TerminationSignals_linux.h"
#include "app/presenters/CommandLineAnswer.h"
#include "app/state/AppState.h"
#include "app/theme/ApplicationIcon.h"
#include "core/safety/HistoryStore.h"
#include "core/system/OpenFileLimit.h"
#include "core/system/Paths.h"

int main(int argc, char* argv[]) {
    // Answered before the application exists: it needs no display and
    // writes nothing into the home.
    const korvane::CommandLineAnswer answer = korvane::commandLineAnswer({argv + 1, argv + argc});
    if (answer.outcome != korvane::CommandLineAnswer::Outcome::run) {
        const bool answered = answer.outcome == korvane::CommandLineAnswer::Outcome::answered;
        std::fputs(answer.text.c_str(), answered ? stdout : stderr);
        return answer.exitStatus;
    }
    // Scanners measure in parallel and need more descriptors than the default soft limit.
    korvane::raiseOpenFileLimit();
    korvane::StartupProbe::prepare();
    QApplication application(argc, argv);
    QApplication::setStyle(new korvane::ThemedStyle);
    // Return presses the focused button, in every window.
    korvane::pressFocusedButtonsOnReturn();
    // Focus rings show while the keyboard is in use, not after a click (it
    // watches after the line above, so it sees Return as well).
    korvane::FocusVisibility::watchInput();
    QApplication::setApplicationName(QString::fromLatin1(korvane::applicationInfo::name));
    QApplication::setOrganizationName(QString::fromLatin1(korvane::applicationInfo::name));
    QApplication::setApplicationVersion(QString::fromLatin1(korvane::applicationInfo::version));
    // The desktop matches the window, tray icon and notifications to the installed entry by this id.
    QApplication::setDesktopFileName(QString::fromLatin1(korvane::applicationInfo::id));
    QApplication::setWindowIcon(korvane::applicationIcon());
    // Closing the window leaves the tray's panel able to bring it back.
    QApplication::setQuitOnLastWindowClosed(!QSystemTrayIcon::isSystemTrayAvailable());

    // Two copies on one home would each clean and write history: a later
    // launch brings the running window forward instead.
    korvane::SingleInstance instance(korvane::HistoryStore::defaultDirectory() + "/instance.lock");
    switch (instance.claim()) {
        case korvane::SingleInstance::Claim::forwarded:
            std::fprintf(stderr, "%s is already running: its window comes forward.\n",
                         korvane::applicationInfo::name);
            return 0;
        case korvane::SingleInstance::Claim::unanswered:
            std::fprintf(stderr, "%s is already running but does not answer; try again in a moment.\n",
                         korvane::applicationInfo::name);
            return 1;
        case korvane::SingleInstance::Claim::first:
        case korvane::SingleInstance::Claim::unguarded:
            break;
    }

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

    state.developer().startFollowingVolume();
    korvane::MainWindow window(state);
    desktop.setParentWindow(&window);
    QObject::connect(&instance, &korvane::SingleInstance::comeForwardRequested, &window,
                     &korvane::MainWindow::bringToFront);
    korvane::StartupProbe probe(window);
    // Without a tray (a bare X server, some desktops) the program runs without it, silently.
    std::unique_ptr<korvane::MenuBarExtra> tray;
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray = std::make_unique<korvane::MenuBarExtra>(state, window);
    // A logout or Ctrl+C in a terminal quits as "Quit" does: a cleanup stops and is recorded.
    korvane::TerminationSignals termination;
    QObject::connect(&termination, &korvane::TerminationSignals::received, qApp, &QApplication::quit);
    QTimer::singleShot(0, &window, &korvane::MainWindow::bringToFront);
    return QApplication::exec();
}
