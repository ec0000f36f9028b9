#include "core/safety/CleanupEngine.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <system_error>

#include "core/model/SizeSum.h"
#include "core/model/VolumeInfo.h"
#include "core/platform/ParentDirectory.h"
#include "core/platform/SafeRemover.h"
#include "core/platform/SystemError.h"
#include "core/platform/Trash_linux.h"
#include "core/safety/FlatpakUninstall.h"
#include "core/safety/RunJournal.h"
#include "core/safety/SafetyPolicy.h"
#include "core/safety/ToolReport.h"
#include "core/system/ItemSize.h"
#include "core/system/Paths.h"
#include "core/system/RealPath.h"
#include "core/system/Shell.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

namespace message {
constexpr const char* cancelled = "Cancelled before this item was reached";
constexpr const char* stoppedBeforeAny = "Stopped before any of it was removed";
constexpr const char* commandStopped =
    "Stopped while the command ran; some of what it removes may already be gone";
constexpr const char* alreadyGone = "Already gone";
constexpr const char* becameLink = "Became a symbolic link since the scan";
constexpr const char* stillThere = "The system reported success but the folder is still there";
constexpr const char* noPermission =
    "Korvane does not have permission to remove this. Check who owns it and the permissions of its folder.";
constexpr const char* readOnly = "This is on a read-only volume.";
// What the kernel answers for a mount point that is removed or moved.
constexpr const char* mounted = "Another file or volume is mounted here; Korvane left it alone.";
constexpr const char* excluded = "You marked this \u201CNever touch\u201D";
constexpr const char* holdsExcluded = "Holds a location you marked \u201CNever touch\u201D";

std::string notAllowed(const RemovalKind& removal) {
    std::string text = "\u201C" + std::string(commandName(removal.tool));
    for (const auto& argument : removal.arguments) text += " " + argument;
    return text + "\u201D is not an allowed cleanup command";
}
// A tool that fails without saying why still gets a message.
std::string exitedWith(const RemovalKind& removal, std::int32_t status) {
    return "\u201C" + removal.commandLine() + "\u201D failed with exit status " + std::to_string(status);
}
std::string stillInstalled(const std::string& title) { return title + " is still installed"; }
std::string keptWith(const std::string& title) {
    return "Kept, because \u201C" + title + "\u201D itself was not removed";
}
std::string stoppedPartway(std::int64_t removed) {
    return "Stopped partway: " + ByteFormat::string(removed) + " of it was removed, the rest is still there";
}
}  // namespace message

// Standard error of a failed tool without the white space and line breaks around it.
std::string trimmed(const std::string& text) {
    constexpr const char* space = " \t\n\r\v\f";
    std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

}  // namespace

CleanupEngine::CleanupEngine() : trash_(std::make_shared<FreedesktopTrash>()) {}

CleanupEngine::CleanupEngine(std::shared_ptr<Trash> trash) : trash_(std::move(trash)) {}

void CleanupEngine::cancel() { cancelled_.setValue(true); }

void CleanupEngine::setExcludedPaths(const std::set<std::string>& paths) {
    excluded_.clear();
    for (const auto& path : paths) {
        if (auto standard = Paths::standardise(path);
            standard && !standard->empty() && standard->front() == '/')
            excluded_.push_back(*standard);
    }
}

const std::vector<CleanupEngine::AllowedCommand>& CleanupEngine::allowedCommands() {
    static const std::vector<AllowedCommand> table = {
        {ExternalTool::docker, {"builder", "prune", "--force"}},
        {ExternalTool::docker, {"image", "prune", "--force"}},
        {ExternalTool::docker, {"image", "prune", "--all", "--force"}},
        {ExternalTool::docker, {"container", "prune", "--force"}},
        {ExternalTool::docker, {"volume", "prune", "--force"}},
        {ExternalTool::simctl, {"delete", "unavailable"}},
    };
    return table;
}

Disposal CleanupEngine::recommendedDisposal(const CleanupCandidate& candidate) {
    return candidate.safety == SafetyLevel::safe ? Disposal::delete_ : Disposal::trash;
}

