#include "core/safety/RestoreEngine.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <numeric>
#include <set>
#include <utility>

#include "core/model/SizeSum.h"
#include "core/platform/SystemError.h"
#include "core/platform/Trash_linux.h"
#include "core/safety/CleanupEngine.h"
#include "core/safety/SafetyPolicy.h"
#include "core/system/ItemSize.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

namespace message {
constexpr const char* notRecorded = "Korvane did not record where this went";
constexpr const char* backInPlace = "Already back in place";
constexpr const char* somethingElse = "Something else is now where this was, so it stays in the Trash";
constexpr const char* notInTrash = "No longer in the Trash";
constexpr const char* notOurs = "That is not where Korvane puts things";
constexpr const char* stopped = "Stopped before this was put back; it is still in the Trash";
std::string inTheWay(const std::string& folder, const char* what, const std::string& former) {
    return "\u201C" + Paths::abbreviatingHome(folder) + "\u201D is now " + what + ", so \u201C" +
           Paths::lastComponent(former) + "\u201D cannot be put back there";
}
}  // namespace message

using Status = RestoreEngine::Outcome::Status;

constexpr std::array<std::pair<Status, std::string_view>, 4> statusNames{{
    {Status::restored, "restored"},
    {Status::missing, "missing"},
    {Status::blocked, "blocked"},
    {Status::failed, "failed"},
}};

bool entryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The standardised absolute form of a stored path, or nothing for one that
// holds a NUL byte or is not absolute.
std::optional<std::string> usable(const std::string& path) {
    // Checked before standardising, which would expand a leading "~": a
    // recorded "~/x" names no place for certain, so nothing is moved for it.
    if (path.empty() || path.front() != '/') return std::nullopt;
    return Paths::standardise(path);
}

// What an item put back measures at its place, when that is clearly less
// than went: at least a hundredth and a block short. A tree measured again
// may differ by a block or so without anything missing.
std::optional<std::int64_t> shortReturn(std::int64_t went, const std::string& place) {
    const auto measured = ItemSize::measure(place);
    if (!measured) return std::nullopt;
    const std::int64_t missing = went - *measured;
    if (missing < std::max<std::int64_t>(went / 100, 4096)) return std::nullopt;
    return measured;
}

// What stands where a folder on the way back to `former` should be: the
// nearest entry above it that exists, when that is not a folder.
std::optional<std::string> inTheWay(const std::string& former) {
    for (std::string folder = Paths::parent(former); folder != "/"; folder = Paths::parent(folder)) {
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) return std::nullopt;
        return message::inTheWay(folder, S_ISLNK(st.st_mode) ? "a link" : "a file", former);
    }
    return std::nullopt;
}

// How many components the former path has: an item inside another has more.
std::size_t depthOf(const CleanupOutcome& outcome) {
    const std::string path = Paths::standardise(outcome.path).value_or(outcome.path);
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '/'));
}

}  // namespace

std::string_view rawValue(RestoreEngine::Outcome::Status status) {
    for (const auto& [value, name] : statusNames) {
        if (value == status) return name;
    }
    return {};
}

std::optional<RestoreEngine::Outcome::Status> restoreStatusFromRawValue(std::string_view text) {
    for (const auto& [value, name] : statusNames) {
        if (name == text) return value;
    }
    return std::nullopt;
}

std::int64_t RestoreEngine::Report::restoredBytes() const {
    SizeSum sum;
    for (const auto& outcome : outcomes) {
        if (outcome.status == Status::restored) sum += outcome.returnedBytes();
    }
    return sum.total();
}

std::int64_t RestoreEngine::Report::restoredCount() const {
    std::int64_t count = 0;
    for (const auto& outcome : outcomes) count += outcome.status == Status::restored ? 1 : 0;
    return count;
}

std::vector<RestoreEngine::Outcome> RestoreEngine::Report::problems() const {
    std::vector<Outcome> result;
    for (const auto& outcome : outcomes) {
        if (outcome.status != Status::restored) result.push_back(outcome);
    }
    return result;
}

RestoreEngine::RestoreEngine() : trash_(std::make_shared<FreedesktopTrash>()) {}

RestoreEngine::RestoreEngine(std::shared_ptr<Trash> trash) : trash_(std::move(trash)) {}

RestoreEngine::Report RestoreEngine::restore(const CleanupReport& report, const Flag* stop) const {
    // Outer items go back before the items that were inside them: an inner
    // item put back first would make an empty folder where the outer one
    // belongs, and the outer one would stay in the Trash. The outcomes keep
    // the report's order.
    const std::vector<CleanupOutcome> items = report.restorable();
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&items](std::size_t a, std::size_t b) { return depthOf(items[a]) < depthOf(items[b]); });
    Report result;
    result.outcomes.resize(items.size());
    for (std::size_t index : order) {
        if (stop && stop->value())
            result.outcomes[index] = {items[index].candidateID, items[index].title, items[index].path,
                                      items[index].expectedBytes, Status::blocked, message::stopped, std::nullopt};
        else
            result.outcomes[index] = restore(items[index]);
    }
    return result;
}

