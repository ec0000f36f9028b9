#include <gtest/gtest.h>

#include "app/canvases/layout/TableLayout.h"
#include "core/explorer/FileTreeScanner.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

// r ─ a ─ a1 ─ a1x ─ a1x0
//   │    └ zero (0 bytes)
//   └ b (leaf)
StorageNode outlineTree() {
    return folder("r", {folder("a", {folder("a1", {folder("a1x", {leaf("a1x0", 1)})}), leaf("zero", 0)}),
                        leaf("b", 3)});
}

}  // namespace

TEST(TableLayout, OutlineRowsFollowTheOpenedRowsAtEveryDepth) {
    const auto root = outlineTree();
    struct Case {
        std::set<std::string> expanded;
        const char* rows;
    };
    const Case cases[] = {
        {{}, "a> b "},
        {{"a"}, "av .a1> .zero b "},
        {{"a1"}, "a> b "},  // a closed parent hides its opened child
        // A row that shows an open chevron lists what it holds, however deep.
        {{"a", "a1", "a1x"}, "av .a1v ..a1xv ...a1x0 .zero b "},
        {{"a", "a1"}, "av .a1v ..a1x> .zero b "},
        {{"b", "zero"}, "a> b "},
    };
    for (const auto& c : cases) {
        const auto layout = TableLayout::make(root, c.expanded);
        std::string text;
        for (const auto& row : layout.rows) {
            text += std::string(static_cast<std::size_t>(row.depth), '.') + row.node->id;
            if (row.hasChevron) text += row.isExpanded ? "v" : ">";
            text += " ";
            EXPECT_DOUBLE_EQ(row.indent(), 16 * row.depth);
        }
        EXPECT_EQ(text, c.rows);
    }
    // A folder's remainder opens too: what it sums is read when it is opened.
    auto withRest = folder("f", {leaf("f/file", 2), leaf(FileTreeScanner::remainderID("f"), 5)});
    const auto rows = TableLayout::make(withRest, {}).rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].hasChevron);
    EXPECT_TRUE(rows[1].hasChevron);

    // Only a tree that carries safety tags gives their column its room,
    // opened or not, so the columns stand still as rows open.
    EXPECT_FALSE(TableLayout::make(root, {"a"}).showsSafety);
    auto tagged = outlineTree();
    tagged.children[0].children[0].children[0].safety = SafetyLevel::caution;
    EXPECT_TRUE(TableLayout::make(tagged, {}).showsSafety);

    const auto bare = leaf("x", 4);
    EXPECT_TRUE(TableLayout::make(bare, {"x"}).rows.empty());

    std::set<std::string> expanded;
    TableLayout::toggle(root.children[1], expanded);  // a leaf does not open
    EXPECT_TRUE(expanded.empty());
    TableLayout::toggle(root.children[0], expanded);
    EXPECT_EQ(expanded, std::set<std::string>{"a"});
    TableLayout::toggle(root.children[0], expanded);
    EXPECT_TRUE(expanded.empty());
}

TEST(TableLayout, RowsForVirtualScrolling) {
    const auto root = sizedFolder("r", std::vector<std::int64_t>(1000, 1));
    const auto layout = TableLayout::make(root, {});
    EXPECT_DOUBLE_EQ(layout.contentHeight(), 28000);
    EXPECT_EQ(layout.rowAt(-1), std::nullopt);
    EXPECT_EQ(layout.rowAt(27.9), 0u);
    EXPECT_EQ(layout.rowAt(28), 1u);
    EXPECT_EQ(layout.rowAt(28000), std::nullopt);
    EXPECT_EQ(layout.visibleRows(280, 100), (std::pair<std::size_t, std::size_t>{10, 14}));
    EXPECT_EQ(layout.visibleRows(27990, 100), (std::pair<std::size_t, std::size_t>{999, 1000}));
}
