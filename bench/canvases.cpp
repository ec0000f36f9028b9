// Times every canvas layout on generated trees of about 100,000 nodes at
// 1440 × 900, and counts relayouts over 100 hover moves through the layout
// cache (there should be none). The canvases built as widgets are also
// painted offscreen at that size, and hovered 100 times through real mouse
// events with a repaint after each; the long ones are scrolled a step at a
// time, each step repainted.
//
//   canvases [RUNS] [CANVAS]    (a canvas mode such as treemap: only its widget figures)
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/canvases/CanvasBase.h"
#include "app/canvases/CanvasFactory.h"
#include "app/canvases/ScrollingCanvas.h"
#include "app/canvases/layout/AgeMapLayout.h"
#include "app/canvases/layout/BarsLayout.h"
#include "app/canvases/layout/BubblesLayout.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/FlameLayout.h"
#include "app/canvases/layout/FoldersLayout.h"
#include "app/canvases/layout/MindMapLayout.h"
#include "app/canvases/layout/MonthGridLayout.h"
#include "app/canvases/layout/StrataLayout.h"
#include "app/canvases/layout/SunburstLayout.h"
#include "app/canvases/layout/TableLayout.h"
#include "app/canvases/layout/TreemapLayout.h"
#include "app/platform/IniSettings.h"
#include "app/platform/Notifier.h"
#include "app/platform/SystemClock.h"
#include "app/state/AppState.h"
#include "core/system/LocalDays.h"

using namespace korvane;
using Stopwatch = std::chrono::steady_clock;

namespace {

const QSizeF canvasSize(1440, 900);

struct Generator {
    std::mt19937_64 random{42};
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now();

    StorageNode leaf(const std::string& id) {
        StorageNode node;
        node.id = id;
        node.name = id.substr(id.rfind('/') + 1);
        node.kind = StorageNode::Kind::item;
        // Heavy-tailed sizes, as files are.
        node.bytes = static_cast<std::int64_t>(std::exp(std::uniform_real_distribution<double>(8, 22)(random)));
        node.lastModified = now - std::chrono::hours(random() % (24 * 1100));
        return node;
    }

    static StorageNode folder(const std::string& id, std::vector<StorageNode> children) {
        StorageNode node;
        node.id = id;
        node.name = id.substr(id.rfind('/') + 1);
        node.kind = StorageNode::Kind::group;
        for (const auto& child : children) {
            node.bytes += child.bytes;
            node.reclaimable += child.reclaimable;
        }
        node.children = std::move(children);
        return node;
    }

    // Where a scan's age profiles put bytes: `cells` days of the last three years.
    AgeProfile ages(int cells) {
        const LocalDays::Moment local = LocalDays::moment(now);
        const AgeProfile::Moment reference{local.day, local.millisecond};
        AgeProfile profile;
        for (int i = 0; i < cells; ++i)
            profile.add(
                AgeProfile::stamp(reference, reference.day - static_cast<std::int64_t>(random() % 1100),
                                  static_cast<std::int32_t>(random() % 86400)),
                static_cast<std::int64_t>(std::exp(std::uniform_real_distribution<double>(8, 18)(random))));
        return profile;
    }

    // A folder scan folded to 46 entries per folder, three levels deep: each
    // folder's last entry is its remainder, and each folder's own blocks
    // carry their age, as a scan leaves them.
    StorageNode folded() {
        std::vector<StorageNode> top;
        for (int a = 0; a < 46; ++a) {
            std::vector<StorageNode> middle;
            for (int b = 0; b < 46; ++b) {
                std::vector<StorageNode> files;
                const std::string path = "/home/u/d" + std::to_string(a) + "/e" + std::to_string(b);
                for (int c = 0; c < 45; ++c) files.push_back(leaf(path + "/f" + std::to_string(c)));
                StorageNode rest = leaf(path + "//rest");
                rest.ages = ages(30);
                rest.bytes = rest.ages.total();
                files.push_back(std::move(rest));
                middle.push_back(withOwnBlocks(folder(path, std::move(files))));
            }
            top.push_back(withOwnBlocks(folder("/home/u/d" + std::to_string(a), std::move(middle))));
        }
        return withOwnBlocks(folder("/home/u", std::move(top)));
    }

    StorageNode withOwnBlocks(StorageNode node) {
        node.ages = ages(1);
        node.bytes += node.ages.total();
        return node;
    }

    StorageNode flat(int count) {
        std::vector<StorageNode> files;
        files.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) files.push_back(leaf("/home/u/big/f" + std::to_string(i)));
        return folder("/home/u/big", std::move(files));
    }

