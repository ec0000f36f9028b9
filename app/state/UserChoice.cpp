#include "app/state/UserChoice.h"

#include "core/safety/SafetyPolicy.h"

namespace korvane {

std::optional<CleanupCandidate> UserChoice::candidate(const FileTreeScanner::Entry& entry) {
    const auto checked = SafetyPolicy::checked(entry.path, ruleID, RemovalKind::path());
    if (checked.verdict.isDenied()) return std::nullopt;
    return CleanupCandidate(
        UUID::random(), CleanupCategory::toolchains, ruleID,
        entry.isDirectory ? "Folders you chose" : "Files you chose", entry.name, checked.path, entry.size,
        SafetyLevel::caution,
        "You picked this yourself. Korvane has no way to recreate it, so it goes to the Trash "
        "rather than being deleted.",
        "Recoverable from the Trash until you empty it", entry.modified, {}, RemovalKind::path());
}

std::vector<CleanupCandidate> UserChoice::candidates(const std::vector<FileTreeScanner::Entry>& entries) {
    std::vector<CleanupCandidate> admitted;
    for (const auto& entry : entries)
        if (auto candidate = UserChoice::candidate(entry)) admitted.push_back(std::move(*candidate));
    return admitted;
}

}  // namespace korvane