RestoreEngine::Outcome RestoreEngine::restore(const CleanupOutcome& cleanup) const {
    Outcome result{cleanup.candidateID,   cleanup.title,   cleanup.path,
                   cleanup.expectedBytes, Status::missing, std::nullopt, std::nullopt};
    auto finish = [&result](Status status, std::optional<std::string> message) {
        result.status = status;
        result.message = std::move(message);
        return result;
    };

    if (!cleanup.trashURL) return finish(Status::missing, message::notRecorded);
    auto former = usable(cleanup.path);
    if (!former) {
        // "~/x" passes the verdict, which expands it; it still says nothing certain.
        SafetyPolicy::Verdict verdict = SafetyPolicy::verdictForPath(cleanup.path);
        return finish(Status::blocked, verdict.isDenied() ? verdict.reason() : message::notRecorded);
    }
    auto trashed = usable(*cleanup.trashURL);
    if (!trashed) return finish(Status::blocked, message::notOurs);

    if (entryExists(*former)) {
        // While the Trash still holds the item, what stands there is not it.
        if (trash_->isTrashLocation(*trashed) && trash_->holds(*trashed, *former))
            return finish(Status::blocked, message::somethingElse);
        return finish(Status::blocked, message::backInPlace);
    }
    if (!entryExists(*trashed)) return finish(Status::missing, message::notInTrash);
    if (!trash_->isTrashLocation(*trashed)) return finish(Status::blocked, message::notOurs);
    // Its record must still name the former place: otherwise it is not the item Korvane put there.
    if (!trash_->holds(*trashed, *former)) return finish(Status::missing, message::notInTrash);
    SafetyPolicy::Verdict verdict = SafetyPolicy::verdictForPath(*former);
    if (verdict.isDenied()) return finish(Status::blocked, verdict.reason());

    Trash::Result back = trash_->putBack(*trashed, *former);
    switch (back.status) {
        case Trash::Status::done:
            result.cameBack = shortReturn(cleanup.expectedBytes, *former);
            return finish(Status::restored, std::nullopt);
        case Trash::Status::destinationExists:
            return finish(Status::blocked, message::somethingElse);
        case Trash::Status::notInTrash:
            return finish(Status::missing, message::notInTrash);
        case Trash::Status::failed:
            if (back.error != ENOTDIR && back.error != ELOOP) break;
            if (auto blocker = inTheWay(*former)) return finish(Status::blocked, std::move(blocker));
            break;
    }
    return finish(Status::failed, back.message.empty() ? systemErrorText(back.error) : back.message);
}

std::int64_t RestoreEngine::Emptied::freedBytes() const {
    SizeSum total;
    for (const auto& outcome : purged) total += outcome.expectedBytes;
    total += partlyBytes;
    return total.total();
}

std::int64_t RestoreEngine::purgeFromTrash(const std::vector<CleanupReport>& reports) const {
    return purgeHeld(inTrash(reports)).freedBytes();
}

std::vector<CleanupOutcome> RestoreEngine::inTrash(const std::vector<CleanupReport>& reports) const {
    std::vector<CleanupOutcome> held;
    std::set<std::string> seen;
    for (const auto& report : reports) {
        for (const auto& outcome : report.restorable()) {
            auto former = usable(outcome.path);
            auto trashed = usable(*outcome.trashURL);
            if (!former || !trashed || !trash_->isTrashLocation(*trashed)) continue;
            // Two reports may name one item: one put back, then trashed again under the same name.
            if (seen.contains(*trashed) || !trash_->holds(*trashed, *former)) continue;
            seen.insert(*trashed);
            held.push_back(outcome);
            // What emptying it frees is what it measures now, not what it measured when it went in.
            if (const auto now = ItemSize::measure(*trashed)) held.back().expectedBytes = *now;
        }
    }
    return held;
}

std::vector<CleanupOutcome> RestoreEngine::purge(const std::vector<CleanupReport>& reports, const Flag* stop) const {
    return purgeHeld(inTrash(reports), stop).purged;
}

RestoreEngine::Emptied RestoreEngine::purgeHeld(const std::vector<CleanupOutcome>& held,
                                                const Flag* stop) const {
    Emptied emptied;
    SizeSum partly;
    for (const auto& outcome : held) {
        if (stop && stop->value()) break;
        if (!outcome.trashURL) continue;
        const auto former = usable(outcome.path);
        const auto trashed = usable(*outcome.trashURL);
        if (!former || !trashed || !trash_->isTrashLocation(*trashed)) continue;
        const Trash::Result result = trash_->purge(*trashed, *former, stop);
        if (result.ok()) {
            emptied.purged.push_back(outcome);
            continue;
        }
        partly += result.removedBytes;
        // Gone meanwhile, or stopped: nothing that the user must be told about this item.
        if (result.status != Trash::Status::failed || result.error == ECANCELED || result.error == ENOENT)
            continue;
        const std::int64_t removed = std::max<std::int64_t>(result.removedBytes, 0);
        const std::int64_t left =
            ItemSize::measure(*trashed).value_or(std::max<std::int64_t>(outcome.expectedBytes - removed, 0));
        emptied.notEmptied.push_back(
            {outcome, CleanupEngine::removalMessage(result.error, result.message), removed, left});
    }
    emptied.partlyBytes = partly.total();
    return emptied;
}

}  // namespace korvane
