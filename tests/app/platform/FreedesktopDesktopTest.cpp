#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/platform/Desktop_linux.h"
#include "core/system/Paths.h"
#include "tests/app/state/AppStateHarness.h"
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

// The detail view shows a folder's date of last change whole ("8 Dec …:13:37"
// was all a narrow column showed), beside the other columns in view.
TEST(FreedesktopDesktopTest, FolderPickerShowsTheWholeDateOfTheLastChange) {
    testing::TempTree tree;
    const std::string start = tree.folder("start");
    tree.folder("start/Projects");
    FreedesktopDesktop desktop;
    QString date;
    int dateWidth = 0, dateRight = 0, viewWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(details, nullptr);
        // The folder's rows arrive from the file system model's own thread.
        ASSERT_TRUE(QTest::qWaitFor([&] { return details->model()->rowCount(details->rootIndex()) > 0; }));
        const QModelIndex row = details->model()->index(0, 3, details->rootIndex());
        date = row.data().toString();
        dateWidth = details->header()->sectionSize(3) - details->fontMetrics().horizontalAdvance(date);
        dateRight = details->header()->sectionViewportPosition(3) + details->header()->sectionSize(3);
        viewWidth = details->viewport()->width();
        dialog->reject();
    });
    desktop.chooseFolders({start, "Add", "Choose a folder Korvane should search for projects.", true});
    ASSERT_FALSE(date.isEmpty());
    EXPECT_GE(dateWidth, 8) << date.toStdString();
    EXPECT_LE(dateRight, viewWidth);
}

// The rows of the dialog's list, by name.
QModelIndex shownRow(QAbstractItemView* list, const QString& name) {
    for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r) {
        const QModelIndex row = list->model()->index(r, 0, list->rootIndex());
        if (row.data().toString() == name) return row;
    }
    return {};
}

// Keys go where the desktop sends them: to an open popup (the name field's
// completion list), else to the widget with the focus.
void typeAsAUser(QWidget* field, const QString& text) {
    for (const QChar character : text) {
        QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : field;
        QTest::keyClick(target, character.toLatin1());
    }
}

TEST(FreedesktopDesktopTest, FolderPickerAddsExactlyWhatWasChosen) {
    testing::TempTree tree;
    const std::string start = tree.folder("start");
    tree.folder("start/alpha");
    tree.folder("start/beta");
    tree.folder("start/with \"quote\"");
    const std::string elsewhere = tree.folder("elsewhere");
    struct Case {
        const char* name;
        std::vector<QString> clicked;  // rows picked in the list, in order
        std::optional<QString> typed;  // typed over the field's text
        std::vector<std::string> chosen;
        // Folders on the typed path that the dialog's completion left
        // selected, as it does on an X display (offscreen it does not).
        std::vector<std::string> passedOnTheWay = {};
    };
    const QString root = QString::fromStdString(tree.root());
    const Case cases[] = {
        // The dialog's completion selects every folder a typed path passes
        // on the way ("/", "/tmp"); only the typed folder was chosen.
        {"a path typed over a picked row", {"alpha"}, root, {tree.root()}, {"/", Paths::parent(tree.root())}},
        {"a path typed with nothing picked", {}, root + "/elsewhere", {elsewhere}},
        {"a name typed", {"alpha"}, QStringLiteral("beta"), {start + "/beta"}},
        {"two rows picked", {"alpha", "beta"}, std::nullopt, {start + "/alpha", start + "/beta"}},
        {"a row whose name holds quotes", {"with \"quote\""}, std::nullopt, {start + "/with \"quote\""}},
        {"nothing picked or typed", {}, std::nullopt, {start}},
    };
    for (const auto& c : cases) {
        FreedesktopDesktop desktop;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            // A failed check leaves the dialog: it must not wait for a user forever.
            const auto leave = qScopeGuard([dialog] {
                if (dialog->isVisible()) dialog->reject();
            });
            auto* list = dialog->findChild<QAbstractItemView*>(QLatin1String("listView"));
            auto* field = dialog->findChild<QLineEdit*>(QLatin1String("fileNameEdit"));
            ASSERT_TRUE(list && field);
            ASSERT_TRUE(testing::waitUntil([&] { return shownRow(list, "beta").isValid(); }));
            if (!c.clicked.empty()) {
                // A click moves the keys to the list, and the dialog writes the picked names in the field.
                list->setFocus();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualRect(shownRow(list, c.clicked.front())).center());
                for (std::size_t i = 1; i < c.clicked.size(); ++i)
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                                      list->visualRect(shownRow(list, c.clicked[i])).center());
            }
            if (c.typed) {
                field->setFocus();
                field->selectAll();
                typeAsAUser(field, *c.typed);
            }
            if (auto* files = qobject_cast<QFileSystemModel*>(list->model()))
                for (const auto& passed : c.passedOnTheWay)
                    list->selectionModel()->select(files->index(QString::fromStdString(passed)),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
            static_cast<QDialog*>(dialog)->accept();  // "Add", checked as the dialog checks it
        });
        EXPECT_EQ(desktop.chooseFolders(
                      {start, "Add", "Choose a folder Korvane should search for projects.", true}),
                  c.chosen)
            << c.name;
    }
}

}  // namespace
}  // namespace korvane
