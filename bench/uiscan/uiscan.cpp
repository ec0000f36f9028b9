// Runs the real window over a folder scan and measures what the user feels:
// the longest stall of the event loop while the scan runs, the time from
// "Scan" to the end of the first paint of the canvas over the result (after
// the loop has laid the page out; animations land at once, so that paint
// draws every tile), the process's peak memory, and then the search page's
// answer time per keystroke over the scan's index.
//
//   uiscan TREE [TYPED...]
//
// Each TYPED text is typed one character at a time into the search field
// (default "file12" and the pattern "file1[0-9]+\.png$" with "Regex" on).
// Run it offscreen (QT_QPA_PLATFORM=offscreen) or under Xvfb. Settings and
// history go to a temporary folder, never the user's own.
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/canvases/CanvasBase.h"
#include "app/frame/GeneralSidebar.h"
#include "app/screens/SearchView.h"
#include "app/state/AppState.h"
#include "bench/ScratchApp.h"
#include "app/state/SearchRunner.h"
#include "app/theme/AppMotion.h"
#include "core/system/OpenFileLimit.h"

namespace {

// Ticks as often as the loop lets it; the longest gap between ticks is the
// longest time the window could not repaint.
class StallMeter {
public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0) longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        longest_ = 0;
        last_ = -1;
        clock_.start();
        timer_.start();
    }
    // Also counts the time since the last tick: the turn that just ended.
    double stop() {
        timer_.stop();
        if (last_ >= 0) longest_ = std::max(longest_, clock_.nsecsElapsed() - last_);
        return longest_ / 1e6;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 longest_ = 0;
};

// Sleeps between events like the application's own loop, rather than
// spinning on a core the scan's workers could use.
void runUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Notes the first paint of a canvas once `ready` holds; the paint has ended
// (and reached the window's backing store) when that turn of the loop returns.
class CanvasPaintWatch final : public QObject {
public:
    explicit CanvasPaintWatch(std::function<bool()> ready) : ready_(std::move(ready)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<korvane::CanvasBase*>(object) && ready_()) painted_ = true;
        return false;
    }

private:
    std::function<bool()> ready_;
    bool painted_ = false;
};

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: uiscan TREE [TYPED...]\n");
        return 2;
    }
    korvane::raiseOpenFileLimit();  // as the application does at start
    QApplication application(argc, argv);
    // The first paint of the tree draws every tile, not the first frame of an entrance.
    korvane::AppMotion::setJumpToEnd(true);
    const std::string tree = argv[1];
    std::vector<std::string> typed;
    for (int i = 2; i < argc; ++i) typed.emplace_back(argv[i]);
    if (typed.empty()) typed = {"file12", "re:file1[0-9]+\\.png$"};

    korvane::bench::ScratchApp app({"--mode", "general", "--screen", "explore"});
    korvane::AppState& state = app.state();
    korvane::MainWindow window(state);
    window.resize(1280, 800);
    window.show();
    QCoreApplication::processEvents();
    auto* sidebar = window.findChild<korvane::GeneralSidebar*>();
    if (sidebar == nullptr) {
        std::fprintf(stderr, "uiscan: the general sidebar is not on screen\n");
        return 1;
    }

    // "Scan": the sidebar's own path to the state, then until the loop has
    // laid out the page and painted the canvas over the result.
    StallMeter stalls;
    QElapsedTimer watch;
    double shown = 0;
    {
        CanvasPaintWatch paints([&] {
            return !state.folderScan().isScanningFolder() && state.folderScan().generalResult().has_value();
        });
        stalls.start();
        watch.start();
        state.folderScan().scanFolder(tree);
        runUntil([&] { return paints.painted(); });
        shown = watch.nsecsElapsed() / 1e9;
    }
    const double longestStall = stalls.stop();
    const auto& result = *state.folderScan().generalResult();
    std::printf("files %lld, index %zu entries\n", static_cast<long long>(result.fileCount), result.index.size());
    std::printf("scan in the core %.3f s\n", result.duration);
    std::printf("scan to tree shown %.3f s\n", shown);
    std::printf("longest event-loop stall during the scan %.1f ms\n", longestStall);

    // The search page, typed into one character at a time.
    state.navigation().setGeneralSection(korvane::AppState::GeneralSection::search);
    QCoreApplication::processEvents();
    auto* search = window.findChild<korvane::SearchView*>();
    if (search == nullptr) {
        std::fprintf(stderr, "uiscan: the search page is not on screen\n");
        return 1;
    }
    std::vector<double> latencies;
    for (std::string text : typed) {
        const bool regex = text.rfind("re:", 0) == 0;
        if (regex) text = text.substr(3);
        if (search->regexBox()->isChecked() != regex) search->regexBox()->click();
        search->field()->clear();
        korvane::FileSearch::Query query = state.folderScan().searchQuery();
        query.text.clear();
        state.folderScan().setSearchQuery(query);
        runUntil([&] { return search->runner().isCurrent(); });
        for (std::size_t n = 1; n <= text.size(); ++n) {
            watch.restart();
            search->field()->setText(QString::fromStdString(text.substr(0, n)));
            emit search->field()->textEdited(search->field()->text());
            runUntil([&] { return search->runner().isCurrent(); });
            search->repaint();
            latencies.push_back(watch.nsecsElapsed() / 1e6);
        }
        std::printf("typed \"%s\"%s: %zu results\n", text.c_str(), regex ? " (regex)" : "",
                    search->runner().results().size());
    }
    std::sort(latencies.begin(), latencies.end());
    const double mean = std::accumulate(latencies.begin(), latencies.end(), 0.0) / latencies.size();
    std::printf("search per keystroke %.1f ms mean, %.1f ms worst (%zu keystrokes)\n", mean, latencies.back(),
                latencies.size());
    std::printf("peak memory %.0f MB\n", peakMegabytes());
    return 0;
}
