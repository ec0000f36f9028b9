#include "core/scanners/NodeScanner.h"

#include <sys/stat.h>

#include <climits>
#include <limits>
#include <map>

#include "core/text/AsciiText.h"
#include "core/text/ByteFormat.h"
#include "core/system/FolderListing.h"
#include "core/system/Paths.h"
#include "core/system/RealPath.h"
#include "core/system/Shell.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

namespace {

constexpr std::int64_t oneMiB = 1048576;
constexpr std::int64_t buildOutputMinimum = 20 * oneMiB;

// A whole decimal number with an optional sign; none for anything else or a
// value beyond 64 bits.
std::optional<std::int64_t> wholeNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (negative) {
            if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10) return std::nullopt;
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return std::nullopt;
            value = value * 10 + digit;
        }
    }
    return value;
}

bool isSymbolicLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

const std::vector<NodeScanner::BuildOutput>& NodeScanner::buildOutputs() {
    static const std::vector<BuildOutput> rows{
        {".next", "node.nextBuild", "Next.js build output",
         "Compiled pages and server bundles. Recreated by the next build."},
        {".turbo", "node.viteCache", "Turborepo cache", "Task output cache. Recreated by the next task run."},
        {".parcel-cache", "node.viteCache", "Parcel cache", "Bundler cache. Recreated by the next build."},
    };
    return rows;
}

std::vector<NodeScanner::PackageManagerCache> NodeScanner::packageManagerCaches() {
    return {
        {Paths::home(".npm", "_cacache"), "node.npmCache", "npm cache",
         "Tarballs npm keeps so a reinstall skips the download. npm refills it as needed.",
         "npm cache verify"},
        {Paths::home(".npm", "_logs"), "node.npmCache", "npm logs",
         "Debug logs written when an install fails.", std::nullopt},
        {Paths::home("Library", "Caches", "Yarn"), "node.yarnCache", "Yarn cache",
         "Packages Yarn keeps for offline installs. Re-downloaded when missing.", "yarn install"},
        {Paths::home(".yarn", "berry", "cache"), "node.yarnCache", "Yarn Berry cache",
         "Zip archives of packages for Yarn 2+. Re-downloaded when missing.", "yarn install"},
        {Paths::home(".bun", "install", "cache"), "node.bunCache", "Bun cache",
         "Packages Bun keeps between installs. Re-downloaded when missing.", "bun install"},
        {Paths::home("Library", "Caches", "deno"), "node.denoCache", "Deno cache",
         "Modules Deno downloaded for your scripts. Re-fetched on next run.", "deno cache"},
    };
}

const std::vector<std::pair<std::string, std::string>>& NodeScanner::lockfiles() {
    static const std::vector<std::pair<std::string, std::string>> rows{{"pnpm-lock.yaml", "pnpm"},
                                                                       {"yarn.lock", "yarn"},
                                                                       {"bun.lockb", "bun"},
                                                                       {"package-lock.json", "npm"}};
    return rows;
}

bool NodeScanner::isAvailable() const {
    return Shell::resolve("node").has_value() || exists(Paths::home(".npm")) || exists(Paths::home(".nvm"));
}

std::optional<std::string> NodeScanner::installer(const DetectedProject& project) {
    for (const auto& [file, manager] : lockfiles())
        if (exists(Paths::join(project.url, file))) return manager;
    return std::nullopt;
}

std::optional<std::int64_t> NodeScanner::packageCount(const std::string& nodeModules) {
    const auto names = FolderListing::names(nodeModules);
    if (!names) return std::nullopt;
    std::int64_t count = 0;
    for (const auto& name : *names) {
        if (name.front() == '.') continue;
        if (name.front() == '@') {
            const auto scoped = FolderListing::names(Paths::join(nodeModules, name));
            count += scoped ? static_cast<std::int64_t>(scoped->size()) : 0;
        } else {
            count += 1;
        }
    }
    return count;
}

std::optional<int> NodeScanner::daysSinceActivity(const DetectedProject& project,
                                                  const ScanContext& context) {
    if (!project.lastActivity) return std::nullopt;
    return context.daysSince(*project.lastActivity);
}

bool NodeScanner::isStale(const DetectedProject& project, const ScanContext& context) {
    const auto days = daysSinceActivity(project, context);
    return days && *days >= context.settings().effectiveStaleProjectDays();
}

