#include "core/safety/RunJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/model/UUID.h"
#include "core/safety/HistoryStore.h"
#include "core/system/DirectoryReader.h"
#include "core/system/FileContents.h"
#include "core/system/FileDate.h"
#include "core/system/Paths.h"
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

void applyStep(const nlohmann::json& step, RunJournal::Record& record) {
    const std::size_t count = record.planned.size();
    if (json::optional(step, "working")) {
        record.working = index(step, "working", count);
        record.workingDisposal.reset();
        record.workingRemoved = 0;
        if (const auto* disposal = json::optional(step, "disposal")) {
            Disposal chosen{};
            from_json(*disposal, chosen);
            record.workingDisposal = chosen;
        }
    } else if (json::optional(step, "removed")) {
        if (record.working == index(step, "removed", count))
            record.workingRemoved = std::max<std::int64_t>(json::toInt64(json::required(step, "bytes")), 0);
    } else {
        const std::size_t done = index(step, "finished", count);
        CleanupOutcome outcome;
        from_json(json::required(step, "outcome"), outcome);
        record.finished[done] = std::move(outcome);
        if (record.working == done) record.working.reset();
    }
}

// The plan on the first line, then every whole step after it; a line the
// crash cut short, and anything after it, is left out.
std::optional<RunJournal::Record> decode(const std::string& text) {
    std::istringstream lines(text);
    std::string first;
    if (!std::getline(lines, first) || !json::nestingWithin(first, 32)) return std::nullopt;
    RunJournal::Record record;
    try {
        const nlohmann::json plan = nlohmann::json::parse(first);
        record.date = json::toDate(json::required(plan, "date"));
        from_json(json::required(plan, "volumeBefore"), record.volumeBefore);
        for (const auto& item : json::requiredArray(plan, "items")) {
            CleanupOutcome outcome;
            from_json(item, outcome);
            record.planned.push_back(std::move(outcome));
        }
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

bool isJournalName(std::string_view name) {
    return name.starts_with(RunJournal::namePrefix) && name.ends_with(RunJournal::nameSuffix) &&
           name.size() > std::string_view(RunJournal::namePrefix).size() +
                             std::string_view(RunJournal::nameSuffix).size();
}

}  // namespace

RunJournal::RunJournal(std::string directory) : directory_(std::move(directory)) {}

bool RunJournal::open(Clock::time_point date, const VolumeInfo& volumeBefore,
                      const std::vector<CleanupOutcome>& planned) {
    nlohmann::json plan = nlohmann::json::object();
    plan["date"] = json::fromDate(date);
    plan["volumeBefore"] = volumeBefore;
    plan["items"] = planned;
    const std::string name = std::string(namePrefix) + UUID::random().text() + nameSuffix;
    if (!HistoryStore::replaceFile(directory_, name, line(plan))) return false;
    file_.reset(::open(Paths::join(directory_, name).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
    if (!file_.valid()) return false;
    fileName_ = name;
    return true;
}

void RunJournal::working(std::size_t index, std::optional<Disposal> disposal) {
    nlohmann::json step{{"working", index}};
    if (disposal) step["disposal"] = *disposal;
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

std::vector<RunJournal::Record> RunJournal::readAll(const std::string& directory) {
    std::vector<std::string> names;
    DirectoryReader listing(DirectoryReader::openFolder(directory, false));
    DirectoryReader::Entry entry;
    while (listing.next(entry))
        if (isJournalName(entry.name)) names.emplace_back(entry.name);
    std::vector<Record> records;
    for (const std::string& name : names) {
        const std::string path = Paths::join(directory, name);
        const auto text = FileContents::readSmall(path, HistoryStore::maxFileBytes, FileContents::Links::refuse);
        if (!text) continue;
        auto record = decode(*text);
        if (!record) continue;
        record->fileName = name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) record->lastStep = FileDate::fromSeconds(info.st_mtim.tv_sec);
        records.push_back(std::move(*record));
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.date < b.date; });
    return records;
}

void RunJournal::discard(const std::string& directory, const std::string& fileName) {
    if (!isJournalName(fileName) || fileName.find('/') != std::string::npos) return;
    HistoryStore::removeFile(directory, fileName);
}

}  // namespace korvane
