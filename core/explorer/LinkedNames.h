#pragma once

#include <sys/stat.h>

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
// Package stores made of hard links hold hundreds of thousands of such names:
// their text is kept in one buffer, each folder's once.
class LinkedNames {
public:
    struct Name {
        FastSizer::InodeKey key;
        std::uint32_t folderAt = 0;  // the folder's path and the name, in the text
        std::uint32_t folderLength = 0;
        std::uint32_t nameAt = 0;
        std::uint16_t nameLength = 0;
        FileKind kind = FileKind::any;
        bool isFile = true;  // else a link or a device: its blocks are its folder's own
        std::int64_t bytes = 0;
        std::int64_t modified = 0;  // UTC seconds
    };

    // A name met in `folder`, with its status.
    void add(std::string_view folder, std::string_view name, const struct stat& st, FileKind kind);
    // Room for `names` names and `text` bytes of their folders and names.
    void reserve(std::size_t names, std::size_t text);
    std::size_t size() const { return names_.size(); }
    std::size_t textSize() const { return text_.size(); }
    // Takes over another walker's names.
    void append(LinkedNames&& other);

    std::string_view folder(const Name& name) const { return {text_.data() + name.folderAt, name.folderLength}; }
    std::string_view name(const Name& name) const { return {text_.data() + name.nameAt, name.nameLength}; }
    std::string path(const Name& name) const;

    // Counts each file under its first name into `result` (its tree, counts
    // and lists; the largest-files list is left for the caller to sort and
    // cut). A file that `counted` has seen already (a package holds a name
    // of it) is not counted again. Leaves no names behind.
    void credit(const FileTreeScanner::Options& options, AgeStamper& stamper, FastSizer::LinkSet& counted,
                FileTreeScanner::Result& result);

    // "2 files, counted in ~/Links/a", or "in 3 other folders" when the
    // files are counted in several.
    static std::string otherNamesText(std::int64_t files, std::string_view countedIn, std::int64_t folders);

private:
    // Whether `a` comes before `b` in path order.
    bool before(const Name& a, const Name& b) const;

    std::vector<Name> names_;
    std::string text_;
    // The folder last added, which the next name most likely shares.
    std::uint32_t lastFolderAt_ = 0;
    std::uint32_t lastFolderLength_ = 0;
};

}  // namespace korvane