std::vector<std::int64_t> NodeScanner::versionNumbers(std::string_view name) {
    if (!name.empty() && name.front() == 'v') name.remove_prefix(1);
    std::vector<std::int64_t> numbers;
    while (!name.empty()) {
        const auto dot = name.find('.');
        const auto part = name.substr(0, dot);
        if (const auto number = wholeNumber(part)) numbers.push_back(*number);
        if (dot == std::string_view::npos) break;
        name.remove_prefix(dot + 1);
    }
    return numbers;
}

bool NodeScanner::isNewerVersion(std::string_view a, std::string_view b) {
    const auto left = versionNumbers(a);
    const auto right = versionNumbers(b);
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const auto x = i < left.size() ? left[i] : 0;
        const auto y = i < right.size() ? right[i] : 0;
        if (x != y) return x > y;
    }
    return false;
}

std::vector<std::string> NodeScanner::pnpmStorePath() const {
    std::vector<std::string> locations;
    try {
        const auto result = Shell::run("pnpm", {"store", "path"}, limits_.pnpm);
        if (result.status == 0) {
            const auto text = AsciiText::trimmed(result.stdout);
            // Only an absolute path is meaningful here; anything else would be
            // judged against the current directory.
            if (!text.empty() && text.front() == '/') {
                const auto path = Paths::standardise(text);
                if (path && exists(*path)) locations.push_back(*path);
            }
        }
    } catch (const std::exception&) {
        // pnpm missing or silent: the fixed places still count.
    }
    for (const auto& fixed : {Paths::home("Library", "pnpm", "store"), Paths::home(".pnpm-store"),
                              Paths::home("Library", "Caches", "pnpm")}) {
        if (!exists(fixed)) continue;
        bool listed = false;
        for (const auto& location : locations) listed = listed || location == fixed;
        if (!listed) locations.push_back(fixed);
    }

    // A location that is itself a link would be measured as the link alone;
    // its target is judged under its own name when listed.
    std::erase_if(locations, isSymbolicLink);

    // pnpm usually reports a versioned folder inside one of the fixed places
    // ("…/store/v3"); measuring both would count its bytes twice.
    std::vector<std::string> real;
    for (const auto& location : locations) real.push_back(RealPath::resolved(location));
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < locations.size(); ++i) {
        bool covered = false;
        for (std::size_t j = 0; j < locations.size() && !covered; ++j) {
            if (i == j || !Paths::isAtOrBelow(real[i], real[j])) continue;
            covered = real[i] != real[j] || j < i;
        }
        if (!covered) kept.push_back(locations[i]);
    }
    return kept;
}