std::string CleanupEngine::removalMessage(int error, const std::string& description) {
    switch (error) {
        case ENOENT:
            return message::alreadyGone;
        case EACCES:
        case EPERM:
            return message::noPermission;
        case EROFS:
            return message::readOnly;
        case EBUSY:
            return description.empty() ? message::mounted : description;
        default:
            return description.empty() ? systemErrorText(error) : description;
    }
}

CleanupOutcome CleanupEngine::outcome(const CleanupCandidate& candidate, CleanupOutcome::Status status,
                                      std::optional<std::string> message,
                                      std::optional<std::string> trashURL) {
    std::string path =
        candidate.removal.isCommand() ? std::string(CleanupOutcome::commandPath) : candidate.path;
    return CleanupOutcome(candidate.id, candidate.category, candidate.title, std::move(path), candidate.size,
                          status, std::move(message), std::move(trashURL));
}

std::optional<std::string> CleanupEngine::exclusionReason(const std::string& path) const {
    // Compared as written and by where each really leads: "~/alias/keep" keeps
    // "~/ws/proj/keep" when ~/alias links to ~/ws/proj.
    std::vector<std::string> entries = excluded_;
    for (const auto& entry : excluded_) entries.push_back(RealPath::resolved(entry));
    const std::string forms[] = {path, RealPath::resolved(path)};
    for (const auto& form : forms)
        for (const auto& entry : entries)
            if (Paths::isAtOrBelow(form, entry)) return std::string(message::excluded);
    for (const auto& form : forms)
        for (const auto& entry : entries)
            if (Paths::isAtOrBelow(entry, form)) return std::string(message::holdsExcluded);
    return std::nullopt;
}

bool CleanupEngine::mayUnlockReadOnlyFolders(std::string_view ruleID) {
    return ruleID != "general.userChoice" && ruleID != "apps.bundle";
}

namespace {

// Moves the checked item to the Trash; what went is what it measured as it
// went, not the scan's figure.
CleanupOutcome moveToTrash(Trash& trash, const CleanupCandidate& candidate, const std::string& path) {
    using Status = CleanupOutcome::Status;
    Trash::Result moved = trash.moveToTrash(path);
    if (moved.ok()) {
        std::optional<std::string> where;
        if (!moved.trashedPath.empty()) where = moved.trashedPath;
        CleanupOutcome trashed = CleanupEngine::outcome(candidate, Status::trashed, std::nullopt, where);
        if (where) trashed.expectedBytes = ItemSize::measure(*where).value_or(candidate.size);
        return trashed;
    }
    // A message of the Trash's own says what refused (the Trash itself, another volume);
    // without one, the error is about the item.
    if (!moved.message.empty()) return CleanupEngine::outcome(candidate, Status::failed, moved.message);
    // The item or a folder above it was swapped for a link after the check.
    if (moved.error == ELOOP) return CleanupEngine::outcome(candidate, Status::skipped, message::becameLink);
    return CleanupEngine::outcome(candidate, Status::failed, CleanupEngine::removalMessage(moved.error));
}

}  // namespace

