#include "core/safety/HistoryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <nlohmann/json.hpp>
#include <tuple>
#include <utility>

#include "core/system/DirectoryReader.h"
#include "core/system/FileContents.h"
#include "core/text/Json.h"
#include "core/system/Paths.h"
#include "core/model/SizeSum.h"
#include "core/model/UUID.h"

namespace korvane {

namespace {

using Clock = std::chrono::system_clock;

// Every call of every store in this process runs under this lock, one at a
// time; the lock file below does the same for other processes.
std::mutex& callLock() {
    static std::mutex lock;
    return lock;
}

// ---- reading ------------------------------------------------------------

// `unknown`: the process ran short of descriptors or memory, so nothing is
// known about the file and it must be left exactly as it is.
enum class FileState { missing, unreadable, present, unknown };

struct Existing {
    FileState state = FileState::missing;
    std::string text;
};

// History itself nests a handful of levels deep.
constexpr int maxNesting = 32;

Existing readAll(int fd, const struct stat& info) {
    Existing result;
    if (!S_ISREG(info.st_mode) || info.st_size > HistoryStore::maxFileBytes) {
        result.state = FileState::unreadable;
        return result;
    }
    result.text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            result.state = FileState::unreadable;
            result.text.clear();
            return result;
        }
        if (n == 0) break;
        result.text.append(buffer, static_cast<std::size_t>(n));
        // Grown past the limit while we read it.
        if (static_cast<std::int64_t>(result.text.size()) > HistoryStore::maxFileBytes) {
            result.state = FileState::unreadable;
            result.text.clear();
            return result;
        }
    }
    result.state = FileState::present;
    return result;
}

Existing readExisting(UniqueFd file) {
    const int fd = file.get();
    if (fd < 0) {
        Existing result;
        // Only a file that is not there starts empty; anything else that
        // stops us reading it is kept for the user.
        if (errno == ENOENT)
            result.state = FileState::missing;
        else if (errno == EMFILE || errno == ENFILE || errno == ENOMEM)
            result.state = FileState::unknown;
        else
            result.state = FileState::unreadable;
        return result;
    }
    struct stat info {};
    Existing result;
    if (::fstat(fd, &info) == 0)
        result = readAll(fd, info);
    else
        result.state = FileState::unreadable;
    return result;
}

Existing readExistingAt(int dirFd, const char* name) {
    return readExisting(UniqueFd(::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK)));
}

