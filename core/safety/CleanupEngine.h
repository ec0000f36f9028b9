#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Categories.h"
#include "core/model/CleanupCandidate.h"
#include "core/model/CleanupOutcome.h"
#include "core/model/CleanupProgress.h"
#include "core/model/CleanupReport.h"
#include "core/platform/Trash.h"
#include "core/system/Flag.h"

namespace korvane {

class RunJournal;

// The only code that removes anything. Candidates are handled one by one,
// largest first; every path is checked again immediately before it is
// touched, and the removal acts on exactly the standardised path that passed
// the check. A cancel request takes effect between items, between two entries
// of a folder tree being deleted, and stops a running command.
class CleanupEngine {
public:
    using DisposalRule = std::function<Disposal(const CleanupCandidate&)>;
    using ProgressHandler = std::function<void(const CleanupProgress&)>;

    struct AllowedCommand {
        ExternalTool tool;
        std::vector<std::string> arguments;
    };

    // Time limit of one cleanup command, in seconds.
    static constexpr double commandTimeout = 300;
    // How often the freed figure moves while one large item is deleted.
    static constexpr std::chrono::milliseconds itemProgressInterval{200};

    // Moves items into the user's own Trash.
    CleanupEngine();
    // Moves items into the given Trash (tests use one inside a temporary folder).
    explicit CleanupEngine(std::shared_ptr<Trash> trash);

    CleanupEngine(const CleanupEngine&) = delete;
    CleanupEngine& operator=(const CleanupEngine&) = delete;

    // May be called from any thread while a run is going on.
    void cancel();
    // A cancel was asked for during the current run.
    bool isCancelled() const { return cancelled_.value(); }

    // The time limit of each cleanup command (tests shorten it).
    void setCommandTimeout(double seconds) { commandTimeout_ = seconds; }
    // Called on the removing thread after each entry a deletion removed, so
    // that tests can act at a chosen point inside one tree.
    void setEntryRemovedHook(std::function<void()> hook) { entryRemoved_ = std::move(hook); }

    // Each run is written down as it goes, before its first item is touched,
    // so that a run cut off by a crash is still told at the next launch.
    void setJournal(std::shared_ptr<RunJournal> journal) { journal_ = std::move(journal); }

    // Paths the user chose never to touch. A path candidate at or below one of
    // them, or enclosing one, is skipped.
    void setExcludedPaths(const std::set<std::string>& paths);

    // A candidate waiting for another one of the run (its `prerequisite`)
    // comes after it, and stays unless that one is gone by then.
    //
    // Blocks until every candidate has an outcome. Without a disposal rule,
    // each candidate gets its recommended disposal. An exception thrown by
    // `progress` is dropped.
    CleanupReport run(const std::vector<CleanupCandidate>& candidates, const DisposalRule& disposal,
                      const ProgressHandler& progress);

    // `removed` hears of each entry a deletion removes, with the bytes it freed.
    CleanupOutcome removePath(const CleanupCandidate& candidate, Disposal disposal,
                              const std::function<void(std::int64_t)>& removed = {});
    CleanupOutcome runCommand(const CleanupCandidate& candidate);

    static CleanupOutcome outcome(const CleanupCandidate& candidate, CleanupOutcome::Status status,
                                  std::optional<std::string> message = std::nullopt,
                                  std::optional<std::string> trashURL = std::nullopt);

    // The only external commands a cleanup ever runs, in order, besides the
    // uninstall of one Flatpak application (FlatpakUninstall).
    static const std::vector<AllowedCommand>& allowedCommands();
    // Safe candidates are deleted; everything else goes to the Trash.
    static Disposal recommendedDisposal(const CleanupCandidate& candidate);
    // The message for a failed removal, chosen by what the error means.
    static std::string removalMessage(int error, const std::string& description = {});
    // Whether a removal under this rule may give read-only folders inside
    // back their owner's write permission: only in the places caches live,
    // never in a folder the user picked by hand or an application bundle.
    static bool mayUnlockReadOnlyFolders(std::string_view ruleID);

private:
    std::optional<std::string> exclusionReason(const std::string& path) const;
    // Removes a path or runs a command, whichever the candidate is, with the
    // journal told first.
    CleanupOutcome removeInTurn(const CleanupCandidate& candidate, std::size_t index,
                                const DisposalRule& disposal,
                                const std::function<void(std::int64_t)>& removed);

    Flag cancelled_;
    std::shared_ptr<Trash> trash_;
    std::vector<std::string> excluded_;
    double commandTimeout_ = commandTimeout;
    std::function<void()> entryRemoved_;
    std::shared_ptr<RunJournal> journal_;
};

}  // namespace korvane
