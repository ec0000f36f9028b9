#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <filesystem>

#include "app/kit/KitButton.h"
#include "app/kit/NameLines.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/ShownToolTip.h"
#include "app/theme/AppFont.h"
#include "app/screens/InspectorSections.h"
#include "app/screens/InspectorView.h"
#include "app/state/PlatformWords.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class InspectorViewTest : public testing::FlowFixture {
protected:
    InspectorViewTest() { AppMotion::setJumpToEnd(true); }
    ~InspectorViewTest() override { AppMotion::setJumpToEnd(false); }

    static KitButton* button(const QWidget& view, const QString& title) {
        for (KitButton* found : view.findChildren<KitButton*>())
            if (found->title() == title) return found;
        return nullptr;
    }
    static QStringList texts(const QWidget& view) {
        QStringList shown;
        for (const QLabel* label : view.findChildren<QLabel*>()) shown << label->text();
        return shown;
    }
};

TEST_F(InspectorViewTest, AChildRowShowsTheChildWhileTheCanvasKeepsItsFocus) {
    launch({"--screen", "explore", "--mode", "developer"});
    const StorageNode category = state().developer().tree().children.front();
    state().navigation().select(category);
    InspectorView view(state().preferences(), state().navigation(), state().developer(), state().folderScan(),
                       state().desktop(), state().clock());
    view.resize(296, 900);
    view.show();
    ASSERT_TRUE(view.content());
    EXPECT_TRUE(texts(view).contains("Toolchain"));
    EXPECT_TRUE(texts(view).contains("LARGEST INSIDE"));
    const auto rows = view.findChildren<LargestInsideRowView*>();
    ASSERT_EQ(static_cast<std::size_t>(rows.size()), category.children.size());
    const std::string child = rows.back()->nodeID();
    QTest::mouseClick(rows.back(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(state().navigation().selectedID(), child);
    EXPECT_EQ(state().navigation().focusedID(), category.id);
    EXPECT_EQ(view.content()->nodeID, child);
}

TEST_F(InspectorViewTest, TheCleanupButtonTogglesTheNodesCandidates) {
    launch({"--screen", "explore", "--mode", "developer"});
    const StorageNode item = *state().developer().tree().children.front().leaves().front();
    state().developer().setSelection({});
    state().navigation().setSelectedID(item.id);
    InspectorView view(state().preferences(), state().navigation(), state().developer(), state().folderScan(),
                       state().desktop(), state().clock());
    view.show();
    KitButton* cleanup = view.cleanupButton();
    EXPECT_EQ(cleanup->title(), "Add to cleanup");
    EXPECT_TRUE(cleanup->isEnabled());
    cleanup->click();
    EXPECT_EQ(state().developer().selection(), (std::set<UUID>{*item.candidateID}));
    EXPECT_EQ(cleanup->title(), "Remove from cleanup");
    EXPECT_TRUE(button(view, "Reveal")->isEnabled());
    EXPECT_FALSE(button(view, "Focus")->isEnabled());
    button(view, QString::fromStdString(platformWords::showIn("")))->click();
    EXPECT_EQ(desktop_.revealed, (std::vector<std::vector<std::string>>{{*item.path}}));
    EXPECT_EQ(button(view, "Never touch this")->toolTip(), "Keep this out of every future scan");
}

TEST_F(InspectorViewTest, ANewFactAboutTheSameNodeKeepsTheScrolledPlace) {
    launch({"--screen", "explore", "--mode", "developer"});
    InspectorView view(state().preferences(), state().navigation(), state().developer(), state().folderScan(),
                       state().desktop(), state().clock());
    view.resize(296, 300);
    view.show();
    auto* scroll = view.findChild<QScrollArea*>();
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_TRUE(testing::waitUntil([&] { return bar->maximum() > 0; }));
    bar->setValue(bar->maximum());
    const int place = bar->value();
    const QWidget* before = scroll->widget();
    // "Scanned" now reads two hours ago: the column is built again.
    clock_.moment += std::chrono::hours(2);
    state().navigation().setSearchText({});
    ASSERT_NE(scroll->widget(), before);
    settle(0.1);
    EXPECT_EQ(bar->value(), place);
}

// A command with no spaces wraps inside the column, whole and selectable.
TEST_F(InspectorViewTest, ALongRestoreCommandWrapsWithinTheColumn) {
    const std::string command = "sdkmanager \"system-images;android-34;google_apis_playstore;x86_64\"";
    QWidget column;
    auto* layout = new QVBoxLayout(&column);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(makeReasonSection({SafetyLevel::safe, "An emulator image.", command},
                                        Palette::forTheme(ThemeID::paper)));
    layout->addStretch(1);
    column.resize(296, 600);
    column.show();
    QCoreApplication::processEvents();
    auto* hint = column.findChild<QTextEdit*>();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->toPlainText().toStdString(), command);
    EXPECT_TRUE(hint->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    const QRect placed(hint->mapTo(&column, QPoint(0, 0)), hint->size());
    EXPECT_LE(placed.right(), column.width() - 14) << "runs past the column";
    // Everything it holds shows: two lines or more, none cut below.
    const int lineHeight = QFontMetrics(hint->font()).lineSpacing();
    EXPECT_GE(hint->height(), 2 * lineHeight);
    EXPECT_GE(hint->height(), static_cast<int>(hint->document()->size().height()));
}

// The path line can be selected; a copy of all of it is the whole path,
// also where its middle is cut to fit two lines.
TEST_F(InspectorViewTest, ThePathLineIsSelectableAndCopiesTheWholePath) {
    NameLines line(QStringLiteral("~/Library/Developer/Xcode/DerivedData/SomeRatherLongProjectName-abcdefghijklmnop/"
                                  "Build/Intermediates.noindex/SomeTarget.build/Debug-iphonesimulator"),
                   2);
    line.setFont(AppFont::mono());
    line.setSelectable(true);
    line.resize(268, line.heightForWidth(268));
    line.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(line.textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    const QStringList shown = line.shownLines(line.width());
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(line.text(), shown.join(QLatin1Char('\n'))) << "draws what fits";
    line.setSelection(0, static_cast<int>(line.text().size()));
    EXPECT_EQ(line.copiedText(), line.wholeText());
    line.setSelection(0, static_cast<int>(shown.front().size()) + 3);
    EXPECT_EQ(line.copiedText(), shown.front() + shown.back().left(2));
}

TEST_F(InspectorViewTest, WithNothingToShowOnlyTheEmptyState) {
    launch({"--screen", "explore", "--mode", "developer"});
    state().navigation().setSelectedID(std::nullopt);
    state().navigation().setFocusedID(std::nullopt);
    InspectorView view(state().preferences(), state().navigation(), state().developer(), state().folderScan(),
                       state().desktop(), state().clock());
    view.show();
    EXPECT_FALSE(view.content());
    EXPECT_TRUE(texts(view).contains("Nothing selected"));
    EXPECT_FALSE(view.cleanupButton()->isVisibleTo(&view));
    state().preferences().setMode(AppState::Mode::general);
    EXPECT_TRUE(texts(view).contains("Pick a tile to see what it is, how big it is, and what is inside it."));
}

// Files of 250 characters, one with hyphens to break at and one without,
// in a folder scan, in a proportional and a monospaced theme: the inspector stays in its column, the name
// takes at most three lines and keeps its whole text for the tooltip and screen readers, and every button
// shows its whole title.
TEST_F(InspectorViewTest, ALongNameStaysInTheColumnAndTheButtonsKeepTheirTitles) {
    std::string hyphens;
    while (hyphens.size() < 246) hyphens += "a-very-long-file-name-";
    const std::string names[] = {hyphens.substr(0, 246) + ".txt", std::string(246, 'x') + ".txt"};
    const std::string folder = at("Downloads");
    std::filesystem::create_directories(folder);
    for (const std::string& name : names) {
        const int fd = ::open((folder + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::posix_fallocate(fd, 0, 5 << 20), 0);
        ::close(fd);
    }
    launch({"--mode", "general"});
    state().folderScan().scanFolder(home_);
    ASSERT_TRUE(testing::waitUntil([&] { return state().folderScan().generalResult().has_value(); }, 20));

    for (const auto& [name, theme] :
         {std::pair{names[0], ThemeID::paper}, std::pair{names[1], ThemeID::terminal}}) {
        state().navigation().setSelectedID(folder + "/" + name);
        QWidget host;
        setEnvironmentPalette(&host, theme);
        auto* column = new QVBoxLayout(&host);
        column->setContentsMargins(0, 0, 0, 0);
        auto* view = new InspectorView(state().preferences(), state().navigation(), state().developer(),
                                       state().folderScan(), state().desktop(), state().clock());
        view->setFixedWidth(296);
        column->addWidget(view);
        host.resize(296, 760);
        host.show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(view->content());
        ASSERT_EQ(view->content()->name, name);

        const auto* scroll = view->findChild<QScrollArea*>();
        EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());
        for (const QWidget* child : scroll->widget()->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(&host)) continue;
            const QRect inColumn(child->mapTo(scroll->widget(), QPoint(0, 0)), child->size());
            EXPECT_LE(inColumn.right(), scroll->viewport()->width() - 14) << child->metaObject()->className();
        }
        for (const KitButton* button : host.findChildren<KitButton*>()) {
            if (!button->isVisibleTo(&host)) continue;
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->title().toStdString();
        }
        const NameLines* nameLine = nullptr;
        for (const NameLines* lines : scroll->widget()->findChildren<NameLines*>())
            if (lines->accessibleName() == QString::fromStdString(name)) nameLine = lines;
        if (!nameLine) {
            ADD_FAILURE() << "no line names " << name;
            continue;
        }
        EXPECT_EQ(shownToolTip(*nameLine), QString::fromStdString(name));
        const QStringList shown = nameLine->shownLines(nameLine->width());
        EXPECT_EQ(shown.size(), 3);
        EXPECT_TRUE(shown.back().endsWith(".txt")) << shown.back().toStdString();
        EXPECT_GE(nameLine->height(), nameLine->heightForWidth(nameLine->width()));
    }
}

}  // namespace
}  // namespace korvane
