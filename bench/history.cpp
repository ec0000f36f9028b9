// Fills a history folder to its retention limits (400 daily snapshots of all
// nine categories, 200 cleanup reports of N outcomes each, with paths of
// realistic length) and prints the file sizes and the time of a first read
// and of a repeated one.
//
//   build/<dir>/bench/history [outcomes-per-report]
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "core/safety/HistoryStore.h"

namespace {

using namespace korvane;
using Clock = std::chrono::system_clock;

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::int64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

CleanupReport report(Clock::time_point date, int outcomes) {
    CleanupReport result;
    result.date = date;
    result.duration = 12.5;
    result.volumeBefore = VolumeInfo(994662584320, 123456789012);
    result.volumeAfter = VolumeInfo(994662584320, 133456789012);
    for (int i = 0; i < outcomes; ++i) {
        const std::string project = "/home/someone/Projects/client-work/project-number-" + std::to_string(i);
        result.outcomes.emplace_back(
            UUID::random(), CleanupCategory::node, "node_modules \u2014 project-number-" + std::to_string(i),
            project + "/packages/web-frontend/node_modules", 734003200 + i, CleanupOutcome::Status::trashed,
            std::nullopt, "/home/someone/.local/share/Trash/files/node_modules." + std::to_string(i));
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const int outcomes = argc > 1 ? std::atoi(argv[1]) : 500;
    char folderTemplate[] = "/tmp/korvane-history-XXXXXX";
    if (!::mkdtemp(folderTemplate)) return 1;
    const std::string folder = folderTemplate;
    const auto start = Clock::now();

    // The first 199 reports written as the store writes them, the last one
    // through the store itself.
    nlohmann::json reports = nlohmann::json::array();
    for (int i = 199; i >= 1; --i) reports.push_back(report(start - std::chrono::hours(24 * i), outcomes));
    std::ofstream(folder + "/" + HistoryStore::cleanupsFile) << reports.dump(2) << '\n';
    HistoryStore store(folder);
    store.record(report(start, outcomes));

    for (std::size_t day = 0; day < HistoryStore::maxSnapshots; ++day) {
        ScanResult scan;
        scan.scanDate = start - std::chrono::hours(24 * static_cast<int>(HistoryStore::maxSnapshots - day));
        scan.volume = VolumeInfo(994662584320, 123456789012);
        for (CleanupCategory category : allCleanupCategories()) {
            CategoryResult result;
            result.category = category;
            result.footprint = 123456789012;
            scan.categories.push_back(result);
        }
        store.recordSnapshot(scan);
    }

    std::printf("%d outcomes per report\n", outcomes);
    std::printf("%s: %lld bytes (%zu reports)\n", HistoryStore::cleanupsFile,
                static_cast<long long>(fileSize(folder + "/" + HistoryStore::cleanupsFile)), store.reports().size());
    std::printf("%s: %lld bytes (%zu snapshots)\n", HistoryStore::snapshotsFile,
                static_cast<long long>(fileSize(folder + "/" + HistoryStore::snapshotsFile)),
                store.snapshots().size());

    HistoryStore fresh(folder);
    auto timer = std::chrono::steady_clock::now();
    const bool any = fresh.hasReports();
    std::printf("first read of the reports: %.3f s (%s)\n", seconds(timer), any ? "some" : "none");
    timer = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) fresh.totalFreed();
    std::printf("100 more totals: %.3f s\n", seconds(timer));

    std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
