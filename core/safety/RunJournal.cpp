#include "core/safety/RunJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "core/model/SizeSum.h"
#include "core/model/UUID.h"
#include "core/safety/HistoryStore.h"
#include "core/safety/SafetyPolicy.h"
#include "core/system/DirectoryReader.h"
#include "core/system/FileContents.h"
#include "core/system/FileDate.h"
#include "core/system/Paths.h"
#include "core/system/ToolPlaces.h"
#include "core/text/Json.h"

namespace korvane {

namespace {

using Clock = std::chrono::system_clock;

// Text that is not valid UTF-8 (an odd file name) is written with
// replacement characters rather than losing the line.
std::string line(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

std::size_t index(const nlohmann::json& step, std::string_view key, std::size_t count) {
    const std::int64_t value = json::toInt64(json::required(step, key));
    if (value < 0 || static_cast<std::uint64_t>(value) >= count) throw JsonError("no such item");
    return static_cast<std::size_t>(value);
}

// No figure of an item goes beyond what the plan measured of it.
std::int64_t withinPlan(std::int64_t bytes, const CleanupOutcome& planned) {
    return std::clamp<std::int64_t>(bytes, 0, planned.expectedBytes);
}

void applyStep(const nlohmann::json& step, RunJournal::Record& record) {
    const std::size_t count = record.planned.size();
    if (json::optional(step, "working")) {
        const std::size_t item = index(step, "working", count);
        record.working = item;
        record.workingDisposal.reset();
        record.workingRemoved = 0;
        record.moved.erase(item);
        if (const auto* disposal = json::optional(step, "disposal")) {
            Disposal chosen{};
            from_json(*disposal, chosen);
            record.workingDisposal = chosen;
        }
        if (json::optional(step, "inode"))
            record.moved[item] = {json::toUInt64(json::required(step, "device")),
                                  json::toUInt64(json::required(step, "inode"))};
    } else if (json::optional(step, "removed")) {
        const std::size_t item = index(step, "removed", count);
        if (record.working == item)
            record.workingRemoved =
                withinPlan(json::toInt64(json::required(step, "bytes")), record.planned[item]);
    } else {
        const std::size_t done = index(step, "finished", count);
        CleanupOutcome outcome;
        from_json(json::required(step, "outcome"), outcome);
        const CleanupOutcome& planned = record.planned[done];
        // The outcome of another item than the plan names there is damage, not a step.
        if (outcome.candidateID != planned.candidateID || outcome.path != planned.path)
            throw JsonError("not the planned item");
        outcome.expectedBytes = withinPlan(outcome.expectedBytes, planned);
        outcome.removedBytes = withinPlan(outcome.removedBytes, planned);
        if (outcome.putBackBytes) outcome.putBackBytes = withinPlan(*outcome.putBackBytes, planned);
        record.finished[done] = std::move(outcome);
        if (record.working == done) record.working.reset();
    }
}

// An item a cleanup could have taken: a command, or a place a rule allows
// removals in (as a put back would judge it).
bool isAllowedItem(const CleanupOutcome& item) {
    return item.path == CleanupOutcome::commandPath || SafetyPolicy::verdictForPath(item.path).isAllowed();
}

// The volumes removals happen on: no item measures more than the largest,
// no run frees more than they all hold.
struct Capacity {
    std::int64_t largest = 0;
    std::int64_t all = 0;
};

Capacity removalCapacity() {
    Capacity capacity;
    std::set<dev_t> seen;
    std::vector<std::string> roots = SafetyPolicy::allowedRoots();
    roots.push_back(ToolPlaces::temporaryDirectory());
    for (const std::string& root : roots) {
        struct stat info {};
        if (::stat(root.c_str(), &info) != 0 || !seen.insert(info.st_dev).second) continue;
        const std::int64_t total = VolumeInfo::volumeOf(root).totalCapacity;
        capacity.largest = std::max(capacity.largest, total);
        capacity.all = SizeSum::add(capacity.all, total);
    }
    return capacity;
}

// A plan that breaks the rules makes the whole journal unusable.
std::optional<RunJournal::Record> decode(const std::string& text, const Capacity& capacity) {
    std::istringstream lines(text);
    std::string first;
    if (!std::getline(lines, first) || !json::nestingWithin(first, 32)) return std::nullopt;
    RunJournal::Record record;
    SizeSum planned;
    try {
        const nlohmann::json plan = nlohmann::json::parse(first);
        if (const auto* version = json::optional(plan, "version");
            version && (json::toInt64(*version) < 1 || json::toInt64(*version) > RunJournal::version))
            return std::nullopt;
        record.date = json::toDate(json::required(plan, "date"));
        from_json(json::required(plan, "volumeBefore"), record.volumeBefore);
        for (const auto& item : json::requiredArray(plan, "items")) {
            CleanupOutcome outcome;
            from_json(item, outcome);
            if (!isAllowedItem(outcome)) return std::nullopt;
            outcome.expectedBytes = std::clamp<std::int64_t>(outcome.expectedBytes, 0, capacity.largest);
            planned += outcome.expectedBytes;
            record.planned.push_back(std::move(outcome));
        }
        if (planned.total() > capacity.all) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    for (std::string step; std::getline(lines, step) && !lines.eof();) {
        try {
            applyStep(nlohmann::json::parse(step), record);
        } catch (const std::exception&) {
            break;
        }
    }
    return record;
}

bool isJournalName(std::string_view name, std::string_view prefix = RunJournal::namePrefix) {
    return name.starts_with(prefix) && name.ends_with(RunJournal::nameSuffix) &&
           name.size() > prefix.size() + std::string_view(RunJournal::nameSuffix).size();
}

}  // namespace

RunJournal::RunJournal(std::string directory) : directory_(std::move(directory)) {}

bool RunJournal::open(Clock::time_point date, const VolumeInfo& volumeBefore,
                      const std::vector<CleanupOutcome>& planned) {
    nlohmann::json plan = nlohmann::json::object();
    plan["version"] = version;
    plan["date"] = json::fromDate(date);
    plan["volumeBefore"] = volumeBefore;
    plan["items"] = planned;
    const std::string name = std::string(namePrefix) + UUID::random().text() + nameSuffix;
    if (!HistoryStore::replaceFile(directory_, name, line(plan))) return false;
    file_.reset(::open(Paths::join(directory_, name).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
    if (!file_.valid()) return false;
    fileName_ = name;
    paths_.clear();
    for (const CleanupOutcome& item : planned) paths_.push_back(item.path);
    return true;
}

void RunJournal::working(std::size_t index, std::optional<Disposal> disposal) {
    nlohmann::json step{{"working", index}};
    if (disposal) step["disposal"] = *disposal;
    // What a move into the Trash takes along: only that item there is Korvane's.
    struct stat item {};
    if (disposal && index < paths_.size() && ::lstat(paths_[index].c_str(), &item) == 0) {
        step["device"] = static_cast<std::uint64_t>(item.st_dev);
        step["inode"] = static_cast<std::uint64_t>(item.st_ino);
    }
    lastRemoved_ = std::chrono::steady_clock::now();
    append(line(step));
}

void RunJournal::removed(std::size_t index, std::int64_t bytes) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRemoved_ < removedInterval) return;
    lastRemoved_ = now;
    append(line(nlohmann::json{{"removed", index}, {"bytes", bytes}}));
}

void RunJournal::finished(std::size_t index, const CleanupOutcome& outcome) {
    append(line(nlohmann::json{{"finished", index}, {"outcome", outcome}}));
}

void RunJournal::append(const std::string& text) {
    if (!file_.valid()) return;
    // Written whole or cut short, never mixed with another line: one writer appends.
    if (!FileContents::writeAll(file_.get(), text)) return;
    // A kill leaves what was written in the page cache; only a power cut needs the sync.
    ::fdatasync(file_.get());
}

namespace {

RunJournal::Left read(const std::string& directory, std::size_t limit, bool setAside) {
    RunJournal::Left left;
    const auto journals = RunJournal::oldestNamed(directory, RunJournal::namePrefix, limit);
    const Capacity capacity = journals.empty() ? Capacity() : removalCapacity();
    for (const std::string& name : journals) {
        const std::string path = Paths::join(directory, name);
        const auto text = FileContents::readSmall(path, HistoryStore::maxFileBytes, FileContents::Links::refuse);
        auto record = text ? decode(*text, capacity) : std::nullopt;
        if (!record) {
            // Named once, then kept out of the way rather than read at every start.
            if (setAside)
                if (auto moved = HistoryStore::setAside(directory, name))
                    left.setAside.push_back(std::move(*moved));
            continue;
        }
        record->fileName = name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) record->lastStep = FileDate::fromSeconds(info.st_mtim.tv_sec);
        left.records.push_back(std::move(*record));
    }
    std::stable_sort(
        left.records.begin(), left.records.end(),
        [](const RunJournal::Record& a, const RunJournal::Record& b) { return a.date < b.date; });
    return left;
}

}  // namespace

RunJournal::Left RunJournal::readLeft(const std::string& directory, std::size_t limit) {
    return read(directory, limit, true);
}

std::vector<RunJournal::Record> RunJournal::readAll(const std::string& directory) {
    return read(directory, SIZE_MAX, false).records;
}

std::size_t RunJournal::countLeft(const std::string& directory, std::string_view prefix, std::size_t limit) {
    std::size_t count = 0;
    DirectoryReader listing(DirectoryReader::openFolder(directory, false));
    DirectoryReader::Entry entry;
    while (count < limit && listing.next(entry))
        if (isJournalName(entry.name, prefix)) ++count;
    return count;
}

std::vector<std::string> RunJournal::oldestNamed(const std::string& directory, std::string_view prefix,
                                                 std::size_t limit) {
    std::vector<std::pair<std::int64_t, std::string>> found;
    DirectoryReader listing(DirectoryReader::openFolder(directory, false));
    DirectoryReader::Entry entry;
    while (listing.next(entry)) {
        if (!isJournalName(entry.name, prefix)) continue;
        struct stat info {};
        const bool known = ::lstat(Paths::join(directory, entry.name).c_str(), &info) == 0;
        found.emplace_back(known ? static_cast<std::int64_t>(info.st_mtim.tv_sec) : 0,
                           std::string(entry.name));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& [written, name] : found) {
        if (names.size() == limit) break;
        names.push_back(std::move(name));
    }
    return names;
}

void RunJournal::discard(const std::string& directory, const std::string& fileName) {
    if (!isJournalName(fileName) || fileName.find('/') != std::string::npos) return;
    HistoryStore::removeFile(directory, fileName);
}

}  // namespace korvane
