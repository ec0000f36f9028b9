#include "core/scanners/ToolchainScanner.h"

#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "core/system/ToolPlaces.h"
#include "core/scanners/DetectedProject.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

namespace {

constexpr std::int64_t oneMiB = 1048576;
constexpr std::int64_t smallestVirtualEnvironment = 20 * oneMiB;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::vector<ToolchainScanner::Rule> ToolchainScanner::globalRules() {
    const auto caches = [](const char* name) { return Paths::home("Library", "Caches", name); };
    const auto support = [](const char* relative) {
        return Paths::home("Library", "Application Support", relative);
    };
    // The same tools keep the same data in these folders here.
    const auto cacheHome = ToolPlaces::cacheHome();
    const auto xdgCache = [&cacheHome](const char* name) { return Paths::join(cacheHome, name); };
    const auto config = [](const char* relative) { return Paths::home(".config", relative); };

    const std::string pipReason =
        "Wheels pip keeps so a reinstall skips the download. Refilled automatically.";
    const auto safe = SafetyLevel::safe;
    const auto caution = SafetyLevel::caution;
    const Rule homebrew{{}, "brew.cache", "Homebrew", "Downloaded bottles",
                        "Installer archives Homebrew keeps after installing or upgrading a package. "
                        "Re-downloaded if ever needed again.",
                        "brew cleanup does the same thing", safe, oneMiB};
    const Rule goBuild{{}, "go.buildCache", "Go", "Build cache",
                       "Compiled package archives Go keeps to make rebuilds fast. Rebuilt on demand.",
                       "go build", safe, oneMiB};
    const Rule uv{{}, "python.pipCache", "Python", "uv cache",
                  "Package archives uv keeps between installs. Refilled automatically.", "uv sync", safe,
                  oneMiB};
    const Rule poetry{{}, "python.pipCache", "Python", "Poetry cache",
                      "Package archives and virtualenv metadata Poetry keeps. Refilled automatically.",
                      "poetry install", safe, oneMiB};
    const Rule jetBrains{{}, "jetbrains.caches", "Editors", "JetBrains IDE caches",
                         "Indexes and compiled caches for IntelliJ, Android Studio and friends. Rebuilt when "
                         "you next open the project, which takes a few minutes.",
                         "Rebuilt on next project open", caution, oneMiB};
    const Rule codeData{{}, "editors.caches", "Editors", "VS Code cached data",
                        "Compiled bytecode for VS Code versions you have run. Rebuilt on the next launch.",
                        "Rebuilt on next launch", safe, oneMiB};
    const Rule codeArchives{{}, "editors.caches", "Editors", "VS Code extension archives",
                            "Installer archives for extensions already installed. Nothing reads them after "
                            "install.",
                            "Re-downloadable from the Marketplace", safe, oneMiB};
    const Rule cursorData{{}, "editors.caches", "Editors", "Cursor cached data",
                          "Compiled bytecode for Cursor versions you have run. Rebuilt on the next launch.",
                          "Rebuilt on next launch", safe, oneMiB};
    const auto at = [](Rule rule, std::string url) {
        rule.url = std::move(url);
        return rule;
    };
    return {
        at(homebrew, caches("Homebrew")),
        at(homebrew, xdgCache("Homebrew")),
        {Paths::home(".cargo", "registry", "cache"), "rust.registry", "Rust", "Crate downloads",
         "Compressed crates downloaded from crates.io. Re-downloaded on the next build that needs them.",
         "cargo build", safe, oneMiB},
        {Paths::home(".cargo", "registry", "src"), "rust.registry", "Rust", "Unpacked crate sources",
         "Extracted copies of crates, unpacked from the downloads above. Cargo re-extracts them as needed.",
         "cargo build", safe, oneMiB},
        {Paths::home(".cargo", "git", "checkouts"), "rust.registry", "Rust", "Git dependency checkouts",
         "Clones of dependencies specified by git URL. Re-cloned on the next build.", "cargo build", safe,
         oneMiB},
        at(goBuild, caches("go-build")),
        at(goBuild, xdgCache("go-build")),
        {Paths::home("go", "pkg", "mod", "cache", "download"), "go.modCache", "Go", "Module downloads",
         "Zipped module versions downloaded from proxy.golang.org. Re-downloaded on the next build.",
         "go mod download", caution, oneMiB},
        {caches("pip"), "python.pipCache", "Python", "pip cache", pipReason, "pip install", safe, oneMiB},
        {xdgCache("pip"), "python.pipCache", "Python", "pip cache (XDG)", pipReason, "pip install", safe,
         oneMiB},
        at(uv, caches("uv")),
        at(uv, xdgCache("uv")),
        at(poetry, caches("pypoetry")),
        at(poetry, xdgCache("pypoetry")),
        at(jetBrains, caches("JetBrains")),
        at(jetBrains, xdgCache("JetBrains")),
        at(codeData, support("Code/CachedData")),
        at(codeData, config("Code/CachedData")),
        at(codeArchives, support("Code/CachedExtensionVSIXs")),
        at(codeArchives, config("Code/CachedExtensionVSIXs")),
        at(cursorData, support("Cursor/CachedData")),
        at(cursorData, config("Cursor/CachedData")),
    };
}

const std::vector<std::string>& ToolchainScanner::virtualEnvironmentNames() {
    static const std::vector<std::string> names{".venv", "venv"};
    return names;
}

std::optional<std::string> ToolchainScanner::firstWord(const std::string& output) {
    std::size_t start = 0;
    while (start < output.size() && isBlank(output[start])) ++start;
    if (start == output.size()) return std::nullopt;
    std::size_t end = start;
    while (end < output.size() && !isBlank(output[end])) ++end;
    return output.substr(start, end - start);
}

std::optional<std::string> ToolchainScanner::activeToolchain() const {
    try {
        const auto result = Shell::run("rustup", {"show", "active-toolchain"}, rustupTimeout_);
        if (result.status != 0) return std::nullopt;
        return firstWord(result.stdout);
    } catch (const std::exception&) {
        // Missing, too slow or not launchable: the active toolchain is unknown.
        return std::nullopt;
    }
}

CategoryResult ToolchainScanner::scan(const ScanContext& context) const {
    Findings found;
    addGlobalCaches(context, found);
    // Runs to the end even when cancelled, it is short.
    addRustToolchains(context, found);
    addVirtualEnvironments(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void ToolchainScanner::addGlobalCaches(const ScanContext& context, Findings& found) const {
    for (const auto& rule : globalRules()) {
        if (context.isCancelled()) break;
        const auto measurement = context.measure(rule.url, rule.minimumBytes);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = rule.ruleID,
                                 .groupTitle = rule.group,
                                 .title = rule.title,
                                 .path = rule.url,
                                 .size = measurement->bytes,
                                 .safety = rule.safety,
                                 .reason = rule.reason,
                                 .restoreHint = rule.restore,
                                 .lastModified = measurement->newestModification}));
    }
}