Existing readExistingPath(const std::string& directory, const char* name) {
    return readExisting(UniqueFd(::open(Paths::join(directory, name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)));
}

// The decoded content, or nothing when the text is not JSON, nests too deep
// or does not have the type's shape (dates with fractional seconds are
// accepted).
template <class T>
std::optional<T> decode(const std::string& text) {
    if (!json::nestingWithin(text, maxNesting)) return std::nullopt;
    try {
        return nlohmann::json::parse(text).get<T>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

template <class T>
std::optional<T> load(const std::string& directory, const char* name) {
    std::lock_guard<std::mutex> guard(callLock());
    Existing existing = readExistingPath(directory, name);
    if (existing.state != FileState::present) return std::nullopt;
    return decode<T>(existing.text);
}

// ---- writing ------------------------------------------------------------

// The folder and an exclusive lock on its lock file, for one read-modify-write.
class WriterLock {
public:
    explicit WriterLock(const std::string& directory) {
        dirFd_.reset(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dirFd_.valid()) return;
        lockFd_.reset(::openat(dirFd_.get(), HistoryStore::lockFile, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!lockFd_.valid()) return;
        while (::flock(lockFd_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                lockFd_.reset();
                return;
            }
        }
    }
    // Closing the lock file releases the lock.
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    bool held() const { return lockFd_.valid(); }
    int dirFd() const { return dirFd_.get(); }

private:
    UniqueFd dirFd_;
    UniqueFd lockFd_;
};

std::string temporaryPrefix(const char* name) { return std::string(".") + name + ".tmp-"; }

// Temporary files left by a writer that died mid-write. Every writer holds the
// lock while its temporary file exists, so under the lock any such file is stale.
void removeLeftoverTemporaries(int dirFd, const char* name) {
    // A fresh descriptor of the folder, so the listing starts at its beginning.
    DirectoryReader listing(UniqueFd(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    std::string prefix = temporaryPrefix(name);
    std::vector<std::string> stale;
    DirectoryReader::Entry entry;
    while (listing.next(entry)) {
        std::string_view entryName = entry.name;
        if (entryName.starts_with(prefix)) stale.emplace_back(entryName);
    }
    for (const std::string& leftover : stale) ::unlinkat(dirFd, leftover.c_str(), 0);
}

std::string utcStamp(Clock::time_point now) {
    std::time_t seconds = Clock::to_time_t(now);
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

bool renameWithoutReplacing(int dirFd, const char* from, const std::string& to) {
    if (::renameat2(dirFd, from, dirFd, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: look first; the lock keeps
    // other writers of this store out in between.
    if (::faccessat(dirFd, to.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(dirFd, from, dirFd, to.c_str()) == 0;
}

// Keeps a file we could not read under a name of its own, so that writing a
// new one never destroys what the user had. The name it now has.
std::optional<std::string> moveAside(int dirFd, const char* name) {
    std::string base = std::string(name) + ".unreadable-" + utcStamp(Clock::now());
    for (int attempt = 1; attempt <= 100; ++attempt) {
        std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (renameWithoutReplacing(dirFd, name, target)) return target;
        if (errno != EEXIST && errno != ENOTEMPTY) return std::nullopt;
    }
    return std::nullopt;
}

// Temporary file in the same folder, fsync, rename over the old file, fsync
// the folder: a reader sees the old file or the new one, never a mixture, and
// the new one survives a power cut once this returns true.
bool writeAtomically(int dirFd, const char* name, const std::string& text) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
        temporary = temporaryPrefix(name) + UUID::random().text().substr(0, 8);
        fd = ::openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0600) == 0 && FileContents::writeAll(fd, text) && ::fsync(fd) == 0;
    // Closed by hand: a delayed write error may surface only in close().
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::renameat(dirFd, temporary.c_str(), dirFd, name) == 0;
    if (!ok) {
        ::unlinkat(dirFd, temporary.c_str(), 0);
        return false;
    }
    ::fsync(dirFd);
    return true;
}

// One read-modify-write of a file under the lock file. `change` gets the
// decoded content (nothing when the file is missing or unreadable) and
// returns what to store.
template <class T, class Change>
void rewrite(const std::string& directory, const char* name, Change change) {
    std::lock_guard<std::mutex> guard(callLock());
    WriterLock lock(directory);
    if (!lock.held()) return;

    Existing existing = readExistingAt(lock.dirFd(), name);
    // Setting a file aside that merely could not be opened just now would hide
    // the whole history; this one record is dropped instead.
    if (existing.state == FileState::unknown) return;
    std::optional<T> current;
    bool unreadable = existing.state == FileState::unreadable;
    if (existing.state == FileState::present) {
        current = decode<T>(existing.text);
        unreadable = !current;
    }

    std::string text;
    try {
        // Text that is not valid UTF-8 is written with replacement characters
        // rather than losing the whole file.
        text = nlohmann::json(change(std::move(current)))
                   .dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    } catch (const std::exception&) {
        return;
    }
    text += '\n';

    removeLeftoverTemporaries(lock.dirFd(), name);
    if (unreadable && !moveAside(lock.dirFd(), name)) return;
    writeAtomically(lock.dirFd(), name, text);
}

// ---- calendar -----------------------------------------------------------

std::tuple<int, int, int> localDay(Clock::time_point date) {
    std::time_t seconds = Clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm parts{};
    if (!::localtime_r(&seconds, &parts)) return {0, 0, 0};
    return {parts.tm_year, parts.tm_mon, parts.tm_mday};
}

void makeFolders(const std::string& path) {
    // Each missing level is created private to the user, as the XDG base
    // directory standard asks.
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string prefix = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return;
        if (slash == std::string::npos) return;
    }
}

}  // namespace

// ---- Snapshot -----------------------------------------------------------

HistoryStore::Snapshot::Snapshot(const ScanResult& scan)
    : date(scan.scanDate),
      developerStorage(scan.footprint()),
      reclaimable(scan.reclaimable()),
      freeSpace(scan.volume.availableCapacity) {
    for (const CategoryResult& category : scan.categories) {
        // A category listed twice adds up rather than losing one entry.
        std::int64_t& entry = byCategory[std::string(rawValue(category.category))];
        entry = SizeSum::add(entry, category.footprint);
    }
}

void to_json(nlohmann::json& j, const HistoryStore::Snapshot& value) {
    nlohmann::json byCategory = nlohmann::json::object();
    for (const auto& [category, bytes] : value.byCategory) byCategory[category] = bytes;
    j = nlohmann::json{{"date", json::fromDate(value.date)},
                       {"developerStorage", value.developerStorage},
                       {"reclaimable", value.reclaimable},
                       {"freeSpace", value.freeSpace},
                       {"byCategory", std::move(byCategory)}};
}

void from_json(const nlohmann::json& j, HistoryStore::Snapshot& value) {
    value.date = json::toDate(json::required(j, "date"));
    value.developerStorage = json::toInt64(json::required(j, "developerStorage"));
    value.reclaimable = json::toInt64(json::required(j, "reclaimable"));
    value.freeSpace = json::toInt64(json::required(j, "freeSpace"));
    const nlohmann::json& byCategory = json::required(j, "byCategory");
    if (!byCategory.is_object()) throw JsonError("byCategory is not an object");
    value.byCategory.clear();
    for (const auto& [category, bytes] : byCategory.items())
        value.byCategory[category] = json::toInt64(bytes);
}

// ---- HistoryStore -------------------------------------------------------

std::string HistoryStore::defaultDirectory() {
    std::string directory;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') {
        if (auto standardised = Paths::standardise(dataHome))
            directory = Paths::join(*standardised, "Korvane");
    }
    if (directory.empty()) directory = Paths::home(".local", "share", "Korvane");
    makeFolders(directory);
    return directory;
}

HistoryStore::HistoryStore(std::string directory) : directory_(std::move(directory)) {}

void HistoryStore::recordSnapshot(const ScanResult& scan) {
    Snapshot snapshot(scan);
    ::tzset();  // the user's time zone as it is now
    auto day = localDay(snapshot.date);
    rewrite<std::vector<Snapshot>>(
        directory_, snapshotsFile, [&](std::optional<std::vector<Snapshot>> stored) {
            std::vector<Snapshot> list = stored ? std::move(*stored) : std::vector<Snapshot>{};
            std::erase_if(list, [&](const Snapshot& old) { return localDay(old.date) == day; });
            list.push_back(snapshot);
            std::stable_sort(list.begin(), list.end(),
                             [](const Snapshot& a, const Snapshot& b) { return a.date < b.date; });
            if (list.size() > maxSnapshots)
                list.erase(list.begin(),
                           list.begin() + static_cast<std::ptrdiff_t>(list.size() - maxSnapshots));
            return list;
        });
}

template <class T>
const T& HistoryStore::current(const char* name, Cached<T>& cache) const {
    const UniqueFd file(::open(Paths::join(directory_, name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    const int fd = file.get();
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        cache = {};
        return cache.value;
    }
    const FileIdentity identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                                static_cast<std::int64_t>(info.st_size),
                                static_cast<std::int64_t>(info.st_mtim.tv_sec),
                                static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
    if (cache.source != identity) {
        Existing existing = readAll(fd, info);
        std::optional<T> decoded;
        if (existing.state == FileState::present) decoded = decode<T>(existing.text);
        // An unreadable file is remembered too, so it costs one read only.
        cache.value = decoded ? std::move(*decoded) : T{};
        cache.source = identity;
    }
    return cache.value;
}

std::vector<HistoryStore::Snapshot> HistoryStore::snapshots() const {
    std::lock_guard<std::mutex> guard(callLock());
    return current(snapshotsFile, snapshots_);
}

void HistoryStore::record(const CleanupReport& report) {
    rewrite<std::vector<CleanupReport>>(
        directory_, cleanupsFile, [&](std::optional<std::vector<CleanupReport>> stored) {
            std::vector<CleanupReport> list = stored ? std::move(*stored) : std::vector<CleanupReport>{};
            list.push_back(report);
            std::stable_sort(list.begin(), list.end(),
                             [](const CleanupReport& a, const CleanupReport& b) { return a.date > b.date; });
            if (list.size() > maxReports) list.resize(maxReports);
            return list;
        });
}

void HistoryStore::markPutBack(const std::set<UUID>& candidateIDs, const std::map<UUID, std::int64_t>& cameBack) {
    if (candidateIDs.empty()) return;
    rewrite<std::vector<CleanupReport>>(
        directory_, cleanupsFile, [&](std::optional<std::vector<CleanupReport>> stored) {
            std::vector<CleanupReport> list = stored ? std::move(*stored) : std::vector<CleanupReport>{};
            for (CleanupReport& report : list) report.markPutBack(candidateIDs, cameBack);
            return list;
        });
}

std::vector<CleanupReport> HistoryStore::reports() const {
    std::lock_guard<std::mutex> guard(callLock());
    return current(cleanupsFile, reports_);
}

std::int64_t HistoryStore::totalFreed() const {
    std::lock_guard<std::mutex> guard(callLock());
    SizeSum total;
    for (const CleanupReport& report : current(cleanupsFile, reports_)) total += report.keptFreedBytes();
    return total.total();
}

bool HistoryStore::hasReports() const {
    std::lock_guard<std::mutex> guard(callLock());
    return !current(cleanupsFile, reports_).empty();
}

void HistoryStore::saveLastScan(const ScanResult& scan) {
    rewrite<ScanResult>(directory_, lastScanFile, [&](std::optional<ScanResult>) { return scan; });
}

std::optional<ScanResult> HistoryStore::loadLastScan() const {
    return load<ScanResult>(directory_, lastScanFile);
}

bool HistoryStore::replaceFile(const std::string& directory, const std::string& name, const std::string& text) {
    std::lock_guard<std::mutex> guard(callLock());
    WriterLock lock(directory);
    if (!lock.held()) return false;
    removeLeftoverTemporaries(lock.dirFd(), name.c_str());
    return writeAtomically(lock.dirFd(), name.c_str(), text);
}

std::optional<std::string> HistoryStore::setAside(const std::string& directory, const std::string& name) {
    std::lock_guard<std::mutex> guard(callLock());
    WriterLock lock(directory);
    if (!lock.held()) return std::nullopt;
    auto moved = moveAside(lock.dirFd(), name.c_str());
    if (moved) ::fsync(lock.dirFd());
    return moved;
}

void HistoryStore::removeFile(const std::string& directory, const std::string& name) {
    std::lock_guard<std::mutex> guard(callLock());
    WriterLock lock(directory);
    if (!lock.held()) return;
    if (::unlinkat(lock.dirFd(), name.c_str(), 0) == 0) ::fsync(lock.dirFd());
}

}  // namespace korvane
