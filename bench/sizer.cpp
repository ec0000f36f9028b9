// Sizes a folder with one FastSizer on the calling thread and prints what it
// found and how long it took. Used by sizer-vs-du.sh.
//
//   sizer PATH [--repeat N]    (the best of N runs is printed)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/system/FastSizer.h"
#include "core/system/OpenFileLimit.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH [--repeat N]\n", argv[0]);
        return 2;
    }
    std::string path = argv[1];
    int repeat = 1;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::max(1, std::atoi(argv[i + 1]));

    korvane::raiseOpenFileLimit();
    double best = -1;
    std::optional<korvane::FastSizer::Measurement> result;
    for (int run = 0; run < repeat; ++run) {
        // A fresh sizer per run: hard links are counted once per measurement.
        korvane::FastSizer sizer;
        auto start = std::chrono::steady_clock::now();
        result = sizer.measure(path);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (best < 0 || seconds < best) best = seconds;
    }
    if (!result) {
        std::fprintf(stderr, "cannot examine %s\n", path.c_str());
        return 1;
    }
    std::printf("bytes %lld\nfiles %lld\nfolders %lld\npartial %s\nseconds %.3f\n",
                static_cast<long long>(result->bytes), static_cast<long long>(result->files),
                static_cast<long long>(result->directories), result->partial ? "yes" : "no", best);
    return 0;
}
