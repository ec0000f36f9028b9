#include "core/safety/PutBackJournal.h"

#include <sys/stat.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

#include "core/model/UUID.h"
#include "core/platform/Trash_linux.h"
#include "core/safety/HistoryStore.h"
#include "core/safety/RunJournal.h"
#include "core/system/FileContents.h"
#include "core/system/ItemSize.h"
#include "core/system/Paths.h"
#include "core/text/Json.h"

namespace korvane {

namespace {

using Clock = std::chrono::system_clock;

std::optional<struct stat> look(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return st;
}

// The stored report of the run the put back was of: its items, by the
// date noted, with what is back in place now.
std::optional<PutBackJournal::Recovered> decode(const std::string& text,
                                                const std::vector<CleanupReport>& stored) {
    // Deep enough for the candidates noted in it, as a saved scan holds them.
    if (!json::nestingWithin(text, 32)) return std::nullopt;
    try {
        const nlohmann::json journal = nlohmann::json::parse(text);
        const auto date =
            std::chrono::floor<std::chrono::seconds>(json::toDate(json::required(journal, "date")));
        const auto report = std::find_if(stored.begin(), stored.end(), [&](const CleanupReport& candidate) {
            return std::chrono::floor<std::chrono::seconds>(candidate.date) == date;
        });
        PutBackJournal::Recovered recovered;
        if (report == stored.end()) return recovered;  // no longer in History: nothing to mark
        recovered.report = *report;
        for (const auto& item : json::requiredArray(journal, "items")) {
            const UUID id = json::toUUID(json::required(item, "candidateID"));
            const auto device = json::toInt64(json::required(item, "device"));
            const auto inode = json::toInt64(json::required(item, "inode"));
            for (const CleanupOutcome& outcome : report->outcomes) {
                if (outcome.candidateID != id || !outcome.trashURL || outcome.putBack) continue;
                const auto now = look(outcome.path);
                if (!now || static_cast<std::int64_t>(now->st_dev) != device ||
                    static_cast<std::int64_t>(now->st_ino) != inode)
                    continue;
                RestoreEngine::Outcome back;
                back.candidateID = id;
                back.title = outcome.title;
                back.path = outcome.path;
                back.bytes = ItemSize::measure(outcome.path).value_or(outcome.expectedBytes);
                back.status = RestoreEngine::Outcome::Status::restored;
                recovered.restored.outcomes.push_back(std::move(back));
                // Only the candidate this item was, at its place, is offered again.
                if (const auto noted = json::optional(item, "candidate")) {
                    auto candidate = noted->get<CleanupCandidate>();
                    if (candidate.id == id && candidate.path == outcome.path)
                        recovered.dropped.push_back(std::move(candidate));
                }
            }
        }
        return recovered;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> PutBackJournal::open(const std::string& directory, const CleanupReport& report,
                                                const std::vector<CleanupCandidate>& dropped) {
    nlohmann::json items = nlohmann::json::array();
    for (const CleanupOutcome& outcome : report.restorable()) {
        const auto inTrash = look(*outcome.trashURL);
        if (!inTrash) continue;
        nlohmann::json item{{"candidateID", outcome.candidateID.text()},
                            {"device", static_cast<std::int64_t>(inTrash->st_dev)},
                            {"inode", static_cast<std::int64_t>(inTrash->st_ino)}};
        const auto noted = [&outcome](const CleanupCandidate& candidate) {
            return candidate.id == outcome.candidateID;
        };
        const auto candidate = std::find_if(dropped.begin(), dropped.end(), noted);
        if (candidate != dropped.end()) item["candidate"] = *candidate;
        items.push_back(std::move(item));
    }
    if (items.empty()) return std::nullopt;
    const nlohmann::json journal{{"date", json::fromDate(report.date)}, {"items", std::move(items)}};
    const std::string name = std::string(namePrefix) + UUID::random().text() + RunJournal::nameSuffix;
    if (!HistoryStore::replaceFile(directory, name, journal.dump() + '\n')) return std::nullopt;
    return name;
}

void PutBackJournal::discard(const std::string& directory, const std::string& fileName) {
    if (!fileName.starts_with(namePrefix) || fileName.find('/') != std::string::npos) return;
    HistoryStore::removeFile(directory, fileName);
}

std::vector<PutBackJournal::Recovered> PutBackJournal::recover(HistoryStore& history,
                                                               std::vector<std::string>& setAside) {
    std::vector<Recovered> found;
    for (const std::string& name :
         RunJournal::oldestNamed(history.directory(), namePrefix, RunJournal::maxPerStart)) {
        const auto text = FileContents::readSmall(Paths::join(history.directory(), name),
                                                  HistoryStore::maxFileBytes, FileContents::Links::refuse);
        auto recovered = text ? decode(*text, history.reports()) : std::nullopt;
        if (!recovered) {
            if (auto moved = HistoryStore::setAside(history.directory(), name))
                setAside.push_back(std::move(*moved));
            continue;
        }
        std::set<UUID> back;
        const FreedesktopTrash trash;
        for (const auto& outcome : recovered->restored.outcomes) {
            back.insert(outcome.candidateID);
            // A kill between the move back and the removal of its record leaves the record.
            trash.forgetUnmoved(outcome.path, recovered->report.date);
        }
        history.markPutBack(back);
        if (!back.empty()) found.push_back(std::move(*recovered));
        discard(history.directory(), name);
    }
    return found;
}

}  // namespace korvane
