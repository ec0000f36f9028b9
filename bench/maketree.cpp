// Builds a folder tree for measuring folder scans: COUNT files in an uneven
// tree shaped like a home folder (one top-level folder holds about a third,
// a long tail of small ones), mostly small files with a few large ones (about 10 KB a file on average), some
// symbolic and hard links. The same arguments always build the same tree.
//
//   maketree DIR [COUNT]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Folder {
    std::string path;
    int files;
};

// Splits `budget` files over a folder and its subfolders, depth first.
void plan(std::mt19937_64& random, const std::string& path, int depth, long budget,
          std::vector<Folder>& out) {
    long here = std::min<long>(budget, 5 + static_cast<long>(random() % 60));
    if (depth >= 7) here = budget;
    out.push_back({path, static_cast<int>(here)});
    budget -= here;
    if (budget <= 0) return;
    int children = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < children && budget > 0; ++i) {
        long share = i + 1 == children ? budget : budget / (children - i) + static_cast<long>(random() % 3);
        share = std::min(share, budget);
        plan(random, path + "/d" + std::to_string(i), depth + 1, share, out);
        budget -= share;
    }
}

const char* extensions[] = {".txt", ".json", ".png", ".jpg", ".js", ".mp3", ".pdf", ".dat", ".o", ".h"};

void writeFile(const std::string& path, long bytes, bool allocateOnly) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    if (allocateOnly) {
        if (posix_fallocate(fd, 0, bytes) != 0 && ftruncate(fd, bytes) != 0) std::perror(path.c_str());
    } else if (bytes > 0) {
        static const std::string block(4096, 'k');
        if (::write(fd, block.data(), static_cast<std::size_t>(bytes)) < 0) std::perror(path.c_str());
    }
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: maketree DIR [COUNT]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long count = argc > 2 ? std::atol(argv[2]) : 600000;
    std::mt19937_64 random(7);

    // Top-level shares follow 1/(i+1): a big first folder and a long tail.
    const int tops = 16;
    double weights = 0;
    for (int i = 0; i < tops; ++i) weights += 1.0 / (i + 1);
    std::vector<Folder> folders;
    long left = count;
    for (int i = 0; i < tops && left > 0; ++i) {
        long share = i + 1 == tops ? left : static_cast<long>(static_cast<double>(count) / (i + 1) / weights);
        share = std::min(share, left);
        plan(random, root + "/top" + std::to_string(i), 1, share, folders);
        left -= share;
    }
    ::mkdir(root.c_str(), 0755);
    for (const Folder& folder : folders) ::mkdir(folder.path.c_str(), 0755);

    std::atomic<std::size_t> next{0};
    auto work = [&](unsigned seed) {
        std::mt19937_64 local(seed);
        while (true) {
            std::size_t i = next.fetch_add(1);
            if (i >= folders.size()) return;
            const Folder& folder = folders[i];
            for (int f = 0; f < folder.files; ++f) {
                std::string path = folder.path + "/file" + std::to_string(f) + extensions[(i + f) % 10];
                // About 99% small files of one block, 1% of 64-512 KiB and
                // one in 20,000 of 50-60 MiB: some 6 GB for 600,000 files.
                unsigned roll = static_cast<unsigned>(local() % 100000);
                if (roll < 99000) {
                    writeFile(path, 1 + static_cast<long>(local() % 4096), false);
                } else if (roll < 99995) {
                    writeFile(path, 65536 + static_cast<long>(local() % (448 << 10)), true);
                } else {
                    writeFile(path, (50L << 20) + static_cast<long>(local() % (10L << 20)), true);
                }
                if (f == 0 && i % 50 == 0) (void)::symlink("..", (folder.path + "/up-link").c_str());
                if (f == 1 && i % 80 == 0) (void)::link(path.c_str(), (folder.path + "/hard-link").c_str());
            }
        }
    };
    std::vector<std::thread> threads;
    unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 0; t < workers; ++t) threads.emplace_back(work, 1000 + t);
    for (auto& thread : threads) thread.join();
    std::printf("%zu folders, %ld files in %s\n", folders.size() + 1, count, root.c_str());
    return 0;
}
