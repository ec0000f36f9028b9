// Times the descriptor-based removal of a large tree against `rm -rf`, and a
// move to the Trash followed by emptying it.
//
//   build/<dir>/bench/remover [folders] [files-per-folder]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform/SafeRemover.h"
#include "core/platform/Trash_linux.h"

namespace {

void makeTree(const std::string& root, int folders, int files) {
    mkdir(root.c_str(), 0755);
    for (int d = 0; d < folders; ++d) {
        std::string folder = root + "/pkg" + std::to_string(d);
        mkdir(folder.c_str(), 0755);
        mkdir((folder + "/lib").c_str(), 0755);
        for (int f = 0; f < files; ++f) {
            std::string file = folder + (f % 2 ? "/lib/f" : "/f") + std::to_string(f) + ".js";
            int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                if (write(fd, "module.exports = 1;\n", 20) < 0) perror("write");
                close(fd);
            }
        }
    }
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int folders = argc > 1 ? std::atoi(argv[1]) : 200;
    int files = argc > 2 ? std::atoi(argv[2]) : 500;
    char base[] = "/tmp/korvane-bench-remover-XXXXXX";
    if (!mkdtemp(base)) return 1;
    const std::string root = base;
    const std::string tree = root + "/node_modules";
    std::printf("tree: %d folders x %d files = %d files\n", folders, files, folders * files);

    makeTree(tree, folders, files);
    auto start = std::chrono::steady_clock::now();
    auto result = korvane::SafeRemover::remove(tree);
    std::printf("SafeRemover::remove      %.3f s (%s)\n", seconds(start),
                result.removed() ? "removed" : "FAILED");

    makeTree(tree, folders, files);
    start = std::chrono::steady_clock::now();
    int rc = std::system(("rm -rf '" + tree + "'").c_str());
    std::printf("rm -rf                   %.3f s (%s)\n", seconds(start), rc == 0 ? "removed" : "FAILED");

    makeTree(tree, folders, files);
    korvane::FreedesktopTrash trash(root + "/Trash", root);
    start = std::chrono::steady_clock::now();
    auto moved = trash.moveToTrash(tree);
    double moveTime = seconds(start);
    start = std::chrono::steady_clock::now();
    auto purged = trash.purge(moved.trashedPath, tree);
    std::printf("Trash move               %.3f s (%s)\n", moveTime, moved.ok() ? "moved" : "FAILED");
    std::printf("Trash purge              %.3f s (%s)\n", seconds(start), purged.ok() ? "emptied" : "FAILED");

    return std::system(("rm -rf '" + root + "'").c_str()) == 0 ? 0 : 1;
}
