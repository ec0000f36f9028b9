#include "core/platform/Trash_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "core/system/DirectoryReader.h"
#include "core/system/FileContents.h"
#include "core/system/Paths.h"
#include "core/system/RealPath.h"
#include "core/system/TrashFolders.h"
#include "core/text/PercentEncoding.h"
#include "core/platform/MountPoints_linux.h"
#include "core/platform/ParentDirectory.h"
#include "core/platform/SafeRemover.h"
#include "core/platform/SystemError.h"

namespace korvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t kNameMax = 255;
constexpr std::size_t kMaxRecordBytes = 64 * 1024;
constexpr int kMaxNameAttempts = 10000;
const std::string kInfoSuffix = ".trashinfo";

const char* const kNoTrashOnVolume =
    "Korvane cannot use a Trash on the volume that holds this item, and does not copy items between volumes.";
const char* const kNoMountTable =
    "Korvane cannot read the list of mounted volumes, so it cannot make sure that none is inside this folder.";
const char* const kChangedWhileMoving =
    "This item changed while Korvane was moving it to the Trash, so Korvane left it where it was.";

std::string movedSomethingElse(const std::string& trashedPath) {
    return "Something took this item\u2019s place while Korvane was moving it to the Trash; what was moved is "
           "in the Trash at \u201C" +
           trashedPath + "\u201D.";
}

bool isSameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT);
}

Trash::Result failure(int error, std::string message = {}) {
    Trash::Result result;
    result.status = Trash::Status::failed;
    result.error = error;
    result.message = std::move(message);
    return result;
}

// The Trash itself cannot be used: the message names it, so that a bare
// "Not a directory" is not read as being about the item.
Trash::Result unusableTrash(int error, const std::string& trashFolder) {
    std::string reason = error == ENOTDIR || error == ELOOP ? "something on its path is not a folder"
                                                            : systemErrorText(error);
    if (!reason.empty()) reason.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(reason.front())));
    return failure(error, "Korvane cannot use the Trash at \u201C" + trashFolder + "\u201D: " + reason +
                              ", so the item stays where it is.");
}

Trash::Result withStatus(Trash::Status status) {
    Trash::Result result;
    result.status = status;
    return result;
}

std::string topTrashName() { return ".Trash-" + std::to_string(geteuid()); }

// Opens a configured folder the way the user set it up (links followed, as
// for the home folder itself), making missing folders with `mode`. Only
// passed through (O_PATH): the folders above need search permission alone.
UniqueFd openConfiguredFolder(const std::string& path, bool create, mode_t mode, int& error) {
    constexpr int passFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    error = 0;
    if (!ParentDirectory::isStandardAbsolute(path)) {
        error = EINVAL;
        return UniqueFd();
    }
    UniqueFd current(::open("/", passFlags));
    if (!current.valid()) {
        error = errno;
        return UniqueFd();
    }
    for (const std::string& name : ParentDirectory::components(path)) {
        int next = openat(current.get(), name.c_str(), passFlags);
        if (next < 0 && errno == ENOENT && create) {
            if (mkdirat(current.get(), name.c_str(), mode) != 0 && errno != EEXIST) {
                error = errno;
                return UniqueFd();
            }
            next = openat(current.get(), name.c_str(), passFlags);
        }
        if (next < 0) {
            error = errno;
            return UniqueFd();
        }
        current.reset(next);
    }
    return current;
}

// Opens (or makes, mode 0700) a folder inside a trash folder; never a link.
UniqueFd openInside(int folder, const char* name, bool create, int& error) {
    int fd = openat(folder, name, kFolderFlags);
    if (fd < 0 && errno == ENOENT && create) {
        if (mkdirat(folder, name, 0700) != 0 && errno != EEXIST) {
            error = errno;
            return UniqueFd();
        }
        fd = openat(folder, name, kFolderFlags);
    }
    if (fd < 0) error = errno == ENOTDIR ? ELOOP : errno;
    return UniqueFd(fd);
}

struct PlainStat {
    bool ok = false;
    dev_t dev = 0;
};

PlainStat look(const std::string& path) {
    PlainStat out;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return out;
    out.ok = true;
    out.dev = st.st_dev;
    return out;
}

// A Trash folder that may not be written to refuses every item; it is named,
// so that the refusal is not read as being about the item.
std::optional<Trash::Result> refusingFolder(int folder, const std::string& path) {
    if (faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0) return std::nullopt;
    if (errno != EACCES && errno != EPERM) return std::nullopt;
    return unusableTrash(errno, path);
}

