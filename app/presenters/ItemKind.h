#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/StorageNode.h"

namespace korvane {

// What a node of a folder scan is to the person looking at it: a folder, a
// file (or package), or a sum of items too small to show one by one (a
// folder's remainder, or a canvas's tile of its smallest nodes).
enum class ItemNature { folder, file, smallerItems };

ItemNature itemNature(const StorageNode& node);
// "opticaldisc" for a disk image's name ("debian.iso", "system.img").
std::optional<std::string_view> diskImageSymbol(std::string_view name);
// "Folder", "Smaller items", or the file's kind: "Disk image", "Video",
// "Image", …, else "File".
std::string itemKindLabel(const StorageNode& node);
// The symbol beside the name: "folder", "square.stack.3d.up" for a sum,
// else the file's symbol.
std::string_view itemSymbol(const StorageNode& node);
// The symbol of a file of `kind` named `name`, the same in every list and
// canvas: "opticaldisc" for a disk image, "doc.richtext" for a PDF, the
// kind's symbol ("film" for any video), else "doc".
std::string_view fileSymbol(std::string_view name, FileKind kind);
// The symbol name of a node: its category's symbol, else what it is (a
// folder, a sum of smaller items, or a file of its kind).
std::string_view categorySymbol(const StorageNode& node);
// The folder the node lies in (a remainder's is the folder it belongs to);
// none for a node without a place, or for "/" itself.
std::optional<std::string> itemFolder(const StorageNode& node);

// Whether opening the node shows more: a folder with something in it, a
// folder's smaller items (read on demand), or a folder where another file
// system is mounted, which opens as a scan of its own.
bool opensFurther(const StorageNode& node);
// What a folder scan counts under the node: "2 files", or for a folder that
// holds only other names of files counted elsewhere, "2 files, counted in
// ~/Links/a"; none for a node no walk counted.
std::optional<std::string> walkedFilesText(const StorageNode& node);

// Whether the node comes from a folder scan's walk (a file, a folder or a
// folder's remainder), so that its counts are the walk's.
bool isWalkedNode(const StorageNode& node);
// Files and folders inside, as the walk counted them ("1,234 items"), or
// where the files are counted whose names alone a folder holds; none for a
// file, a mount point, or a node no walk counted.
std::optional<std::string> itemCountText(const StorageNode& node);

}  // namespace korvane