void ToolchainScanner::addRustToolchains(const ScanContext& context, Findings& found) const {
    const auto toolchains = Paths::home(".rustup", "toolchains");
    if (!isDirectory(toolchains)) return;

    const auto active = activeToolchain();
    for (const auto& entry : context.children(toolchains, true)) {
        const auto size = entry.measurement.bytes;
        if (size < 1) continue;
        found.addFootprint(size);
        const auto name = Paths::lastComponent(entry.url);
        // The active name may be shorter than the folder's ("stable" for
        // "stable-x86_64-unknown-linux-gnu").
        if (active && name.compare(0, active->size(), *active) == 0) continue;
        found.add(makeCandidate({.ruleID = "rust.toolchains",
                                 .groupTitle = "Rust Toolchains",
                                 .title = name,
                                 .path = entry.url,
                                 .size = size,
                                 .safety = SafetyLevel::caution,
                                 .reason = "A Rust toolchain that is not your default (" + active.value_or("unknown") +
                                           "). Reinstallable with rustup.",
                                 .restoreHint = "rustup toolchain install " + name,
                                 .lastModified = modificationDate(entry.url)}));
    }
}

void ToolchainScanner::addVirtualEnvironments(const ScanContext& context, Findings& found) const {
    for (const auto& project : context.projects().projects(DetectedProject::Kind::python)) {
        if (context.isCancelled()) break;
        for (const auto& name : virtualEnvironmentNames()) {
            const auto location = Paths::join(project.url, name);
            if (!exists(Paths::join(location, "pyvenv.cfg"))) continue;
            const auto measurement = context.measure(location, smallestVirtualEnvironment);
            if (!measurement) continue;
            found.addFootprint(measurement->bytes);
            found.add(makeCandidate(
                {.ruleID = "python.venvs",
                 .groupTitle = "Virtual Environments",
                 .title = project.name() + "/" + name,
                 .path = location,
                 .size = measurement->bytes,
                 .safety = SafetyLevel::caution,
                 .reason = "A Python virtual environment for this project. Recreated from its requirements file, "
                           "though anything installed ad hoc and never written down is lost.",
                 .restoreHint = "python -m venv " + name + " && pip install -r requirements.txt",
                 .lastModified = measurement->newestModification,
                 .details = {{"Last activity", context.relativeActivity(project.lastActivity)}}}));
        }
    }
}

}  // namespace korvane