std::optional<std::string> NodeScanner::activeNodeVersion() const {
    try {
        const auto result = Shell::run("node", {"--version"}, limits_.node);
        if (result.status != 0) return std::nullopt;
        return AsciiText::trimmed(result.stdout);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

CategoryResult NodeScanner::scan(const ScanContext& context) const {
    const auto projects = context.projects().projects(DetectedProject::Kind::node);
    Findings found;
    addProjectDependencies(context, projects, found);
    addBuildOutput(context, projects, found);
    addPackageManagerCaches(context, found);
    // After node_modules, so that files hard-linked into a project were
    // already counted there and add nothing here.
    addPnpmStore(context, found);
    addUnusedNodeVersions(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void NodeScanner::addProjectDependencies(const ScanContext& context, const std::vector<DetectedProject>& projects,
                                         Findings& found) const {
    std::vector<std::string> modulePaths;
    for (const auto& project : projects) modulePaths.push_back(Paths::join(project.url, "node_modules"));
    std::map<std::string, FastSizer::Measurement> modules;
    for (auto& entry : context.measureExisting(modulePaths, oneMiB)) modules.emplace(entry.url, entry.measurement);

    for (std::size_t i = 0; i < projects.size(); ++i) {
        if (context.isCancelled()) break;
        const auto& project = projects[i];
        const auto measured = modules.find(modulePaths[i]);
        if (measured == modules.end()) continue;
        const auto& measurement = measured->second;
        found.addFootprint(measurement.bytes);

        const int days = daysSinceActivity(project, context).value_or(0);
        const bool stale = isStale(project, context);
        const auto activity = context.relativeActivity(project.lastActivity);
        const auto manager = installer(project);

        Details details;
        if (const auto packages = packageCount(modulePaths[i]))
            details["Packages"] = ByteFormat::groupedInteger(*packages);
        details["Last activity"] = activity;
        if (manager) details["Installed with"] = *manager;

        found.add(makeCandidate(
            {.ruleID = "node.modules",
             .groupTitle = "Project Dependencies",
             .title = project.name(),
             .path = modulePaths[i],
             .size = measurement.bytes,
             .safety = stale ? SafetyLevel::safe : SafetyLevel::caution,
             .reason =
                 stale ? "Dependencies for a project with no activity for " + std::to_string(days) +
                             " days. Every package here is listed in package.json and reinstalls from the "
                             "registry."
                       : "Dependencies for a project you worked on " +
                             (project.lastActivity ? activity : AsciiText::lowercased(activity)) +
                             ". They reinstall from package.json, but you will need to run the install "
                             "again before your next build.",
             .restoreHint = manager.value_or("npm") + " install",
             .lastModified = project.lastActivity,
             .details = std::move(details)}));
    }
}

void NodeScanner::addBuildOutput(const ScanContext& context, const std::vector<DetectedProject>& projects,
                                 Findings& found) const {
    std::vector<std::string> outputFolders;
    for (const auto& row : buildOutputs()) outputFolders.push_back(row.folder);
    for (const auto& [p, r, entry] : context.measureInProjects(projects, outputFolders, buildOutputMinimum)) {
        const auto& row = buildOutputs()[r];
        found.addFootprint(entry.measurement.bytes);
        found.add(makeCandidate({.ruleID = row.ruleID,
                                 .groupTitle = "Build Output",
                                 .title = projects[p].name() + " · " + row.title,
                                 .path = entry.url,
                                 .size = entry.measurement.bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = "Recreated on next build",
                                 .lastModified = entry.measurement.newestModification}));
    }
}

void NodeScanner::addPackageManagerCaches(const ScanContext& context, Findings& found) const {
    for (const auto& row : packageManagerCaches()) {
        const auto measurement = context.measure(row.location, oneMiB);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = row.ruleID,
                                 .groupTitle = "Package Manager Caches",
                                 .title = row.title,
                                 .path = row.location,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = row.restoreHint,
                                 .lastModified = measurement->newestModification}));
    }
}

void NodeScanner::addPnpmStore(const ScanContext& context, Findings& found) const {
    for (const auto& location : pnpmStorePath()) {
        const auto measurement = context.measure(location, oneMiB);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate(
            {.ruleID = "node.pnpmStore",
             .groupTitle = "Package Manager Caches",
             .title = "pnpm store",
             .path = location,
             .size = measurement->bytes,
             .safety = SafetyLevel::caution,
             .reason = "pnpm hard-links every package from this store into each project's node_modules. "
                       "Removing it forces a full re-download the next time any pnpm project installs.",
             .restoreHint = "pnpm install",
             .lastModified = measurement->newestModification,
             .details = {{"Note", "Only the bytes not shared with an existing node_modules are counted"}}}));
    }
}

void NodeScanner::addUnusedNodeVersions(const ScanContext& context, Findings& found) const {
    const auto versions = Paths::home(".nvm", "versions", "node");
    if (!isDirectory(versions)) return;
    const auto active = activeNodeVersion();
    const auto entries = context.children(versions, true);
    if (entries.empty()) return;

    std::string newest = Paths::lastComponent(entries.front().url);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const auto name = Paths::lastComponent(entries[i].url);
        if (isNewerVersion(name, newest)) newest = name;
    }

    const std::string activeText = active.value_or("unknown");
    for (const auto& entry : entries) {
        if (entry.measurement.bytes < 1) continue;
        found.addFootprint(entry.measurement.bytes);
        const auto name = Paths::lastComponent(entry.url);
        if ((active && name == *active) || name == newest) continue;
        found.add(makeCandidate(
            {.ruleID = "node.nvmVersions",
             .groupTitle = "Unused Node Versions",
             .title = "Node " + name,
             .path = entry.url,
             .size = entry.measurement.bytes,
             .safety = SafetyLevel::caution,
             .reason = "A Node runtime installed through nvm that is neither your active version (" + activeText +
                       ") nor the newest one installed.",
             .restoreHint = "nvm install " + name,
             .lastModified = modificationDate(entry.url),
             .details = {{"Active version", activeText}}}));
    }
}

}  // namespace korvane