bool isTopFolder(const std::string& folder) { return TrashFolders::isVolumeTop(folder); }

// Walks up from `folder` (on device `dev`) to the top of its file system.
std::optional<std::string> topFolderOf(std::string folder, dev_t dev) {
    PlainStat self = look(folder);
    if (!self.ok || self.dev != dev) return std::nullopt;
    while (!isTopFolder(folder)) folder = Paths::parent(folder);
    return folder;
}

// files/NAME for the n-th try, short enough that NAME.trashinfo is a valid name.
std::string trashName(const std::string& base, int attempt) {
    std::string suffix = attempt == 1 ? std::string() : "." + std::to_string(attempt);
    std::size_t room = kNameMax - kInfoSuffix.size() - suffix.size();
    if (base.size() <= room) return base + suffix;
    std::size_t cut = room;
    // Never cut a UTF-8 sequence in half (at most three bytes follow its lead
    // byte); a name that is not UTF-8 there is cut where it has to be.
    auto continues = [&base](std::size_t at) {
        return (static_cast<unsigned char>(base[at]) & 0xC0) == 0x80;
    };
    while (cut > 0 && room - cut < 3 && continues(cut)) --cut;
    if (continues(cut)) cut = room;
    return base.substr(0, cut) + suffix;
}

std::optional<std::string> readRecord(int infoFolder, const std::string& name) {
    return FileContents::readSmallAt(infoFolder, (name + kInfoSuffix).c_str(),
                                     static_cast<std::int64_t>(kMaxRecordBytes), FileContents::Links::refuse);
}

bool isUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

FreedesktopTrash::FreedesktopTrash() : FreedesktopTrash(defaultHomeTrash(), Paths::home()) {}

FreedesktopTrash::FreedesktopTrash(std::string homeTrash, std::string anchor)
    : homeTrash_(Paths::standardise(homeTrash).value_or(std::string())),
      anchor_(Paths::standardise(anchor).value_or(std::string())) {}

std::string FreedesktopTrash::defaultHomeTrash() { return TrashFolders::defaultHomeTrash(); }

std::string FreedesktopTrash::encodePath(const std::string& path) {
    return PercentEncoding::encode(path, isUnreserved);
}

std::optional<std::string> FreedesktopTrash::decodePath(const std::string& text) {
    return PercentEncoding::decode(text);
}

std::string FreedesktopTrash::deletionDate(std::chrono::system_clock::time_point when) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::optional<std::string> FreedesktopTrash::recordedPath(const std::string& trashInfo) {
    bool inGroup = false;
    std::size_t start = 0;
    while (start < trashInfo.size()) {
        std::size_t end = trashInfo.find('\n', start);
        if (end == std::string::npos) end = trashInfo.size();
        std::string line = trashInfo.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (inGroup && line.rfind("Path=", 0) == 0) return decodePath(line.substr(5));
    }
    return std::nullopt;
}

std::optional<FreedesktopTrash::Location> FreedesktopTrash::locate(const std::string& trashedPath) const {
    auto standard = Paths::standardise(trashedPath);
    if (!standard || !ParentDirectory::isStandardAbsolute(*standard) || *standard == "/") return std::nullopt;
    std::string files = Paths::parent(*standard);
    if (Paths::lastComponent(files) != "files") return std::nullopt;
    Location location;
    location.name = Paths::lastComponent(*standard);
    location.trashFolder = Paths::parent(files);
    if (!homeTrash_.empty() && location.trashFolder == homeTrash_) return location;
    if (Paths::lastComponent(location.trashFolder) != topTrashName()) return std::nullopt;
    location.topFolder = Paths::parent(location.trashFolder);
    if (!isTopFolder(location.topFolder)) return std::nullopt;
    return location;
}

FreedesktopTrash::Opened FreedesktopTrash::open(const Location& location, bool create) const {
    Opened opened;
    UniqueFd trash;
    if (location.topFolder.empty()) {
        trash = openConfiguredFolder(location.trashFolder, create, 0700, opened.error);
    } else {
        UniqueFd top = ParentDirectory::openFolder(location.topFolder, anchor_, false, 0, opened.error);
        if (!top.valid()) return opened;
        trash = openInside(top.get(), topTrashName().c_str(), create, opened.error);
        if (trash.valid()) {
            // A trash folder at the top of a shared volume must be the user's own.
            struct stat st {};
            if (fstat(trash.get(), &st) != 0 || st.st_uid != geteuid()) {
                opened.error = EPERM;
                return opened;
            }
        }
    }
    if (!trash.valid()) return opened;
    opened.files = openInside(trash.get(), "files", create, opened.error);
    if (!opened.files.valid()) return opened;
    opened.info = openInside(trash.get(), "info", create, opened.error);
    if (!opened.info.valid()) opened.files.reset();
    return opened;
}

