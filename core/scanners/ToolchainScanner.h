#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// The caches of language toolchains and developer tools that live outside
// any project (Homebrew, Cargo, Go, pip, uv, Poetry, JetBrains IDEs, VS Code,
// Cursor), the Rust toolchains other than the active one, and the Python
// virtual environments inside the projects of the project index. Always
// available; asks `rustup` which toolchain is active.
class ToolchainScanner final : public CategoryScanner {
public:
    // One global cache location.
    struct Rule {
        std::string url;  // the folder to measure
        std::string ruleID;
        std::string group;
        std::string title;
        std::string reason;
        std::optional<std::string> restore;
        SafetyLevel safety = SafetyLevel::safe;
        std::int64_t minimumBytes = 0;  // smallest size offered, inclusive
    };

    static constexpr double defaultRustupTimeout = 8.0;

    // `rustupTimeout`: seconds `rustup` may take to name the active toolchain.
    explicit ToolchainScanner(double rustupTimeout = defaultRustupTimeout) : rustupTimeout_(rustupTimeout) {}

    CleanupCategory category() const override { return CleanupCategory::toolchains; }
    bool isAvailable() const override { return true; }
    CategoryResult scan(const ScanContext& context) const override;

    // The global cache locations for the home and cache folders in force, in
    // scan order: each of the other platform's places followed by the place
    // the same tool uses here.
    static std::vector<Rule> globalRules();
    // Folder names of a project's virtual environments, in scan order.
    static const std::vector<std::string>& virtualEnvironmentNames();

    // The active toolchain's name as `rustup` tells it; none when the tool is
    // missing, fails, times out or prints nothing.
    std::optional<std::string> activeToolchain() const;
    // The first blank- or line-separated piece of `rustup`'s answer.
    static std::optional<std::string> firstWord(const std::string& output);

private:
    // The steps of scan(), in order.
    void addGlobalCaches(const ScanContext& context, Findings& found) const;
    // The installed Rust toolchains other than the active one; every
    // installed toolchain (the active one too) counts in the footprint.
    void addRustToolchains(const ScanContext& context, Findings& found) const;
    // Virtual environments inside Python projects.
    void addVirtualEnvironments(const ScanContext& context, Findings& found) const;

    double rustupTimeout_;
};

}  // namespace korvane
