#include "app/platform/Desktop_linux.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <QGuiApplication>
#include <QLineEdit>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <set>

#include "app/platform/FileManagerName_linux.h"
#include "app/platform/VolumeName_linux.h"
#include "core/platform/Trash_linux.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

QUrl fileUrl(const std::string& path) {
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
}

// The names of the selected rows that the list shows: the dialog's own
// completion also selects rows elsewhere in the tree (every folder a typed
// path passes on the way), which the user never saw chosen.
QStringList shownSelection(const QFileDialog& dialog) {
    QStringList names;
    const auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (!list || !list->selectionModel()) return names;
    for (const QModelIndex& row : list->selectionModel()->selectedRows())
        if (row.parent() == list->rootIndex()) names << row.data().toString();
    return names;
}

// The field's text as the dialog writes it for these selected names.
QString writtenFor(const QStringList& names) {
    if (names.size() == 1) return names.front();
    QStringList quoted;
    for (const QString& name : names) quoted << QLatin1Char('"') + name + QLatin1Char('"');
    return quoted.join(QLatin1Char(' '));
}

// What the field names, read as the dialog reads it: several quoted names,
// or one name or path, "~" standing for the home folder; relative to the
// folder on show.
QStringList typedPaths(const QString& text, const QDir& here) {
    QStringList names;
    if (text.contains(QLatin1Char('"'))) {
        const QStringList tokens = text.split(QLatin1Char('"'));
        for (qsizetype i = 1; i < tokens.size(); i += 2) names << tokens[i];
    } else {
        names << text;
    }
    QStringList paths;
    for (QString name : names) {
        if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/")))
            name.replace(0, 1, QDir::homePath());
        paths << QDir::cleanPath(here.absoluteFilePath(name));
    }
    return paths;
}

}  // namespace

std::vector<std::string> FreedesktopDesktop::chosenFolders(const QFileDialog& dialog, bool multiple) {
    const QDir here = dialog.directory();
    const auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = field ? field->text().trimmed() : QString();
    const QStringList selected = shownSelection(dialog);
    QStringList paths;
    if (!selected.isEmpty() && (text.isEmpty() || text == writtenFor(selected))) {
        // Rows picked in the list: their own names, which may hold quotes.
        for (const QString& name : selected) paths << QDir::cleanPath(here.absoluteFilePath(name));
    } else if (text.isEmpty()) {
        // Nothing picked or typed: the folder on show.
        paths << QDir::cleanPath(here.absolutePath());
    } else {
        // Typed over whatever was selected: exactly what was typed.
        paths = typedPaths(text, here);
    }
    std::vector<std::string> chosen;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) continue;
        std::string encoded = QFile::encodeName(path).toStdString();
        if (std::find(chosen.begin(), chosen.end(), encoded) != chosen.end()) continue;
        chosen.push_back(std::move(encoded));
        if (!multiple) break;
    }
    return chosen;
}

namespace {

// Opens with the desktop's default handler; tells when none could be started.
void openWithHandler(const std::string& path, const Desktop::Unanswered& unanswered) {
    if (!QDesktopServices::openUrl(fileUrl(path)) && unanswered) unanswered();
}

// Without a file manager that answers on D-Bus, each item's folder is opened
// instead; unanswered once, however many folders found no handler.
void openParentFolders(const std::vector<std::string>& paths, const Desktop::Unanswered& unanswered) {
    std::set<std::string> parents;
    bool answered = true;
    for (const auto& path : paths)
        if (parents.insert(Paths::parent(path)).second)
            openWithHandler(Paths::parent(path), [&answered] { answered = false; });
    if (!answered && unanswered) unanswered();
}

}  // namespace

void FreedesktopDesktop::reveal(const std::vector<std::string>& paths, Unanswered unanswered) {
    if (paths.empty()) return;
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openParentFolders(paths, unanswered);
        return;
    }
    QStringList uris;
    for (const auto& path : paths) uris << fileUrl(path).toString(QUrl::FullyEncoded);
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    message << uris << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), nullptr);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [paths, unanswered = std::move(unanswered)](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) openParentFolders(paths, unanswered);
                         finished->deleteLater();
                     });
}

void FreedesktopDesktop::open(const std::string& path, Unanswered unanswered) { openWithHandler(path, unanswered); }

void FreedesktopDesktop::openTrash(Unanswered unanswered) {
    openWithHandler(Paths::join(FreedesktopTrash::defaultHomeTrash(), "files"), unanswered);
}

void FreedesktopDesktop::copyText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

namespace {

// Qt's dialog opens too narrow for its detail view: the date of the last
// change is cut ("8 Dec …:13:37"). Its column takes the widest date it may
// show, and the dialog the room for every column beside a readable name.
void fitDetailColumns(QFileDialog& dialog) {
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!details || !details->model()) return;
    QHeaderView* header = details->header();
    constexpr int dateColumn = 3;
    if (header->count() <= dateColumn) return;
    const QString widestDate =
        QLocale::system().toString(QDateTime(QDate(2026, 12, 28), QTime(23, 59, 59)), QLocale::ShortFormat);
    const QString title = details->model()->headerData(dateColumn, Qt::Horizontal).toString();
    const int margins = 2 * details->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 12;
    const int dateWidth = std::max(details->fontMetrics().horizontalAdvance(widestDate),
                                   header->fontMetrics().horizontalAdvance(title)) + margins;
    header->resizeSection(dateColumn, std::max(header->sectionSize(dateColumn), dateWidth));
    int columns = 0;
    for (int i = 1; i < header->count(); ++i) columns += header->isSectionHidden(i) ? 0 : header->sectionSize(i);
    // A name column of 260 beside them, and the places and the frame beside the list.
    constexpr int nameWidth = 260;
    constexpr int besideTheList = 200;
    QSize size = dialog.size().expandedTo(QSize(columns + nameWidth + besideTheList, 440));
    if (const QScreen* screen = dialog.screen()) size = size.boundedTo(screen->availableGeometry().size());
    dialog.resize(size);
}

}  // namespace

std::vector<std::string> FreedesktopDesktop::chooseFolders(const FolderRequest& request) {
    QFileDialog dialog(parent_, QString::fromStdString(request.message),
                       QFile::decodeName(QByteArray::fromStdString(request.directory)));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(request.prompt));
    // Qt's dialog lets a folder picker select one row; its list and detail
    // views take several once told so, and selectedFiles() then names them all.
    if (request.multiple)
        for (const auto* name : {"listView", "treeView"})
            if (auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name)))
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fitDetailColumns(dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    return chosenFolders(dialog, request.multiple);
}

std::string FreedesktopDesktop::fileManagerName() {
    if (!fileManagerName_)
        fileManagerName_ = FileManagerName::find(FileManagerName::Places::fromEnvironment(Paths::home())).value_or("");
    return *fileManagerName_;
}

std::string FreedesktopDesktop::volumeName(const std::string& folder) {
    if (auto known = volumeNames_.find(folder); known != volumeNames_.end()) return known->second;
    // The mount table names real places: a home reached through a link is looked up where it lies.
    std::error_code error;
    const auto real = std::filesystem::canonical(folder, error);
    const std::string name = VolumeName::of(error ? folder : real.string());
    volumeNames_.emplace(folder, name);
    return name;
}

}  // namespace korvane