bool FreedesktopTrash::verify(const Opened& opened, const Location& location,
                              const std::string& originalPath) const {
    struct stat st {};
    if (fstatat(opened.files.get(), location.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    return recordNames(opened, location, originalPath);
}

bool FreedesktopTrash::recordNames(const Opened& opened, const Location& location,
                                   const std::string& originalPath) const {
    auto record = readRecord(opened.info.get(), location.name);
    if (!record) return false;
    auto recorded = recordedPath(*record);
    if (!recorded || recorded->empty()) return false;
    std::string absolute = *recorded;
    if (absolute[0] != '/') {
        if (location.topFolder.empty()) return false;
        absolute = Paths::join(location.topFolder, absolute);
    }
    auto standardRecorded = Paths::standardise(absolute);
    auto standardOriginal = Paths::standardise(originalPath);
    return standardRecorded && standardOriginal && *standardRecorded == *standardOriginal;
}

namespace {

// A file system mounted inside a folder would travel into the Trash with the
// tree, where emptying it (by Korvane or any other tool) could wipe it.
std::optional<Trash::Result> mountInside(const std::string& path) {
    auto mounts = MountPoints::read();
    if (!mounts) return failure(EIO, kNoMountTable);
    if (auto inside = MountPoints::firstAtOrBelow(*mounts, {path, RealPath::resolved(path)}))
        return failure(EBUSY, SafeRemover::mountPointMessage(*inside));
    return std::nullopt;
}

// The .trashinfo text; a volume's own Trash records the path from the
// volume's top folder.
std::string trashInfo(const std::string& path, const std::string& topFolder) {
    std::string recorded = path;
    if (!topFolder.empty()) recorded = topFolder == "/" ? path.substr(1) : path.substr(topFolder.size() + 1);
    return "[Trash Info]\nPath=" + FreedesktopTrash::encodePath(recorded) +
           "\nDeletionDate=" + FreedesktopTrash::deletionDate(std::chrono::system_clock::now()) + "\n";
}

// An item on its way into a Trash: the folder it is in, what it was when
// looked at, and the Trash's files/ and info/ folders.
struct Move {
    const ParentDirectory& parent;
    const struct stat& item;
    int files;
    int info;
    const std::string& trashFolder;
};

// After the move, what arrived must be the entry that was looked at;
// anything else goes back where it came from.
Trash::Result checkArrived(const Move& move, const std::string& name, const std::string& infoName) {
    Trash::Result result = withStatus(Trash::Status::done);
    result.trashedPath = Paths::join(Paths::join(move.trashFolder, "files"), name);
    struct stat moved {};
    if (fstatat(move.files, name.c_str(), &moved, AT_SYMLINK_NOFOLLOW) == 0 && isSameEntry(moved, move.item))
        return result;
    if (renameat2(move.files, name.c_str(), move.parent.fd(), move.parent.leaf().c_str(), RENAME_NOREPLACE) !=
        0)
        return failure(errno, movedSomethingElse(result.trashedPath));
    unlinkat(move.info, infoName.c_str(), 0);
    return S_ISLNK(moved.st_mode) ? failure(ELOOP) : failure(EAGAIN, kChangedWhileMoving);
}

// Moves the item to `name` once its record is written; nothing when that
// name is taken in files/ (the record is taken back).
std::optional<Trash::Result> moveRecorded(const Move& move, const std::string& name,
                                          const std::string& infoName) {
    // Only the entry that was looked at goes: one swapped in meanwhile (a
    // link, another folder) is refused before the move, or moved back after.
    struct stat now {};
    if (fstatat(move.parent.fd(), move.parent.leaf().c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
        int error = errno;
        unlinkat(move.info, infoName.c_str(), 0);
        return failure(error);
    }
    if (!isSameEntry(now, move.item)) {
        unlinkat(move.info, infoName.c_str(), 0);
        return S_ISLNK(now.st_mode) ? failure(ELOOP) : failure(EAGAIN, kChangedWhileMoving);
    }
    if (renameat2(move.parent.fd(), move.parent.leaf().c_str(), move.files, name.c_str(), RENAME_NOREPLACE) ==
        0)
        return checkArrived(move, name, infoName);
    int error = errno;
    unlinkat(move.info, infoName.c_str(), 0);
    if (error == EEXIST) return std::nullopt;
    if (error == EXDEV) return failure(EXDEV, kNoTrashOnVolume);
    return failure(error);
}

// One try at `name`: its record first, made whole on disk, then the item.
// Nothing when the name is taken, so the next one is tried.
std::optional<Trash::Result> tryName(const Move& move, const std::string& name, const std::string& record) {
    std::string infoName = name + kInfoSuffix;
    UniqueFd info(
        openat(move.info, infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!info.valid()) {
        if (errno == EEXIST) return std::nullopt;
        return failure(errno);
    }
    if (!FileContents::writeAll(info.get(), record) || fsync(info.get()) != 0) {
        int error = errno;
        unlinkat(move.info, infoName.c_str(), 0);
        return failure(error);
    }
    info.reset();
    return moveRecorded(move, name, infoName);
}

}  // namespace

std::optional<Trash::Result> FreedesktopTrash::chooseTrash(const std::string& folderPath, dev_t device,
                                                           Location& location) const {
    int homeError = 0;
    UniqueFd home = openConfiguredFolder(homeTrash_, true, 0700, homeError);
    struct stat homeStat {};
    struct stat anchorStat {};
    if (home.valid() && fstat(home.get(), &homeStat) == 0 && homeStat.st_dev == device) {
        location.trashFolder = homeTrash_;
    } else if (!home.valid() && !anchor_.empty() && ::stat(anchor_.c_str(), &anchorStat) == 0 &&
               anchorStat.st_dev == device) {
        // The item belongs in the home trash, which cannot be used: say why
        // rather than put it somewhere the user would not look.
        return unusableTrash(homeError, homeTrash_);
    } else {
        auto top = topFolderOf(folderPath, device);
        if (!top) return failure(EXDEV, kNoTrashOnVolume);
        location.topFolder = *top;
        location.trashFolder = Paths::join(*top, topTrashName());
    }
    return std::nullopt;
}

Trash::Result FreedesktopTrash::moveToTrash(const std::string& path) {
    ParentDirectory parent = ParentDirectory::open(path, anchor_);
    if (!parent.ok()) return failure(parent.error());
    struct stat item {};
    if (fstatat(parent.fd(), parent.leaf().c_str(), &item, AT_SYMLINK_NOFOLLOW) != 0) return failure(errno);
    if (S_ISLNK(item.st_mode)) return failure(ELOOP);
    if (S_ISDIR(item.st_mode)) {
        if (auto refused = mountInside(path)) return *refused;
    }

    Location location;
    if (auto refused = chooseTrash(parent.folderPath(), item.st_dev, location)) return *refused;
    Opened opened = open(location, true);
    if (opened.error != 0) {
        if (location.topFolder.empty()) return unusableTrash(opened.error, location.trashFolder);
        if (opened.error == EROFS) return failure(opened.error);
        return failure(EXDEV, kNoTrashOnVolume);
    }
    struct stat filesStat {};
    if (fstat(opened.files.get(), &filesStat) != 0 || filesStat.st_dev != item.st_dev)
        return failure(EXDEV, kNoTrashOnVolume);
    for (const auto& [folder, name] : {std::pair{opened.files.get(), "files"}, std::pair{opened.info.get(), "info"}})
        if (auto refused = refusingFolder(folder, Paths::join(location.trashFolder, name))) return *refused;

    const std::string record = trashInfo(path, location.topFolder);
    const Move move{parent, item, opened.files.get(), opened.info.get(), location.trashFolder};
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        if (auto result = tryName(move, trashName(parent.leaf(), attempt), record)) return *result;
    }
    return failure(EEXIST);
}

bool FreedesktopTrash::isTrashLocation(const std::string& trashedPath) const {
    return locate(trashedPath).has_value();
}

bool FreedesktopTrash::holds(const std::string& trashedPath, const std::string& originalPath) const {
    auto location = locate(trashedPath);
    if (!location) return false;
    Opened opened = open(*location, false);
    return opened.error == 0 && verify(opened, *location, originalPath);
}

Trash::Result FreedesktopTrash::putBack(const std::string& trashedPath, const std::string& originalPath) {
    auto location = locate(trashedPath);
    if (!location) return withStatus(Status::notInTrash);
    Opened opened = open(*location, false);
    if (opened.error != 0 || !verify(opened, *location, originalPath)) return withStatus(Status::notInTrash);
    auto destination = Paths::standardise(originalPath);
    if (!destination) return failure(EINVAL);
    ParentDirectory parent = ParentDirectory::open(*destination, anchor_, true);
    if (!parent.ok()) return failure(parent.error());
    if (renameat2(opened.files.get(), location->name.c_str(), parent.fd(), parent.leaf().c_str(),
                  RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) return withStatus(Status::destinationExists);
        return failure(errno);
    }
    unlinkat(opened.info.get(), (location->name + kInfoSuffix).c_str(), 0);
    return withStatus(Status::done);
}

namespace {

// The DeletionDate= value of a record; empty when there is none.
std::string recordedDate(const std::string& trashInfo) {
    constexpr std::string_view key = "\nDeletionDate=";
    const std::size_t at = trashInfo.find(key);
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size();
    return trashInfo.substr(start, trashInfo.find('\n', start) - start);
}

}  // namespace

void FreedesktopTrash::eachRecordOf(const std::string& originalPath,
                                    std::chrono::system_clock::time_point since,
                                    const std::function<void(const Opened&, const Location&)>& visit) const {
    const auto path = Paths::standardise(originalPath);
    if (!path || path->size() < 2 || path->front() != '/') return;
    const std::string folder = Paths::parent(*path);
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0) return;
    Location location;
    if (chooseTrash(folder, folderStat.st_dev, location)) return;
    const Opened opened = open(location, false);
    if (opened.error != 0) return;
    // Dates in one fixed-width local form compare as text. The zone they were
    // written in may not be today's (summer time, a journey): a day earlier.
    const std::string earliest = deletionDate(since - std::chrono::hours(26));
    DirectoryReader listing(UniqueFd(::openat(opened.info.get(), ".", kFolderFlags)));
    DirectoryReader::Entry entry;
    while (listing.next(entry)) {
        const std::string_view name(entry.name, entry.length);
        if (!name.ends_with(kInfoSuffix) || name.size() == kInfoSuffix.size()) continue;
        location.name = std::string(name.substr(0, name.size() - kInfoSuffix.size()));
        const auto record = readRecord(opened.info.get(), location.name);
        if (!record) continue;
        // The date first: recordNames() reads the record again, which only the few of the run's time need.
        const std::string date = recordedDate(*record);
        if (date < earliest || !recordNames(opened, location, *path)) continue;
        visit(opened, location);
    }
}

std::optional<std::string> FreedesktopTrash::findMoved(const std::string& originalPath,
                                                       std::chrono::system_clock::time_point since,
                                                       std::uint64_t device, std::uint64_t inode) const {
    std::optional<std::string> found;
    eachRecordOf(originalPath, since, [&](const Opened& opened, const Location& location) {
        struct stat item {};
        if (fstatat(opened.files.get(), location.name.c_str(), &item, AT_SYMLINK_NOFOLLOW) == 0 &&
            static_cast<std::uint64_t>(item.st_dev) == device &&
            static_cast<std::uint64_t>(item.st_ino) == inode)
            found = Paths::join(Paths::join(location.trashFolder, "files"), location.name);
    });
    return found;
}

void FreedesktopTrash::forgetUnmoved(const std::string& originalPath,
                                     std::chrono::system_clock::time_point since) const {
    struct stat item {};
    if (::lstat(originalPath.c_str(), &item) != 0) return;
    eachRecordOf(originalPath, since, [](const Opened& opened, const Location& location) {
        struct stat moved {};
        if (fstatat(opened.files.get(), location.name.c_str(), &moved, AT_SYMLINK_NOFOLLOW) != 0 &&
            errno == ENOENT)
            unlinkat(opened.info.get(), (location.name + kInfoSuffix).c_str(), 0);
    });
}

Trash::Result FreedesktopTrash::purge(const std::string& trashedPath, const std::string& originalPath,
                                     const Flag* stop) {
    auto location = locate(trashedPath);
    if (!location) return withStatus(Status::notInTrash);
    Opened opened = open(*location, false);
    if (opened.error != 0 || !verify(opened, *location, originalPath)) return withStatus(Status::notInTrash);
    SafeRemover::Result removal =
        SafeRemover::removeAt(opened.files.get(), location->name, trashedPath, SafeRemover::LeafLink::removeAsLink,
                              SafeRemover::ReadOnlyFolders::unlock, SafeRemover::Watch{stop, {}});
    if (!removal.removed()) {
        Result kept = !removal.mountPoints.empty() ? failure(EBUSY, SafeRemover::mountPointMessage(removal))
                                                   : failure(removal.cancelled ? ECANCELED : removal.error);
        kept.removedBytes = removal.removedBytes;
        return kept;
    }
    unlinkat(opened.info.get(), (location->name + kInfoSuffix).c_str(), 0);
    return withStatus(Status::done);
}

}  // namespace korvane
