// Times one safety check of a folder thousands of levels deep (beyond
// PATH_MAX), where resolving links must stay one pass over the path.
//
//   build/<dir>/bench/deepcheck [levels...]     (default 1000 3000 5000)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/safety/SafetyPolicy.h"
#include "core/system/Paths.h"
#include "core/system/UniqueFd.h"

int main(int argc, char** argv) {
    std::vector<int> depths;
    for (int i = 1; i < argc; ++i) depths.push_back(std::atoi(argv[i]));
    if (depths.empty()) depths = {1000, 3000, 5000};
    char base[] = "/tmp/korvane-bench-deepcheck-XXXXXX";
    if (!mkdtemp(base)) return 1;
    const std::string home = base;
    setenv("HOME", base, 1);
    korvane::Paths::reset();

    for (int levels : depths) {
        const std::string top = home + "/deep" + std::to_string(levels);
        mkdir(top.c_str(), 0755);
        std::string path = top;
        korvane::UniqueFd at(open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (int i = 0; i < levels && at.valid(); ++i) {
            mkdirat(at.get(), "d", 0755);
            at.reset(openat(at.get(), "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            path += "/d";
        }
        const auto start = std::chrono::steady_clock::now();
        auto verdict = korvane::SafetyPolicy::check(path, "general.userChoice", korvane::RemovalKind::path());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%5d levels (%6zu bytes): %.4f s, %s\n", levels, path.size(), seconds,
                    verdict.isAllowed() ? "allowed" : verdict.reason().c_str());
    }
    return std::system(("rm -rf '" + home + "'").c_str()) == 0 ? 0 : 1;
}
