#include <gtest/gtest.h>
#include <malloc.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <chrono>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/state/DemonstrationData.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/scanners/ScannerEngine.h"
#include "tests/app/canvases/layout/CanvasTrees.h"
#include "tests/app/state/FlowFixture.h"

// Every canvas over every kind of tree a user can bring before it: the
// demonstration, a developer scan of a home, folder scans of odd folders and
// a tree with sizes no scan should produce. Each node is focused in turn
// (the root, every folder, every leaf), the filter keeps all, some, one and
// none of the tree, the page is small, of the usual size and wide, "Include
// protected" is off and on. Every canvas is laid out, painted, hovered item
// by item and filtered again; none may throw, crash or read a node of a tree
// that has gone.
//
// Every canvas meets every focus, and every filter and every size meet every
// canvas and every focus, but not every triple: that product takes minutes.
// KORVANE_CANVAS_WALK=full walks all of it.

namespace korvane {
namespace {

using testing::TempTree;
using std::chrono::hours;

constexpr std::int64_t KiB = 1024;

// The small page leaves the canvas hardly any room, or none.
const QSize pageSizes[] = {{300, 230}, {980, 680}, {1760, 560}};

enum class Tree {
    demonstration,
    developerHome,
    deepFolder,
    flatFolder,
    emptyFolder,
    oneFile,
    zeroByteFiles,
    summedRemainders,
    longName,
    oddSizes,
};

struct TreeName {
    Tree tree;
    const char* name;
};
const TreeName treeNames[] = {
    {Tree::demonstration, "Demonstration"},
    {Tree::developerHome, "DeveloperHome"},
    {Tree::deepFolder, "DeepFolder"},
    {Tree::flatFolder, "FlatFolder"},
    {Tree::emptyFolder, "EmptyFolder"},
    {Tree::oneFile, "OneFile"},
    {Tree::zeroByteFiles, "ZeroByteFiles"},
    {Tree::summedRemainders, "SummedRemainders"},
    {Tree::longName, "LongName"},
    {Tree::oddSizes, "OddSizes"},
};

StorageNode node(std::string id, std::int64_t bytes, std::vector<StorageNode> children = {}) {
    return canvastest::pathNode(std::move(id), bytes, std::move(children));
}

// What no scan should produce, and a canvas must still draw: negative and
// zero sizes, a parent smaller than its children, a node named like a
// canvas's own summing tile, an empty name, a long name, a date to come.
FileTreeScanner::Result oddTree(std::chrono::system_clock::time_point now) {
    StorageNode unnamed = node("/odd/", 512);
    unnamed.name.clear();
    StorageNode longName = node("/odd/" + std::string(300, 'w'), 64 * KiB);
    longName.lastModified = now - hours(24 * 800);
    StorageNode future = node("/odd/future", 16 * KiB);
    future.lastModified = now + hours(24 * 400);
    FileTreeScanner::Result result;
    result.root = node("/odd", 1000 * KiB,
                       {node("/odd/negative", -4096), node("/odd/zero", 0), node("/odd/summed//smaller", 8192),
                        unnamed, longName, future, node("/odd/lone", 3 * KiB, {node("/odd/lone/only", 3 * KiB)}),
                        node("/odd/shrunk", 10, {node("/odd/shrunk/a", 900 * KiB), node("/odd/shrunk/b", -1)}),
                        node("/odd/hollow", 0, {node("/odd/hollow/none", 0)})});
    result.root.kind = StorageNode::Kind::root;
    return result;
}

// Every id of the tree: the root, the folders, then the leaves.
std::vector<std::string> focusIDs(const StorageNode& root) {
    std::vector<std::string> folders, leaves;
    std::vector<const StorageNode*> pending{&root};
    while (!pending.empty()) {
        const StorageNode* next = pending.back();
        pending.pop_back();
        (next->children.empty() && next != &root ? leaves : folders).push_back(next->id);
        for (const StorageNode& child : next->children) pending.push_back(&child);
    }
    folders.insert(folders.end(), leaves.begin(), leaves.end());
    return folders;
}

// Filters that keep the whole tree, a branch of it, one leaf and nothing; and none.
std::vector<std::string> filtersFor(const StorageNode& root) {
    // Every id or path of a folder scan holds its root's name, and the
    // developer tree's root matches its own id, which keeps all below it.
    std::vector<std::string> filters{root.id == "root" ? "root" : root.name};
    if (!root.children.empty()) filters.push_back(root.children.front().name.substr(0, 3));
    const auto leaves = root.leaves();
    if (!leaves.empty()) filters.push_back(leaves.back()->name);
    filters.push_back("\u2603 no such name");
    filters.push_back("");
    return filters;
}

struct Step {
    CanvasMode mode;
    std::size_t filter;
    std::size_t size;
};

// What the canvases are put through with the focus on the focus-th node.
// Small trees take every combination; larger ones every canvas with every
// focus, the filter and the size turning with the canvas and the focus, so
// that across the focuses each filter and each size meets every canvas.
std::vector<Step> stepsFor(std::size_t focus, std::size_t focusCount, std::size_t filterCount) {
    const auto& modes = allCanvasModes();
    const std::size_t sizeCount = std::size(pageSizes);
    std::vector<Step> steps;
    const bool full = qgetenv("KORVANE_CANVAS_WALK") == "full" ||
                      focusCount * modes.size() * filterCount * sizeCount <= 300;
    for (std::size_t m = 0; m < modes.size(); ++m) {
        if (!full) {
            steps.push_back({modes[m], (m + focus) % filterCount, (m + focus) % sizeCount});
            continue;
        }
        for (std::size_t size = 0; size < sizeCount; ++size)
            for (std::size_t filter = 0; filter < filterCount; ++filter) steps.push_back({modes[m], filter, size});
    }
    return steps;
}

// Lays the canvas out and paints it, hovers the centre of every item and a
// grid across it (each hover asks where its card goes and what it says),
// paints it again with the last hover, and leaves it.
void exercise(CanvasBase& canvas) {
    QImage image(canvas.size().expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&] {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        canvas.paintInto(painter);
    };
    const auto hover = [&](QPointF point) {
        QMouseEvent move(QEvent::MouseMove, point, canvas.mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&canvas, &move);
    };
    paint();
    for (std::size_t item = 0; canvas.root() && canvas.itemNode(item); ++item)
        hover(canvas.itemBounds(item).center());
    for (int x = 1; x < 6; ++x)
        for (int y = 1; y < 4; ++y) hover({canvas.width() * x / 6.0, canvas.height() * y / 4.0});
    paint();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&canvas, &leave);
}

class CanvasWalkTest : public testing::FlowFixture, public ::testing::WithParamInterface<Tree> {
protected:
    void SetUp() override {
        // Freed memory is overwritten at once, so that a node read after its
        // tree has gone reads as garbage rather than as the values it held.
        mallopt(M_PERTURB, 0x5c);
    }
    void TearDown() override {
        mallopt(M_PERTURB, 0);
        AppMotion::setJumpToEnd(false);
    }

