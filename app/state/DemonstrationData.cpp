#include "app/state/DemonstrationData.h"

#include <string>

#include "core/system/FileDate.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

using TimePoint = std::chrono::system_clock::time_point;

CleanupCandidate placeholder(CleanupCategory category, const char* ruleID, const char* groupTitle,
                             const char* title, std::int64_t size, SafetyLevel safety, int ageDays,
                             TimePoint now) {
    return CleanupCandidate(
        UUID::random(), category, ruleID, groupTitle, title, Paths::home("Developer", title), size, safety,
        "Placeholder entry used when Korvane is launched for a screenshot.", "Rebuilt automatically",
        FileDate::shiftedByDays(now, -ageDays), {}, RemovalKind::path());
}

}  // namespace

ScanResult DemonstrationData::scan(TimePoint now) {
    using enum CleanupCategory;
    std::vector<CategoryResult> categories;
    categories.emplace_back(node, 34'110'000'000,
                            std::vector<CleanupCandidate>{
                                placeholder(node, "node.modules", "Project Dependencies", "storefront",
                                            6'900'000'000, SafetyLevel::safe, 190, now),
                                placeholder(node, "node.modules", "Project Dependencies", "atlas-api",
                                            5'600'000'000, SafetyLevel::caution, 12, now),
                                placeholder(node, "node.npmCache", "Package Manager Caches", "npm cache",
                                            1'200'000'000, SafetyLevel::safe, 3, now),
                            });
    categories.emplace_back(docker, 21'600'000'000,
                            std::vector<CleanupCandidate>{placeholder(
                                docker, "docker.unusedImages", "Unused Images", "9 images with no container",
                                7'400'000'000, SafetyLevel::caution, 420, now)});
    categories.emplace_back(
        xcode, 12'400'000'000,
        std::vector<CleanupCandidate>{placeholder(xcode, "xcode.derivedData", "Derived Data", "Atlas",
                                                  4'099'999'999, SafetyLevel::safe, 2, now)});
    ScanResult result(now, 21.4, std::move(categories), VolumeInfo(245'110'000'000, 18'400'000'000),
                      {flutter});
    result.projectCount = 62;
    return result;
}

CleanupReport DemonstrationData::report(TimePoint now) {
    using enum CleanupCategory;
    using Status = CleanupOutcome::Status;
    std::vector<CleanupOutcome> outcomes{
        {UUID::random(), node, "storefront", "~/Developer/storefront/node_modules", 6'900'000'000,
         Status::deleted, std::nullopt},
        {UUID::random(), xcode, "Atlas", "~/Library/Developer/Xcode/DerivedData/Atlas", 4'100'000'000,
         Status::deleted, std::nullopt},
        {UUID::random(), docker, "9 images with no container", std::string(CleanupOutcome::commandPath),
         7'400'000'000, Status::pruned, std::nullopt},
        {UUID::random(), node, "atlas-api", "~/Developer/atlas-api/node_modules", 5'600'000'000,
         Status::trashed, std::nullopt, Paths::join(Paths::home(), ".Trash/node_modules")},
        {UUID::random(), gradle, "Gradle 8.2 cache", "~/.gradle/caches/8.2", 900'000'000, Status::skipped,
         "Already gone"},
    };
    return CleanupReport(now, 6.2, std::move(outcomes), VolumeInfo(245'110'000'000, 18'400'000'000),
                         VolumeInfo(245'110'000'000, 36'800'000'000));
}

}  // namespace korvane
