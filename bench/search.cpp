// Times file search over a generated index of 250,000 entries, the size of
// a full folder-scan index: preparing the index once, then every query in
// every sort order.
//
//   search [ENTRIES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <algorithm>
#include <string>
#include <vector>

#include "core/explorer/FileSearch.h"

using korvane::FileKind;
using korvane::FileSearch;
using Entry = korvane::FileTreeScanner::Entry;

namespace {

std::vector<Entry> makeIndex(std::size_t count) {
    static const char* folders[] = {"Documents",    "Pictures", "Movies",         "Music",
                                    "Downloads",    "src",      "Library/Caches", "projects/app/node_modules",
                                    "work/reports", "Desktop"};
    static const char* stems[] = {"report",  "IMG_",  "holiday", "invoice",      "track",
                                  "backup",  "build", "notes",   "Screen Shot ", "video",
                                  "archive", "data",  "index",   "module",       "photo"};
    static const char* extensions[] = {"pdf", "jpg", "png",  "mov", "mp3",  "zip", "tar.gz", "json",
                                       "js",  "txt", "docx", "mkv", "heic", "rs",  "bin",    "dat"};
    std::mt19937_64 random(42);
    std::vector<Entry> entries;
    entries.reserve(count);
    const auto now = std::chrono::system_clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        std::string folder =
            std::string("/home/user/") + folders[random() % 10] + "/f" + std::to_string(random() % 500);
        std::string name = std::string(stems[random() % 15]) + std::to_string(random() % 100000) + "." +
                           extensions[random() % 16];
        auto size = static_cast<std::int64_t>(65536 + random() % 500'000'000);
        auto modified = now - std::chrono::seconds(random() % (86400 * 800));
        entries.push_back(Entry::make(name, folder + "/" + name, size, modified, random() % 50 == 0));
    }
    return entries;
}

double worst = 0;

void timeQuery(const char* label, const FileSearch::Query& query, const FileSearch::Index& index) {
    for (FileSearch::Sort sort : FileSearch::allSorts()) {
        const int runs = 10;
        std::size_t found = 0;
        double best = 1e9;
        double total = 0;
        for (int i = 0; i < runs; ++i) {
            auto start = std::chrono::steady_clock::now();
            found = FileSearch::run(query, index, sort, 500).size();
            double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            best = std::min(best, ms);
            total += ms;
        }
        worst = std::max(worst, total / runs);
        const std::string name = std::string(label) + ", " + std::string(FileSearch::rawValue(sort));
        std::printf("%-40s %8.2f ms mean %8.2f ms best  (%zu results)\n", name.c_str(), total / runs, best,
                    found);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 250000;
    auto entries = makeIndex(count);
    auto hostileEntries = entries;
    for (std::size_t i = 0; i < hostileEntries.size(); i += 1000)
        hostileEntries[i].name = std::string(3000, 'a') + "!";
    auto start = std::chrono::steady_clock::now();
    const FileSearch::Index index(std::move(entries));
    std::printf("index of %zu entries prepared in %.1f ms\n", index.entries().size(),
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    const FileSearch::Index hostileIndex(std::move(hostileEntries));

    FileSearch::Query plain;
    plain.text = "report";
    timeQuery("plain text \"report\"", plain, index);

    FileSearch::Query path;
    path.text = "node_modules";
    path.searchesPaths = true;
    timeQuery("path search \"node_modules\"", path, index);

    FileSearch::Query kind;
    kind.kind = FileKind::video;
    timeQuery("kind filter video", kind, index);

    FileSearch::Query regex;
    regex.text = "^(img|photo)_?[0-9]+\\.(jpe?g|heic)$";
    regex.isRegex = true;
    timeQuery("regular expression", regex, index);

    FileSearch::Query everything;
    timeQuery("empty query", everything, index);

    FileSearch::Query hostile;
    hostile.text = "(a+)+$";
    hostile.isRegex = true;
    timeQuery("hostile pattern \"(a+)+$\"", hostile, hostileIndex);
    std::printf("slowest query %.2f ms mean\n", worst);
    return 0;
}