    // Puts the tree into the state, in its mode.
    void load(Tree tree) {
        const auto now = std::chrono::system_clock::now();
        switch (tree) {
            case Tree::demonstration:
                return developerScan(DemonstrationData::scan(now));
            case Tree::developerHome:
                return developerScan(scanDeveloperHome());
            case Tree::deepFolder: {
                std::string path = "deep";
                for (int level = 0; level < 6; ++level) {
                    folders_.file(path + "/file-" + std::to_string(level),
                                  static_cast<std::size_t>(4 * KiB * (level + 1)));
                    path += "/level " + std::to_string(level);
                }
                folders_.file(path + "/bottom", 4 * KiB);
                return folderScan("deep");
            }
            case Tree::flatFolder:
                for (int i = 0; i < 14; ++i)
                    folders_.file("flat/file " + std::to_string(i), static_cast<std::size_t>((i % 5 + 1) * 4 * KiB));
                return folderScan("flat");
            case Tree::emptyFolder:
                folders_.folder("empty");
                return folderScan("empty");
            case Tree::oneFile:
                folders_.file("one/only", 8 * KiB);
                return folderScan("one");
            case Tree::zeroByteFiles:
                for (int i = 0; i < 3; ++i) folders_.file("zero/empty-" + std::to_string(i));
                folders_.file("zero/inner/empty");
                return folderScan("zero");
            case Tree::summedRemainders:
                for (int i = 0; i < 8; ++i) {
                    const std::string name = "summed/top-" + std::to_string(i);
                    folders_.file(name, static_cast<std::size_t>((8 - i) * 4 * KiB));
                    folders_.age(name, i * 90.0 * 86400);
                    folders_.file("summed/sub/f-" + std::to_string(i), 4 * KiB);
                }
                return folderScan("summed", 3);
            case Tree::longName: {
                const std::string name(250, 'n');
                folders_.file("long/" + name, 12 * KiB);
                folders_.file("long/" + name.substr(0, 240) + "/inner", 4 * KiB);
                return folderScan("long");
            }
            case Tree::oddSizes:
                state().preferences().setMode(AppState::Mode::general);
                return state().folderScan().setGeneralResult(oddTree(now));
        }
    }

    void developerScan(ScanResult scan) {
        state().preferences().setMode(AppState::Mode::developer);
        state().developer().showRestoredScan(std::move(scan), false);
    }

    // A folder scanned as general mode scans it, every file of a byte or
    // more a node of its own unless the folder has more than `maxChildren`.
    void folderScan(const std::string& folder, int maxChildren = 45) {
        FileTreeScanner::Options options;
        options.fileNodeThreshold = 1;
        options.maxChildren = maxChildren;
        options.workerCount = 2;
        state().preferences().setMode(AppState::Mode::general);
        state().folderScan().setGeneralResult(FileTreeScanner(options).scan(folders_.path(folder)));
    }

