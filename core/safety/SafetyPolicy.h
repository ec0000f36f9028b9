#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/CleanupCandidate.h"
#include "core/system/Flag.h"
#include "core/system/PathPattern.h"

namespace korvane {

// The one gate in front of every removal. A path may only be removed when the
// rule that produced it allows its shape and the verdicts below let it pass.
// There are no instances; every table is either built once per process or
// (where it depends on the home folder) follows the home folder in force.
class SafetyPolicy {
public:
    SafetyPolicy() = delete;

    // The answer of the check and of the three verdicts: allowed, or denied
    // with a reason shown to the user.
    class Verdict {
    public:
        enum class Kind { denied, allowed };

        static Verdict allowed() { return Verdict(Kind::allowed, {}); }
        static Verdict denied(std::string reason) { return Verdict(Kind::denied, std::move(reason)); }

        Kind kind() const { return kind_; }
        bool isAllowed() const { return kind_ == Kind::allowed; }
        bool isDenied() const { return kind_ == Kind::denied; }
        // Empty when allowed.
        const std::string& reason() const { return reason_; }

        friend bool operator==(const Verdict&, const Verdict&) = default;

    private:
        Verdict(Kind kind, std::string reason) : kind_(kind), reason_(std::move(reason)) {}
        Kind kind_;
        std::string reason_;
    };

    // A verdict together with the standardised path it was made on (empty
    // when the given path could not be standardised). Whoever acts on an
    // allowed path must act on `path`, never on what it was given, so that the
    // checked path and the removed path cannot differ.
    struct Checked {
        std::string path;
        Verdict verdict;
        bool cancelled = false;  // denied because the cancel flag stopped the check
    };

    using RuleShapes = std::map<std::string, std::vector<PathPattern>, std::less<>>;
    using AppFolderRules = std::map<std::string, std::vector<std::string>, std::less<>>;

    // The candidate check: nothing in a Trash folder passes; command removals
    // pass otherwise; a path must match a shape of its rule and then pass the
    // general or application-bundle verdict.
    static Verdict check(const std::string& path, std::string_view ruleID, const RemovalKind& removal);
    static Verdict check(const CleanupCandidate& candidate);
    // The same check, also giving the standardised path that was judged. A
    // set `cancel` flag stops a long check (a path thousands of levels deep)
    // with a denied verdict.
    static Checked checked(const std::string& path, std::string_view ruleID, const RemovalKind& removal,
                           const Flag* cancel = nullptr);

    // Rule id -> allowed shapes, in registration order, for the home folder and
    // the places the environment names (cache folder, Android SDK, temporary
    // folder) in force. The reference stays valid for the life of the process.
    static const RuleShapes& ruleShapes();
    // Rule id -> folder prefixes whose paths get the application-bundle verdict.
    static const AppFolderRules& appFolderRules();
    // Used while the registry is built: parses each shape text in order and
    // stores the list under the id. An id already present is left as it was
    // and false is returned.
    static bool registerRule(std::string_view ruleID, const std::vector<std::string>& patterns,
                             RuleShapes& into);

    // Folders that are never removed themselves (protected roots and home
    // folders, the cache folder and an SDK the environment names in the home).
    static std::set<std::string> protectedHomeFolders();
    // The folders under which anything may be removed at all, in order.
    // Besides them, only the temporary folder's own entries that belong to the
    // user running Korvane may go.
    static std::vector<std::string> allowedRoots();
    // Names that no removed path may have as a component; the one exception is
    // the ".config" in the home, for the editors' cache folders inside it.
    static const std::set<std::string, std::less<>>& protectedNames();
    // Folder names that may be removed even when they hold a ".git" entry.
    static const std::set<std::string, std::less<>>& repositoryExemptNames();

    // The general verdict for any path under the home or temporary folders.
    static Verdict verdict(const std::string& path);
    // The verdict for a bundle under the system's application folder.
    static Verdict appBundleVerdict(const std::string& path);
    // The verdict for a restore destination: the application-bundle verdict
    // below an app-folder prefix, else the general verdict.
    static Verdict verdictForPath(const std::string& path);
};

}  // namespace korvane