CleanupOutcome CleanupEngine::removePath(const CleanupCandidate& candidate, Disposal disposal,
                                         const std::function<void(std::int64_t)>& removed) {
    using Status = CleanupOutcome::Status;
    // From here on only `path`, the form that passed the check, is touched.
    SafetyPolicy::Checked checked =
        SafetyPolicy::checked(candidate.path, candidate.ruleID, RemovalKind::path(), &cancelled_);
    if (checked.cancelled) return outcome(candidate, Status::skipped, message::cancelled);
    if (checked.verdict.isDenied()) return outcome(candidate, Status::skipped, checked.verdict.reason());
    const std::string path = checked.path;
    if (path.empty() || path.front() != '/')
        return outcome(candidate, Status::skipped, removalMessage(EINVAL));
    if (auto reason = exclusionReason(path)) return outcome(candidate, Status::skipped, *reason);

    // Looked at through the folder that holds it, reached without following
    // links: a path longer than PATH_MAX or a parent swapped for a link cannot
    // mislead the tests below.
    ParentDirectory parent = ParentDirectory::open(path, Paths::home());
    if (!parent.ok()) {
        if (parent.error() == ENOENT) return outcome(candidate, Status::skipped, message::alreadyGone);
        if (parent.error() == ELOOP) return outcome(candidate, Status::skipped, message::becameLink);
        return outcome(candidate, Status::failed, removalMessage(parent.error()));
    }
    const char* leaf = parent.leaf().c_str();
    struct stat st {};
    if (fstatat(parent.fd(), leaf, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return outcome(candidate, Status::skipped, message::alreadyGone);
        return outcome(candidate, Status::failed, removalMessage(errno));
    }
    if (S_ISLNK(st.st_mode)) {
        // A dangling link leaves nothing of the item.
        if (fstatat(parent.fd(), leaf, &st, 0) != 0 && errno == ENOENT)
            return outcome(candidate, Status::skipped, message::alreadyGone);
        return outcome(candidate, Status::skipped, message::becameLink);
    }
    // Consent covers the item the user saw, not another that took its name since.
    if (candidate.seen && !candidate.seen->matches(st))
        return outcome(candidate, Status::skipped, ItemIdentity::changedMessage());

    if (disposal == Disposal::trash) return moveToTrash(*trash_, candidate, path);

    const auto readOnly = mayUnlockReadOnlyFolders(candidate.ruleID) ? SafeRemover::ReadOnlyFolders::unlock
                                                                     : SafeRemover::ReadOnlyFolders::keep;
    const SafeRemover::Watch watch{&cancelled_, [this, &removed](std::int64_t bytes) {
                                       if (removed) removed(bytes);
                                       if (entryRemoved_) entryRemoved_();
                                   }};
    SafeRemover::Result result = SafeRemover::removeAt(parent.fd(), parent.leaf(), path,
                                                       SafeRemover::LeafLink::refuse, readOnly, watch);
    // What a failed or stopped removal took is gone all the same: the report counts it.
    const auto partly = [&result](CleanupOutcome left) {
        left.removedBytes = std::max<std::int64_t>(result.removedBytes, 0);
        return left;
    };
    if (result.error == ELOOP && result.failedPath == path)
        return partly(outcome(candidate, Status::skipped, message::becameLink));
    if (!result.mountPoints.empty())
        return partly(outcome(candidate, Status::failed, SafeRemover::mountPointMessage(result)));
    if (result.error != 0) return partly(outcome(candidate, Status::failed, removalMessage(result.error)));
    // Verified through the descriptor the removal used, not by the path,
    // which may lead somewhere else by now.
    const bool stillThere = fstatat(parent.fd(), leaf, &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (result.cancelled && stillThere) {
        // Not removed, and not claimed as removed: what went is told in bytes.
        if (result.removedBytes < 1) return outcome(candidate, Status::skipped, message::stoppedBeforeAny);
        return partly(outcome(candidate, Status::skipped, message::stoppedPartway(result.removedBytes)));
    }
    if (stillThere) return partly(outcome(candidate, Status::failed, message::stillThere));
    CleanupOutcome deleted = outcome(candidate, Status::deleted);
    deleted.expectedBytes = std::max<std::int64_t>(result.removedBytes, 0);
    return deleted;
}

namespace {

// What the tool says it freed counts, not the scan's figure. A tool that
// freed clearly less than it offered did not remove the candidate: what it
// freed is told in bytes, and the rest stays listed. Without a figure, the
// scan's stands.
CleanupOutcome prunedOutcome(const CleanupCandidate& candidate, std::optional<std::int64_t> reclaimed) {
    using Status = CleanupOutcome::Status;
    if (reclaimed && ToolReport::fallsShort(*reclaimed, candidate.size)) {
        CleanupOutcome shortOf = CleanupEngine::outcome(
            candidate, Status::failed, ToolReport::shortMessage(candidate.removal, *reclaimed, candidate.size));
        shortOf.removedBytes = *reclaimed;
        return shortOf;
    }
    CleanupOutcome pruned = CleanupEngine::outcome(candidate, Status::pruned);
    if (reclaimed) pruned.expectedBytes = *reclaimed;
    return pruned;
}

}  // namespace

CleanupOutcome CleanupEngine::runCommand(const CleanupCandidate& candidate) {
    using Status = CleanupOutcome::Status;
    const RemovalKind& removal = candidate.removal;
    const auto& table = allowedCommands();
    bool allowed = FlatpakUninstall::isAllowed(removal) ||
                   std::any_of(table.begin(), table.end(), [&](const AllowedCommand& entry) {
                       return entry.tool == removal.tool && entry.arguments == removal.arguments;
                   });
    if (!allowed) return outcome(candidate, Status::skipped, message::notAllowed(removal));
    try {
        Shell::Result result =
            Shell::run(std::string(programName(removal.tool)), removal.programArguments(), commandTimeout_);
        if (result.status == 0) {
            // A tool's word is not enough: an application it still leaves
            // installed was not removed, and what it left behind stays.
            if (FlatpakUninstall::isAllowed(removal) && FlatpakUninstall::isDeployed(candidate.path))
                return outcome(candidate, Status::failed, message::stillInstalled(candidate.title));
            return prunedOutcome(candidate, ToolReport::reclaimedBytes(removal, result.stdout));
        }
        std::string said = trimmed(result.stderr);
        return outcome(candidate, Status::failed, said.empty() ? message::exitedWith(removal, result.status) : said);
    } catch (const Shell::ShellError& error) {
        if (error.kind() == Shell::ShellError::Kind::cancelled)
            return outcome(candidate, Status::skipped, message::commandStopped);
        return outcome(candidate, Status::failed, error.description());
    } catch (const std::system_error& error) {
        return outcome(candidate, Status::failed, systemErrorText(error.code().value()));
    } catch (const std::exception& error) {
        return outcome(candidate, Status::failed, std::string(error.what()));
    }
}

namespace {

// The candidate of this run that `candidate` waits for and that is not gone.
const CleanupCandidate* unmetPrerequisite(const CleanupCandidate& candidate,
                                          const std::map<UUID, const CleanupCandidate*>& run,
                                          const std::set<UUID>& gone) {
    if (!candidate.prerequisite) return nullptr;
    const auto first = run.find(*candidate.prerequisite);
    if (first == run.end() || gone.contains(first->first)) return nullptr;
    return first->second;
}

// Tells the caller how far the run has got. A handler that fails must not end
// the run: the items already removed would then have no outcome, and nothing
// in the history could put them back.
void report(const CleanupEngine::ProgressHandler& progress, const CleanupProgress& state) {
    if (!progress) return;
    try {
        progress(state);
    } catch (...) {
    }
}

std::map<UUID, const CleanupCandidate*> candidatesByID(const std::vector<CleanupCandidate>& candidates) {
    std::map<UUID, const CleanupCandidate*> byID;
    for (const auto& candidate : candidates) byID.emplace(candidate.id, &candidate);
    return byID;
}

// A candidate that waits for another one of this run comes after it; the
// largest first otherwise.
std::vector<const CleanupCandidate*> removalOrder(const std::vector<CleanupCandidate>& candidates,
                                                  const std::map<UUID, const CleanupCandidate*>& byID) {
    std::vector<const CleanupCandidate*> order;
    order.reserve(candidates.size());
    for (const auto& candidate : candidates) order.push_back(&candidate);
    std::map<UUID, std::size_t> waits;
    for (const auto* candidate : order) {
        std::size_t& depth = waits[candidate->id];
        for (const auto* at = candidate; at->prerequisite && depth < order.size(); ++depth) {
            const auto first = byID.find(*at->prerequisite);
            if (first == byID.end()) break;
            at = first->second;
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&waits](const CleanupCandidate* a, const CleanupCandidate* b) {
                         const std::size_t first = waits.at(a->id), second = waits.at(b->id);
                         return first != second ? first < second : a->size > b->size;
                     });
    return order;
}

// The run's items as the journal first writes them down: none touched yet.
std::vector<CleanupOutcome> plannedOutcomes(const std::vector<const CleanupCandidate*>& order) {
    std::vector<CleanupOutcome> planned;
    planned.reserve(order.size());
    for (const CleanupCandidate* candidate : order)
        planned.push_back(CleanupEngine::outcome(*candidate, CleanupOutcome::Status::skipped));
    return planned;
}

// What a run has done so far.
struct RunTally {
    std::int64_t total = 0;
    std::int64_t completed = 0;
    std::int64_t freed = 0;
    std::vector<CleanupOutcome> outcomes;
    std::set<UUID> gone;  // removed in this run, or no longer there to remove
    bool stopped = false;

    explicit RunTally(std::size_t items) : total(static_cast<std::int64_t>(items)) {
        outcomes.reserve(items);
    }

    CleanupProgress progress(const std::string& title) const {
        return CleanupProgress(completed, total, title, freed);
    }

    // An item the run did not reach because it was stopped.
    void passOver(CleanupOutcome skipped) {
        outcomes.push_back(std::move(skipped));
        ++completed;
        stopped = true;
    }

    void count(const CleanupCandidate& candidate, CleanupOutcome result, bool cancelled) {
        ++completed;
        freed = SizeSum::add(freed, result.succeeded() ? result.expectedBytes : result.removedBytes);
        if (result.succeeded() || result.message == message::alreadyGone) gone.insert(candidate.id);
        // Stopped while this item was on: it is not (wholly) removed because of the stop.
        if (!result.succeeded() && cancelled) stopped = true;
        outcomes.push_back(std::move(result));
    }
};

// Deleting one large tree takes a while: the freed figure grows with it, a few times a second.
std::function<void(std::int64_t)> freedWhileRemoving(const RunTally& tally, const std::string& title,
                                                     std::size_t index, RunJournal* journal,
                                                     const CleanupEngine::ProgressHandler& progress) {
    return [&tally, &title, &progress, index, journal, removedOfItem = std::int64_t{0},
            shown = std::chrono::steady_clock::now()](std::int64_t bytes) mutable {
        removedOfItem = SizeSum::add(removedOfItem, bytes);
        const auto now = std::chrono::steady_clock::now();
        if (now - shown < CleanupEngine::itemProgressInterval) return;
        if (journal) journal->removed(index, removedOfItem);
        shown = now;
        report(progress, CleanupProgress(tally.completed, tally.total, title,
                                         SizeSum::add(tally.freed, removedOfItem)));
    };
}

}  // namespace

CleanupOutcome CleanupEngine::removeInTurn(const CleanupCandidate& candidate, std::size_t index,
                                           const DisposalRule& disposal,
                                           const std::function<void(std::int64_t)>& removed) {
    Disposal chosen = disposal ? disposal(candidate) : recommendedDisposal(candidate);
    const bool isCommand = candidate.removal.isCommand();
    if (journal_) journal_->working(index, isCommand ? std::nullopt : std::optional<Disposal>(chosen));
    return isCommand ? runCommand(candidate) : removePath(candidate, chosen, removed);
}

CleanupReport CleanupEngine::run(const std::vector<CleanupCandidate>& candidates,
                                 const DisposalRule& disposal, const ProgressHandler& progress) {
    cancelled_.setValue(false);
    // A running command is stopped the way a time-out stops it.
    const Shell::CancelScope commands(cancelled_);
    const auto start = std::chrono::system_clock::now();
    const auto clockStart = std::chrono::steady_clock::now();

    const std::map<UUID, const CleanupCandidate*> byID = candidatesByID(candidates);
    const std::vector<const CleanupCandidate*> order = removalOrder(candidates, byID);
    const VolumeInfo before = VolumeInfo::volumeOf(Paths::home());
    if (journal_) journal_->open(start, before, plannedOutcomes(order));

    RunTally tally(order.size());
    for (std::size_t index = 0; index < order.size(); ++index) {
        const CleanupCandidate& candidate = *order[index];
        if (cancelled_.value()) {
            tally.passOver(outcome(candidate, CleanupOutcome::Status::skipped, message::cancelled));
            continue;
        }
        report(progress, tally.progress(candidate.title));
        const auto removed = freedWhileRemoving(tally, candidate.title, index, journal_.get(), progress);
        CleanupOutcome result;
        if (const CleanupCandidate* first = unmetPrerequisite(candidate, byID, tally.gone))
            result = outcome(candidate, CleanupOutcome::Status::skipped, message::keptWith(first->title));
        else
            result = removeInTurn(candidate, index, disposal, removed);
        if (journal_) journal_->finished(index, result);
        tally.count(candidate, std::move(result), cancelled_.value());
        report(progress, tally.progress(candidate.title));
    }

    const double duration =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - clockStart).count();
    const VolumeInfo after = VolumeInfo::volumeOf(Paths::home());
    CleanupReport done(start, duration, std::move(tally.outcomes), before, after);
    done.stopped = tally.stopped;
    return done;
}

}  // namespace korvane