    // A developer's home with caches, an SDK, and projects with
    // dependencies and build output, of several ages, scanned by the nine
    // scanners.
    ScanResult scanDeveloperHome() {
        const std::string sdk = "home/Android/Sdk/";
        tree_.file(sdk + "system-images/android-34/google_apis/x86_64/system.img", 96 * KiB);
        tree_.file(sdk + "platforms/android-33/android.jar", 40 * KiB);
        tree_.file(sdk + "build-tools/34.0.0/aapt", 24 * KiB);
        tree_.file(sdk + ".temp/partial.zip", 8 * KiB);
        tree_.file("home/.cache/go-build/00/a", 20 * KiB);
        tree_.age("home/.cache/go-build/00/a", 500.0 * 86400);
        tree_.file("home/.cache/JetBrains/index/b", 12 * KiB);
        tree_.file("home/.gradle/caches/modules-2/files-2.1/lib.jar", 36 * KiB);
        tree_.file("home/.npm/_cacache/content-v2/blob", 16 * KiB);
        for (const std::string& project : std::vector<std::string>{"storefront", std::string(200, 'p')}) {
            tree_.text("home/Projects/" + project + "/package.json", "{}");
            tree_.file("home/Projects/" + project + "/node_modules/left-pad/index.js", 12 * KiB);
            tree_.file("home/Projects/" + project + "/build/out.bin", 8 * KiB);
            tree_.age("home/Projects/" + project + "/package.json", 200.0 * 86400);
        }
        TempTree temporary;  // the shared temporary folder
        testing::ScopedEnv tmpdir("TMPDIR", temporary.root());
        ScanSettings settings;
        settings.noiseFloorBytes = 1;
        settings.projectRoots = {at("Projects")};
        return ScannerEngine(settings).scan([](const ScanProgress&) {});
    }

    TempTree folders_;
};

TEST_P(CanvasWalkTest, EveryCanvasSurvivesEveryFocusFilterAndSize) {
    AppState& state = launch();
    load(GetParam());
    const CanvasParts parts{state.navigation(), state.developer(), state.desktop()};
    const bool developer = state.preferences().mode() == AppState::Mode::developer;
    std::unique_ptr<QWidget> page;
    CanvasDrawing* drawing = nullptr;
    std::function<const StorageNode*()> shown;
    if (developer) {
        auto* own = new DeveloperCanvasPage(parts);
        page.reset(own);
        drawing = own->drawing();
        shown = [own] { return own->content().root; };
    } else {
        auto* own = new GeneralCanvasPage(state.folderScan(), parts);
        page.reset(own);
        drawing = own->drawing();
        shown = [own] { return own->content().root; };
    }
    page->show();
    for (const bool protectedShown : developer ? std::vector{false, true} : std::vector{false}) {
        SCOPED_TRACE(protectedShown ? "protected shown" : "protected hidden");
        if (developer) state.developer().setShowsProtected(protectedShown);
        const StorageNode* tree = state.navigation().navigationTree();
        ASSERT_NE(tree, nullptr);
        const std::string rootID = tree->id;
        const auto ids = focusIDs(*tree);
        const auto filters = filtersFor(*tree);
        for (std::size_t focus = 0; focus < ids.size(); ++focus) {
            SCOPED_TRACE("focus " + ids[focus]);
            state.navigation().setFocusedID(ids[focus] == rootID ? std::nullopt : std::optional(ids[focus]));
            for (const Step& step : stepsFor(focus, ids.size(), filters.size())) {
                SCOPED_TRACE(std::string(rawValue(step.mode)) + ", filter \"" + filters[step.filter] + "\", " +
                             std::to_string(pageSizes[step.size].width()) + " wide");
                if (page->size() != pageSizes[step.size]) {
                    page->resize(pageSizes[step.size]);
                    QApplication::processEvents();
                }
                // The canvas on its way out is pictured for its fade.
                AppMotion::setJumpToEnd(false);
                state.navigation().setCanvasMode(step.mode);
                state.navigation().setSearchText(filters[step.filter]);
                AppMotion::setJumpToEnd(true);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                CanvasBase* canvas = drawing->canvas();
                ASSERT_NE(canvas, nullptr);
                ASSERT_EQ(canvas->root(), shown());
                exercise(*canvas);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, CanvasWalkTest,
                         ::testing::ValuesIn([] {
                             std::vector<Tree> trees;
                             for (const TreeName& named : treeNames) trees.push_back(named.tree);
                             return trees;
                         }()),
                         [](const ::testing::TestParamInfo<Tree>& info) {
                             for (const TreeName& named : treeNames)
                                 if (named.tree == info.param) return std::string(named.name);
                             return std::string("unnamed");
                         });

}  // namespace
}  // namespace korvane
