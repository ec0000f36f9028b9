// Times file search over a generated index of 250,000 entries, the size of
// a full folder-scan index.
//
//   search [ENTRIES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
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

double timeQuery(const char* label, const FileSearch::Query& query, const std::vector<Entry>& index,
                 FileSearch::Sort sort = FileSearch::Sort::size) {
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
    std::printf("%-34s %8.2f ms mean %8.2f ms best  (%zu results)\n", label, total / runs, best, found);
    return total / runs;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 250000;
    auto index = makeIndex(count);
    std::printf("index of %zu entries\n", index.size());

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
    timeQuery("empty query, name order", everything, index, FileSearch::Sort::name);

    FileSearch::Query hostile;
    hostile.text = "(a+)+$";
    hostile.isRegex = true;
    auto hostileIndex = index;
    for (std::size_t i = 0; i < hostileIndex.size(); i += 1000)
        hostileIndex[i].name = std::string(3000, 'a') + "!";
    timeQuery("hostile pattern \"(a+)+$\"", hostile, hostileIndex);
    return 0;
}
