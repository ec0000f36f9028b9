#include "core/explorer/ScanWorker.h"

#include <sys/stat.h>

namespace korvane {

namespace {

// Deeper than this below a package, its folders are not read (like the sizer).
constexpr int packageDepthLimit = 63;

}  // namespace

std::int64_t ScanWorker::packageContents(int readerDepth, dev_t device, int depth, FastSizer::LinkSet& links,
                                         const Flag& cancelled) {
    DirectoryReader& folder = reader(readerDepth);
    std::int64_t total = 0;
    DirectoryReader::Entry entry;
    while (folder.next(entry)) {
        if (cancelled.value()) break;
        const char* name = entry.name;
        if (isSkippedName(name)) continue;
        struct stat st {};
        if (fstatat(folder.fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        // Another file system mounted inside counts for nothing, as for du -x.
        if (st.st_dev != device) continue;
        if (S_ISDIR(st.st_mode)) {
            total += static_cast<std::int64_t>(st.st_blocks) * 512;
            if (depth + 1 > packageDepthLimit) continue;
            DirectoryReader& below = reader(readerDepth + 1);
            below.reset(folder.openChild(name));
            if (below.isOpen()) total += packageContents(readerDepth + 1, device, depth + 1, links, cancelled);
            below.reset();
            continue;
        }
        if (st.st_nlink > 1 && !links.claim(st)) continue;
        total += static_cast<std::int64_t>(st.st_blocks) * 512;
    }
    return total;
}

}  // namespace korvane
