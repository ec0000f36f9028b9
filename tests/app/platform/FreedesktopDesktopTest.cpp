#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QTimer>

#include "app/platform/Desktop_linux.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

TEST(FreedesktopDesktopTest, CopiedTextReplacesTheClipboard) {
    FreedesktopDesktop desktop;
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    desktop.copyText("/home/me/a & b/<c>");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("/home/me/a & b/<c>"));
}

struct SeenDialog {
    QString title, accept, directory;
    bool native = true;
    bool dirsOnly = false;
    std::vector<QAbstractItemView::SelectionMode> modes;
};

// Answers the next modal folder dialog: notes how it looks, then picks `pick` or cancels.
void answerNextDialog(SeenDialog& seen, const std::optional<QString>& pick) {
    QTimer::singleShot(0, [&seen, pick] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen.title = dialog->windowTitle();
        seen.accept = dialog->labelText(QFileDialog::Accept);
        seen.directory = dialog->directory().absolutePath();
        seen.native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        seen.dirsOnly = dialog->fileMode() == QFileDialog::Directory;
        for (const auto* name : {"listView", "treeView"})
            if (auto* view = dialog->findChild<QAbstractItemView*>(QLatin1String(name)))
                seen.modes.push_back(view->selectionMode());
        if (!pick) {
            dialog->reject();
            return;
        }
        dialog->selectFile(*pick);
        static_cast<QDialog*>(dialog)->accept();
    });
}

TEST(FreedesktopDesktopTest, FolderPickerAsksWithTheGivenWordsAndAllowsSeveralFolders) {
    testing::TempTree tree;
    const std::string start = tree.folder("start");
    const std::string chosen = tree.folder("start/Projects");
    FreedesktopDesktop desktop;

    SeenDialog seen;
    answerNextDialog(seen, QString::fromStdString(chosen));
    const auto folders =
        desktop.chooseFolders({start, "Add", "Choose a folder Korvane should search for projects.", true});
    EXPECT_EQ(folders, std::vector<std::string>{chosen});
    EXPECT_EQ(seen.title, QStringLiteral("Choose a folder Korvane should search for projects."));
    EXPECT_EQ(seen.accept, QStringLiteral("Add"));
    EXPECT_EQ(seen.directory, QString::fromStdString(start));
    EXPECT_FALSE(seen.native);
    EXPECT_TRUE(seen.dirsOnly);
    EXPECT_EQ(seen.modes,
              (std::vector{QAbstractItemView::ExtendedSelection, QAbstractItemView::ExtendedSelection}));
}

TEST(FreedesktopDesktopTest, SingleFolderPickerKeepsSingleSelectionAndCancelGivesNothing) {
    testing::TempTree tree;
    const std::string start = tree.folder("start");
    FreedesktopDesktop desktop;

    SeenDialog seen;
    answerNextDialog(seen, std::nullopt);
    EXPECT_TRUE(desktop.chooseFolders({start, "Scan", "Choose a folder to scan.", false}).empty());
    EXPECT_EQ(seen.accept, QStringLiteral("Scan"));
    EXPECT_EQ(seen.modes,
              (std::vector{QAbstractItemView::SingleSelection, QAbstractItemView::SingleSelection}));
}

}  // namespace
}  // namespace korvane
