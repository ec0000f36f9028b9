#include "app/presenters/ItemKind.h"

#include <array>

#include "app/canvases/layout/SummaryNode.h"
#include "app/presenters/CountText.h"
#include "app/presenters/EntryListContent.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/Paths.h"
#include "core/text/AsciiText.h"

namespace korvane {

namespace {

// Kinds a person names more narrowly than the search filters do.
struct NarrowKind {
    std::string_view extension;
    std::string_view label;
    std::string_view symbol;
};

constexpr std::array<NarrowKind, 7> narrowKinds = {{
    {"iso", "Disk image", "opticaldisc"},
    {"img", "Disk image", "opticaldisc"},
    {"qcow2", "Disk image", "opticaldisc"},
    {"vmdk", "Disk image", "opticaldisc"},
    {"vdi", "Disk image", "opticaldisc"},
    {"appimage", "Application", "app.badge"},
    {"deb", "Package", "shippingbox"},
}};

const NarrowKind* narrowKind(std::string_view name) {
    const std::string extension = AsciiText::lowercased(Paths::extension(name));
    if (extension.empty()) return nullptr;
    for (const NarrowKind& kind : narrowKinds)
        if (kind.extension == extension) return &kind;
    return nullptr;
}

FileKind fileKindOf(const StorageNode& node) {
    return node.fileKind.value_or(classifyFileKind(node.name, false));
}

std::string_view fileKindLabel(FileKind kind) {
    switch (kind) {
        case FileKind::images:
            return "Image";
        case FileKind::video:
            return "Video";
        case FileKind::audio:
            return "Audio";
        case FileKind::archives:
            return "Archive";
        case FileKind::documents:
            return "Document";
        case FileKind::code:
            return "Source code";
        case FileKind::apps:
            return "Application";
        case FileKind::any:
        case FileKind::folders:
            break;
    }
    return "File";
}

}  // namespace

std::optional<std::string_view> diskImageSymbol(std::string_view name) {
    const NarrowKind* narrow = narrowKind(name);
    if (!narrow || narrow->label != "Disk image") return std::nullopt;
    return narrow->symbol;
}

ItemNature itemNature(const StorageNode& node) {
    if (isSummaryNode(node) || FileTreeScanner::isRemainderID(node.id)) return ItemNature::smallerItems;
    if (!node.isLeaf() || node.kind == StorageNode::Kind::group) return ItemNature::folder;
    return ItemNature::file;
}

std::string itemKindLabel(const StorageNode& node) {
    switch (itemNature(node)) {
        case ItemNature::folder:
            return "Folder";
        case ItemNature::smallerItems:
            return "Smaller items";
        case ItemNature::file:
            break;
    }
    if (const NarrowKind* narrow = narrowKind(node.name)) return std::string(narrow->label);
    return std::string(fileKindLabel(fileKindOf(node)));
}

std::string_view itemSymbol(const StorageNode& node) {
    switch (itemNature(node)) {
        case ItemNature::folder:
            return "folder";
        case ItemNature::smallerItems:
            return "square.stack.3d.up";
        case ItemNature::file:
            break;
    }
    if (const NarrowKind* narrow = narrowKind(node.name)) return narrow->symbol;
    // The file lists' own symbols first, so that a file looks the same there.
    if (const std::string_view listed = entryListSymbol(node.name); listed != "doc") return listed;
    const FileKind kind = fileKindOf(node);
    // A file of no known kind is a plain page, not the stack of a sum.
    if (kind == FileKind::any || kind == FileKind::folders) return "doc";
    return symbolName(kind);
}

std::optional<std::string> itemFolder(const StorageNode& node) {
    if (node.path && *node.path != "/") return Paths::parent(*node.path);
    if (FileTreeScanner::isRemainderID(node.id))
        return std::string(FileTreeScanner::remainderFolder(node.id));
    return std::nullopt;
}

bool isWalkedNode(const StorageNode& node) {
    return (node.path && node.id == *node.path) || FileTreeScanner::isRemainderID(node.id);
}

std::optional<std::string> itemCountText(const StorageNode& node) {
    if (!isWalkedNode(node) || itemNature(node) == ItemNature::file) return std::nullopt;
    return countText(std::int64_t{node.fileCount} + node.folderCount, "item");
}

}  // namespace korvane
