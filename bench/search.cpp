// Times file search over a generated index of 250,000 entries, the size of
// a full folder-scan index: preparing the index once, then every query in
// every sort order in CPU time, each beside a bare linear pass over the same names (or
// paths) in the same run: the floor of a search without an index.
//
//   search [ENTRIES]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <algorithm>
#include <string>
#include <string_view>
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
double worstRatio = 0;

// The thread's own CPU time: what a query costs, whatever else the machine
// is running (wall time on a shared machine measures the neighbours too).
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The floor: one pass over every entry's name (or path) looking for a word as
// it stands: the query's text, or for a pattern, which has no substring to
// look for, the plain query's word; for a kind filter, the extension.
std::size_t linearPass(const FileSearch::Query& query, const FileSearch::Index& index) {
    std::size_t hits = 0;
    const bool extensionOnly = query.text.empty();
    const std::string_view word = query.isRegex ? std::string_view("report") : std::string_view(query.text);
    for (const Entry& entry : index.entries()) {
        const std::string_view field = query.searchesPaths ? entry.path : entry.name;
        if (extensionOnly ? field.rfind('.') != std::string_view::npos
                          : field.find(word) != std::string_view::npos)
            ++hits;
    }
    return hits;
}

void timeQuery(const char* label, const FileSearch::Query& query, const FileSearch::Index& index) {
    for (FileSearch::Sort sort : FileSearch::allSorts()) {
        const int runs = 10;
        std::size_t found = 0;
        std::size_t floorHits = 0;
        double best = 1e9;
        double total = 0;
        double floorTotal = 0;
        for (int i = 0; i < runs; ++i) {
            double start = threadMilliseconds();
            floorHits += linearPass(query, index);
            floorTotal += threadMilliseconds() - start;
            start = threadMilliseconds();
            found = FileSearch::run(query, index, sort, 500).size();
            const double ms = threadMilliseconds() - start;
            best = std::min(best, ms);
            total += ms;
        }
        worst = std::max(worst, total / runs);
        const double ratio = total / floorTotal;
        // The empty query reads no name at all, so it has no floor to keep to.
        if (!query.isEmpty()) worstRatio = std::max(worstRatio, ratio);
        const std::string name = std::string(label) + ", " + std::string(FileSearch::rawValue(sort));
        std::printf("%-40s %8.2f ms mean %8.2f ms best  linear pass %6.2f ms  %5.2f x  (%zu results, %zu)\n",
                    name.c_str(), total / runs, best, floorTotal / runs, ratio, found, floorHits / runs);
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
    std::printf("slowest against the linear pass %.2f x\n", worstRatio);
    return 0;
}
