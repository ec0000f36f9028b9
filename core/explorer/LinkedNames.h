#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "core/model/FileKind.h"
#include "core/system/FastSizer.h"

namespace korvane {

class AgeStamper;

// The names of files with several hard links that a folder scan meets. The
// walk sets them aside, since which name it meets first depends on which
// worker gets there first; once it is done each file is counted under its
// first name in path order (folder by folder, as a walk in name order would
// meet them), so that every scan of an unchanged tree gives the same tree.
// The folders that hold only other names say where the file is counted.
class LinkedNames {
public:
    struct Name {
        FastSizer::InodeKey key;
        std::string path;  // the name's full path
        std::int64_t bytes = 0;
        std::int64_t modified = 0;  // UTC seconds
        FileKind kind = FileKind::any;
        bool isFile = true;  // else a link or a device: its blocks are its folder's own

        std::string_view folder() const;
        std::string_view name() const;
    };

    LinkedNames(const FileTreeScanner::Options& options, AgeStamper& stamper);

    // Counts each file of `names` under its first name into `result` (its
    // tree, counts and lists). A file that `counted` has seen already (a
    // package holds a name of it) is not counted again.
    void credit(std::vector<Name> names, FastSizer::LinkSet& counted, FileTreeScanner::Result& result);

    // "2 files, counted in ~/Links/a", or "in 3 other folders" when the
    // files are counted in several.
    static std::string otherNamesText(std::int64_t files, std::string_view countedIn, std::int64_t folders);

private:
    const FileTreeScanner::Options& options_;
    AgeStamper& stamper_;
};

}  // namespace korvane