    StorageNode equal(int count) {
        auto node = flat(count);
        for (auto& child : node.children) child.bytes = 1'000'000;
        node.bytes = 1'000'000LL * count;
        return node;
    }

    // Nine categories of twenty rule groups of 500 candidates.
    StorageNode developer() {
        std::vector<StorageNode> categories;
        for (auto category : allCleanupCategories()) {
            std::vector<StorageNode> groups;
            for (int g = 0; g < 20; ++g) {
                std::vector<StorageNode> items;
                const std::string group = std::string(rawValue(category)) + ".rule" + std::to_string(g);
                for (int i = 0; i < 500; ++i) {
                    auto item = leaf(group + "/" + std::to_string(i));
                    item.category = category;
                    item.safety = static_cast<SafetyLevel>(random() % 3);
                    item.candidateID = UUID::random();
                    item.reclaimable = item.safety == SafetyLevel::dangerous ? 0 : item.bytes;
                    items.push_back(std::move(item));
                }
                auto node = folder(group, std::move(items));
                node.category = category;
                groups.push_back(std::move(node));
            }
            auto node = folder(std::string(rawValue(category)), std::move(groups));
            node.kind = StorageNode::Kind::category;
            node.category = category;
            categories.push_back(std::move(node));
        }
        auto root = folder("root", std::move(categories));
        root.kind = StorageNode::Kind::root;
        root.name = "Developer storage";
        return root;
    }
};

std::size_t count(const StorageNode& node) {
    std::size_t total = 1;
    for (const auto& child : node.children) total += count(child);
    return total;
}

// Median milliseconds of `runs` calls.
double time(int runs, const std::function<std::size_t()>& body) {
    std::vector<double> samples;
    std::size_t sink = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = Stopwatch::now();
        sink += body();
        samples.push_back(std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count());
    }
    if (sink == 42) std::puts("");  // keeps the work from being optimised away
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Canvas {
    const char* name;
    double goal100k;  // the 100,000-children root has a looser goal for some canvases
    std::function<std::size_t(const StorageNode&)> layout;
    std::function<std::size_t(const StorageNode&)> hoverMoves;  // relayouts over 100 moves
};

template <typename Layout, typename Make, typename Hit>
std::size_t hoverRelayouts(const StorageNode& root, Make make, Hit hit) {
    CanvasLayoutCache<Layout> cache;
    std::size_t hits = 0;
    for (int move = 0; move < 100; ++move) {
        const auto& layout = cache.get(root, canvasSize, 3, [&] { return make(root); });
        const QPointF point(7.3 * move + 3, 4.1 * move + 2);
        hits += hit(layout, point) ? 1 : 0;
    }
    return cache.builds() - 1;
}

class QuietNotifier final : public Notifier {
public:
    bool canPost() const override { return false; }
    void post(const std::string&, const std::string&) override {}
};

// Paint and hover figures of one canvas widget over one tree.
struct PaintFigures {
    double firstPaint = 0;  // layout and paint
    double paint = 0;       // median repaint with the layout held
    double hover = 0;       // median hover move with its repaint
    std::size_t relayouts = 0;
};

// `make` gives a fresh canvas: each first paint is timed on a new one.
PaintFigures paintFigures(const std::function<std::unique_ptr<CanvasBase>()>& make, const StorageNode& root, int runs) {
    QImage image(canvasSize.toSize(), QImage::Format_ARGB32_Premultiplied);
    PaintFigures figures;
    std::unique_ptr<CanvasBase> fresh;
    std::vector<double> firsts;
    for (int run = 0; run < runs; ++run) {
        fresh = make();
        const auto start = Stopwatch::now();
        fresh->setRoot(&root);
        QPainter painter(&image);
        fresh->paintInto(painter);
        firsts.push_back(std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count());
    }
    std::sort(firsts.begin(), firsts.end());
    figures.firstPaint = firsts[firsts.size() / 2];
    CanvasBase& canvas = *fresh;
    auto paint = [&] {
        QPainter painter(&image);
        canvas.paintInto(painter);
        return std::size_t{1};
    };
    figures.paint = time(runs, paint);
    const std::size_t before = canvas.layoutBuilds();
    std::vector<double> moves;
    for (int move = 0; move < 100; ++move) {
        const QPointF point(130 + 13.1 * move, 5 + 8.9 * move);
        const auto start = Stopwatch::now();
        QMouseEvent event(QEvent::MouseMove, point, canvas.mapToGlobal(point), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&canvas, &event);
        paint();
        moves.push_back(std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count());
    }
    std::sort(moves.begin(), moves.end());
    figures.hover = moves[moves.size() / 2];
    figures.relayouts = canvas.layoutBuilds() - before;
    return figures;
}

