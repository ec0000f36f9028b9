#include <gtest/gtest.h>

#include "app/presenters/LabelFit.h"
#include "app/presenters/SummaryNode.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

// One unit a character (a letter with its accent is two), the ellipsis too.
const TextWidth byCharacters = [](const QString& text) { return static_cast<double>(text.size()); };

QString utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

// Whole, or cut at the end with at least four characters kept, or nothing:
// never "and…-34" or "Ap…ns", never half of an accented letter.
TEST(LabelFit, ALabelIsWholeOrCutAtItsEndOrNotThere) {
    struct Case {
        const char* text;
        double width;
        const char* shown;
    };
    // clang-format off
    for (const auto& c : {Case{"android-34", 10, "android-34"}, Case{"android-34", 7, "androi\u2026"},
                          Case{"android-34", 5, "andr\u2026"}, Case{"android-34", 4, ""},
                          Case{"Applications", 5, "Appl\u2026"}, Case{"lib", 3, "lib"}, Case{"lib", 2, ""},
                          Case{"ab cdefgh", 5, ""}, Case{"abcd efgh", 6, "abcd\u2026"},
                          Case{"Cafe\u0301 notes", 6, "Cafe\u0301\u2026"}, Case{"Cafe\u0301 notes", 5, ""},
                          Case{"name", 0, ""}, Case{"", 10, ""},
                          Case{"21 smaller items", 15, "21 smaller"}, Case{"21 smaller items", 9, "21"},
                          Case{"1,204 smaller items", 4, ""}, Case{"2024 report.pdf", 9, "2024 rep\u2026"}}) {
        // clang-format on
        EXPECT_EQ(fittedLabel(utf8(c.text), c.width, byCharacters), utf8(c.shown))
            << c.text << " in " << c.width;
    }
}

// A count keeps its place: the name before it gives way first.
TEST(LabelFit, PartsKeepTheirLastWhileTheOthersGiveWay) {
    struct Case {
        QStringList parts;
        double width;
        const char* shown;
    };
    const QStringList two{QStringLiteral("Toolchains"), QStringLiteral("16 items")};
    const QStringList three{QStringLiteral("Go"), QStringLiteral("cache"), QStringLiteral("3 items")};
    // clang-format off
    for (const auto& c : {Case{two, 21, "Toolchains \u00b7 16 items"}, Case{two, 20, "Toolchai\u2026 \u00b7 16 items"},
                          Case{two, 16, "Tool\u2026 \u00b7 16 items"}, Case{two, 15, "16 items"},
                          Case{two, 7, "16"}, Case{two, 1, ""},
                          Case{three, 20, "Go \u00b7 cache \u00b7 3 items"}, Case{three, 19, "Go \u00b7 3 items"},
                          Case{three, 11, "3 items"}, Case{{QStringLiteral("Android")}, 5, "Andr\u2026"},
                          Case{{}, 5, ""}}) {
        // clang-format on
        EXPECT_EQ(fittedParts(c.parts, QStringLiteral(" \u00b7 "), c.width, byCharacters), utf8(c.shown))
            << c.parts.join(QLatin1Char('|')).toStdString() << " in " << c.width;
    }
}

// Lines break only between a path's folders or a name's words; what is
// left for the last line follows the rule above.
TEST(LabelFit, LinesBreakOnlyWhereANameBreaks) {
    struct Case {
        const char* text;
        double width;
        int maxLines;
        QStringList lines;
    };
    // clang-format off
    const Case cases[] = {
        {"/tmp/labels-home", 16, 2, {"/tmp/labels-home"}},
        {"/tmp/labels-home", 10, 2, {"/tmp/", "labels-ho\u2026"}},
        {"/tmp/labels-home", 10, 1, {"/tmp/labe\u2026"}},
        {"/a/verylongname", 5, 2, {"/a/", "very\u2026"}},
        {"/a/verylongname", 3, 2, {}},
        {"Summer 2021", 8, 2, {"Summer", "2021"}},
        {"system-images", 8, 2, {"system-", "images"}},
        {"abcdefghij", 5, 2, {"abcd\u2026"}},
        {"one two three four", 9, 2, {"one two", "three fo\u2026"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(fittedLines(utf8(c.text), c.width, c.maxLines, byCharacters), c.lines)
            << c.text << " in " << c.width;
    }
}

// The inspector's and the hover card's names: whole while the lines hold
// them, a piece wider than a line broken inside, else cut in the middle so
// that the start and the file name both show.
TEST(LabelFit, AWholeNameTakesItsLinesAndIsCutInTheMiddlePastThem) {
    EXPECT_EQ(middleCutLines(QStringLiteral("/tmp/labels-home/Downloads/report.pdf"), 20, 2, byCharacters),
              (QStringList{"/tmp/labels-home/", "Downloads/report.pdf"}));
    EXPECT_EQ(middleCutLines(QStringLiteral("abcdefghijkl"), 5, 3, byCharacters),
              (QStringList{"abcde", "fghij", "kl"}));
    const QString name = QString(30, QLatin1Char('x')) + QStringLiteral("-end.txt");
    const QStringList lines = middleCutLines(name, 10, 3, byCharacters);
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines) EXPECT_LE(line.size(), 10) << line.toStdString();
    const QString shown = lines.join(QString());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("xxxxxxxxxx"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("-end.txt"))) << shown.toStdString();
    EXPECT_EQ(shown.count(QChar(0x2026)), 1);
}

TEST(SummaryNode, SumsBytesKeepsTheNewestDateAndIsKnownByItsID) {
    using std::chrono::hours;
    const auto now = std::chrono::system_clock::time_point(hours(1'000'000));
    const auto a = datedLeaf("/d/a", 40, now - hours(5));
    const auto b = datedLeaf("/d/b", 2, now - hours(1));
    const auto c = leaf("/d/c", 0);
    const StorageNode* nodes[] = {&a, &b, &c};
    const StorageNode summary = summaryNode("/d", nodes);
    EXPECT_EQ(summary.name, "3 smaller items");
    EXPECT_EQ(summary.bytes, 42);
    EXPECT_EQ(summary.lastModified, now - hours(1));
    EXPECT_FALSE(summary.path);
    EXPECT_TRUE(isSummaryNode(summary));
    EXPECT_FALSE(isSummaryNode(a));

    const StorageNode* many[1234];
    for (auto& node : many) node = &a;
    const StorageNode big = summaryNode("/d", many);
    EXPECT_EQ(big.name, "1,234 smaller items");
    EXPECT_EQ(big.bytes, 1234 * 40);
    EXPECT_NE(big.id, "/d");
}
