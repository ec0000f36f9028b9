// Opens and closes a sheet of the real window again and again, as a user does
// (the settings with their shortcut, each closed with Escape), and prints
// after each hundred rounds how much memory the process holds and what it
// grew by per round since the last report: the small blocks in use on the
// main heap (exact), the large mapped ones (window buffers) and the resident
// set (what the system sees). A sheet that gives back everything it made
// keeps them flat.
//
//   sheets [settings|history] [ROUNDS] [accessible]
//
// With "accessible", accessibility is on and every widget of each opened
// sheet is asked for its accessible interface, as a screen reader would.
//
// Run it under Xvfb or offscreen; for a resident set that follows the heap,
// with GLIBC_TUNABLES=glibc.malloc.trim_threshold=131072:glibc.malloc.mmap_threshold=131072
// so that freed memory goes back at once. Settings and history go to a
// temporary folder, never the user's own.
#include <malloc.h>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/MainWindow.h"
#include "app/kit/ThemedStyle.h"
#include "app/state/AppState.h"
#include "bench/ScratchApp.h"

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

// The small blocks in use; large ones (window buffers, images) are mapped
// apart and come and go with what is on screen.
double heapKiB() { return static_cast<double>(mallinfo2().uordblks) / 1024.0; }
double mappedKiB() { return static_cast<double>(mallinfo2().hblkhd) / 1024.0; }

// Lets the loop run dry, deferred deletions included.
void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(new korvane::ThemedStyle);
    const std::string sheet = argc > 1 ? argv[1] : "settings";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 100;
    const bool accessible = argc > 3 && std::strcmp(argv[3], "accessible") == 0;
    if ((sheet != "settings" && sheet != "history") || rounds <= 0 || (argc > 3 && !accessible)) {
        std::fprintf(stderr, "usage: sheets [settings|history] [ROUNDS] [accessible]\n");
        return 2;
    }

    korvane::bench::ScratchApp app({"--mode", "general"});
    korvane::AppState& state = app.state();
    if (accessible) QAccessible::setActive(true);
    korvane::MainWindow window(state);
    window.resize(1180, 760);
    window.bringToFront();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "sheets: the window never showed\n");
        return 1;
    }

    const auto round = [&] {
        if (sheet == "settings") {
            QApplication::setActiveWindow(&window);
            QTest::keySequence(&window, QKeySequence(QStringLiteral("Ctrl+,")));
        } else {
            state.navigation().setSheet(korvane::AppState::Sheet::history);
        }
        settle();
        QDialog* dialog = window.sheetDialog();
        if (dialog == nullptr) return false;
        // Painted once, as on screen: caches filled by painting count too.
        dialog->grab();
        if (accessible)
            for (QWidget* widget : dialog->findChildren<QWidget*>()) {
                QAccessibleInterface* item = QAccessible::queryAccessibleInterface(widget);
                if (item != nullptr) item->text(QAccessible::Name);
            }
        QTest::keyClick(dialog, Qt::Key_Escape);
        settle();
        return window.sheetDialog() == nullptr && !state.navigation().sheet();
    };

    // The first openings fill what lives as long as the process (fonts, style caches).
    for (int i = 0; i < 10; ++i)
        if (!round()) {
            std::fprintf(stderr, "sheets: the %s sheet did not open and close\n", sheet.c_str());
            return 1;
        }
    malloc_trim(0);
    const double heapStart = heapKiB();
    const long residentStart = residentKiB();
    std::printf("after 10 warm-up rounds: heap %.1f KiB, mapped %.1f KiB, resident %ld KiB\n", heapStart,
                mappedKiB(), residentStart);
    double heapBefore = heapStart;
    long residentBefore = residentStart;
    int doneBefore = 0;
    for (int done = 1; done <= rounds; ++done) {
        if (!round()) {
            std::fprintf(stderr, "sheets: round %d failed\n", done);
            return 1;
        }
        if (done % 100 == 0 || done == rounds) {
            malloc_trim(0);
            const double heap = heapKiB();
            const long resident = residentKiB();
            // Per round since the last report: the first span also holds what settles after the warm-up.
            const int span = done - doneBefore;
            std::printf("after %d rounds: heap %.1f KiB (%+.2f KiB a round), mapped %.1f KiB, resident %ld KiB "
                        "(%+.2f KiB a round)\n",
                        done, heap, (heap - heapBefore) / span, mappedKiB(), resident,
                        static_cast<double>(resident - residentBefore) / span);
            heapBefore = heap;
            residentBefore = resident;
            doneBefore = done;
        }
    }
    return 0;
}