// Median milliseconds of one scroll step and its repaint.
double scrollFrame(ScrollingCanvas& canvas, const StorageNode& root) {
    QImage image(canvasSize.toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.setRoot(&root);
    auto paint = [&] {
        QPainter painter(&image);
        canvas.paintInto(painter);
    };
    paint();
    std::vector<double> frames;
    for (int step = 1; step <= 100; ++step) {
        const auto start = Stopwatch::now();
        canvas.scrollTo(120.0 * step);
        paint();
        frames.push_back(std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count());
    }
    std::sort(frames.begin(), frames.end());
    return frames[frames.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Entrances land at once, so every item is painted.
    AppMotion::setJumpToEnd(true);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string only = argc > 2 ? argv[2] : "";
    Generator generate;
    const CanvasClock clock{generate.now, QTimeZone::systemTimeZone()};
    struct Tree {
        const char* name;
        StorageNode root;
    };
    std::vector<Tree> trees;
    trees.push_back({"46 x 46 x 46 folder scan", generate.folded()});
    trees.push_back({"100,000 children", generate.flat(100'000)});
    trees.push_back({"developer 9 x 20 x 500", generate.developer()});

    const double w = canvasSize.width();
    std::vector<Canvas> canvases{
        {"strata", 50, [&](const StorageNode& r) { return StrataLayout::make(r, canvasSize, clock).deposits.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<StrataLayout>(r, [&](const StorageNode& n) { return StrataLayout::make(n, canvasSize, clock); },
                                                 [](const StrataLayout& l, QPointF p) { return l.depositAt(p).has_value(); });
         }},
        {"treemap", 250, [&](const StorageNode& r) { return TreemapLayout::make(r, canvasSize).tiles.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<TreemapLayout>(r, [&](const StorageNode& n) { return TreemapLayout::make(n, canvasSize); },
                                                  [](const TreemapLayout& l, QPointF p) { return l.hitAt(p).has_value(); });
         }},
        {"bars", 50, [&](const StorageNode& r) { return BarsLayout::make(r).rows.size(); }, nullptr},
        {"sunburst", 250, [&](const StorageNode& r) { return SunburstLayout::make(r, canvasSize, 3).arcs.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<SunburstLayout>(r, [&](const StorageNode& n) { return SunburstLayout::make(n, canvasSize, 3); },
                                                   [](const SunburstLayout& l, QPointF p) { return l.arcAt(p).has_value(); });
         }},
        {"flame", 250, [&](const StorageNode& r) { return FlameLayout::make(r, w, 7).cells.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<FlameLayout>(r, [&](const StorageNode& n) { return FlameLayout::make(n, w, 7); },
                                                [](const FlameLayout& l, QPointF p) { return l.cellAt(p).has_value(); });
         }},
        {"mind map", 50, [&](const StorageNode& r) { return MindMapLayout::make(r, canvasSize, 3).dots.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<MindMapLayout>(r, [&](const StorageNode& n) { return MindMapLayout::make(n, canvasSize, 3); },
                                                  [](const MindMapLayout& l, QPointF p) { return l.dotAt(p).has_value(); });
         }},
        {"age map", 50,
         [&](const StorageNode& r) {
             return AgeMapLayout::make(r, clock).buckets.size() + MonthGridLayout::make(r, clock).cells.size();
         },
         nullptr},
        {"table", 50, [&](const StorageNode& r) { return TableLayout::make(r, {}).rows.size(); }, nullptr},
        {"bubbles", 250, [&](const StorageNode& r) { return BubblesLayout::make(r, canvasSize).circles.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<BubblesLayout>(r, [&](const StorageNode& n) { return BubblesLayout::make(n, canvasSize); },
                                                  [](const BubblesLayout& l, QPointF p) { return l.circleAt(p).has_value(); });
         }},
        {"folders", 50, [&](const StorageNode& r) { return FoldersLayout::make(r, w).tiles.size(); },
         [&](const StorageNode& r) {
             return hoverRelayouts<FoldersLayout>(r, [&](const StorageNode& n) { return FoldersLayout::make(n, w); },
                                                  [](const FoldersLayout& l, QPointF p) { return l.tileAt(p).has_value(); });
         }},
    };

    if (!only.empty())
        std::erase_if(canvases, [&only](const Canvas& canvas) { return canvas.name != only; });
    std::printf("Canvas layouts at %.0f x %.0f, median of %d runs (ms); goal 50 ms, 250 ms marked * on the\n"
                "100,000-children root; relayouts over 100 hover moves in brackets\n\n",
                canvasSize.width(), canvasSize.height(), runs);
    std::printf("| canvas |");
    for (const auto& tree : trees) std::printf(" %s (%zu nodes) |", tree.name, count(tree.root));
    std::printf("\n|---|");
    for (std::size_t i = 0; i < trees.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (const auto& canvas : canvases) {
        std::printf("| %s |", canvas.name);
        for (std::size_t t = 0; t < trees.size(); ++t) {
            const auto& root = trees[t].root;
            const double ms = time(runs, [&] { return canvas.layout(root); });
            const bool loose = t == 1 && canvas.goal100k > 50;
            std::printf(" %.2f%s", ms, loose ? "*" : "");
            if (canvas.hoverMoves) std::printf(" [%zu]", canvas.hoverMoves(root));
            std::printf(" |");
        }
        std::printf("\n");
    }

    // The canvases as widgets, on a state of their own over a temporary home.
    QTemporaryDir home;
    IniSettings settings(home.filePath(QStringLiteral("Korvane.conf")).toStdString());
    SystemClock systemClock;
    QuietNotifier notifier;
    AppState state(AppState::Services{.defaults = settings,
                                      .clock = systemClock,
                                      .notifier = notifier,
                                      .home = home.path().toStdString(),
                                      .historyDirectory = home.filePath(QStringLiteral("history")).toStdString(),
                                      .statsReader = nullptr,
                                      .makeScannerEngine = {},
                                      .arguments = {}});
    const CanvasParts parts{state.navigation(), state.developer(), state.desktop()};
    std::printf("\nCanvas widgets painted offscreen at %.0f x %.0f (ms): the median first paint of a fresh canvas with its\nlayout, then the median "
                "repaint, and the median of 100 hover moves each with its repaint; relayouts over those moves in brackets\n\n",
                canvasSize.width(), canvasSize.height());
    std::printf("| canvas | tree | first paint | repaint | hover move |\n|---|---|---|---|---|\n");
    for (const auto mode : allCanvasModes()) {
        if (!only.empty() && rawValue(mode) != only) continue;
        for (const auto& tree : trees) {
            const auto make = [&] {
                std::unique_ptr<CanvasBase> canvas(makeCanvas(mode, parts, nullptr));
                canvas->setClock(clock);
                canvas->setDepth(canvasDepth(mode, 3));
                canvas->resize(canvasSize.toSize());
                return canvas;
            };
            const PaintFigures figures = paintFigures(make, tree.root, runs);
            std::printf("| %s | %s | %.1f | %.1f | %.2f [%zu] |\n", rawValue(mode).data(), tree.name, figures.firstPaint,
                        figures.paint, figures.hover, figures.relayouts);
        }
    }

    std::printf("\nScrolling the long canvases over the 100,000-children root at %.0f x %.0f: median of 100 steps of\n"
                "120 points, each with its repaint (ms; goal 16)\n\n| canvas | scroll frame |\n|---|---|\n",
                canvasSize.width(), canvasSize.height());
    for (const auto mode : {AppState::CanvasMode::bars, AppState::CanvasMode::table, AppState::CanvasMode::folders}) {
        if (!only.empty() && rawValue(mode) != only) continue;
        std::unique_ptr<CanvasBase> canvas(makeCanvas(mode, parts, nullptr));
        canvas->resize(canvasSize.toSize());
        std::printf("| %s | %.2f |\n", rawValue(mode).data(),
                    scrollFrame(dynamic_cast<ScrollingCanvas&>(*canvas), trees[1].root));
    }

    std::printf("\nBubbles, one folder of N children (goal 150 ms for 5,000):\n\n| children | equal sizes | mixed sizes |"
                " one large among mixed |\n|---|---|---|---|\n");
    for (int n : {500, 5000}) {
        if (!only.empty() && only != "bubbles") break;
        const auto equal = generate.equal(n);
        const auto mixed = generate.flat(n);
        const double a = time(runs, [&] { return BubblesLayout::make(equal, canvasSize).circles.size(); });
        const double b = time(runs, [&] { return BubblesLayout::make(mixed, canvasSize).circles.size(); });
        // One child of 30 times the rest: the only one large enough to draw.
        auto oneLarge = mixed;
        oneLarge.children.front().bytes = 30 * mixed.bytes;
        oneLarge.bytes += 30 * mixed.bytes - mixed.children.front().bytes;
        const double c = time(runs, [&] { return BubblesLayout::make(oneLarge, canvasSize).circles.size(); });
        std::printf("| %d | %.2f ms | %.2f ms | %.2f ms |\n", n, a, b, c);
    }
    return 0;
}
