#include "app/presenters/ItemKind.h"

#include <array>
#include <utility>

#include "app/presenters/CountText.h"
#include "app/presenters/SummaryNode.h"
#include "app/state/TreeNavigation.h"
#include "app/theme/NodeStyle.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/Paths.h"
#include "core/text/AsciiText.h"

namespace korvane {

namespace {

// Kinds a person names more narrowly than the search filters do.
struct NarrowKind {
    std::array<std::string_view, 5> extensions;
    std::string_view label;
    std::string_view symbol;
};

constexpr std::array<NarrowKind, 4> narrowKinds = {{
    {{"iso", "img", "qcow2", "vmdk", "vdi"}, "Disk image", "opticaldisc"},
    {{"appimage"}, "Application", "app.badge"},
    {{"deb"}, "Package", "shippingbox"},
    {{"pdf"}, "Document", "doc.richtext"},
}};
constexpr const NarrowKind* diskImage = &narrowKinds[0];

const NarrowKind* narrowKind(std::string_view name) {
    const std::string extension = AsciiText::lowercased(Paths::extension(name));
    if (extension.empty()) return nullptr;
    for (const NarrowKind& kind : narrowKinds)
        for (std::string_view candidate : kind.extensions)
            if (candidate == extension) return &kind;
    return nullptr;
}

// One file of each search filter's kind; any other file is a "File".
constexpr std::array<std::pair<FileKind, std::string_view>, 7> fileKindLabels = {{
    {FileKind::images, "Image"},
    {FileKind::video, "Video"},
    {FileKind::audio, "Audio"},
    {FileKind::archives, "Archive"},
    {FileKind::documents, "Document"},
    {FileKind::code, "Source code"},
    {FileKind::apps, "Application"},
}};

std::string_view fileKindLabel(FileKind kind) {
    for (const auto& [each, label] : fileKindLabels)
        if (each == kind) return label;
    return "File";
}

}  // namespace

std::optional<std::string_view> diskImageSymbol(std::string_view name) {
    if (narrowKind(name) != diskImage) return std::nullopt;
    return diskImage->symbol;
}

ItemNature itemNature(const StorageNode& node) {
    if (isSummaryNode(node) || FileTreeScanner::isRemainderID(node.id)) return ItemNature::smallerItems;
    if (!node.isLeaf() || node.kind == StorageNode::Kind::group) return ItemNature::folder;
    return ItemNature::file;
}

bool opensFurther(const StorageNode& node) {
    return TreeNavigation::opens(node) || FileTreeScanner::isMountPoint(node);
}

std::optional<std::string> walkedFilesText(const StorageNode& node) {
    if (!isWalkedNode(node)) return std::nullopt;
    if (node.fileCount == 0) {
        const auto other = node.details.find(FileTreeScanner::otherNamesDetail);
        if (other != node.details.end()) return other->second;
    }
    return countText(node.fileCount, "file");
}

std::string itemKindLabel(const StorageNode& node) {
    if (FileTreeScanner::isMountPoint(node)) return "Mount point";
    switch (itemNature(node)) {
        case ItemNature::folder:
            return "Folder";
        case ItemNature::smallerItems:
            return "Smaller items";
        case ItemNature::file:
            break;
    }
    if (const NarrowKind* narrow = narrowKind(node.name)) return std::string(narrow->label);
    return std::string(fileKindLabel(nodeFileKind(node)));
}

std::string_view itemSymbol(const StorageNode& node) {
    if (FileTreeScanner::isMountPoint(node)) return "externaldrive";
    switch (itemNature(node)) {
        case ItemNature::folder:
            return "folder";
        case ItemNature::smallerItems:
            return "square.stack.3d.up";
        case ItemNature::file:
            break;
    }
    return fileSymbol(node.name, nodeFileKind(node));
}

std::string_view fileSymbol(std::string_view name, FileKind kind) {
    if (const NarrowKind* narrow = narrowKind(name)) return narrow->symbol;
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
    if (!isWalkedNode(node) || itemNature(node) == ItemNature::file || FileTreeScanner::isMountPoint(node))
        return std::nullopt;
    // Nothing counted here, but names of files counted elsewhere: it says so.
    if (node.fileCount == 0 && node.folderCount == 0)
        if (const auto other = node.details.find(FileTreeScanner::otherNamesDetail); other != node.details.end())
            return other->second;
    return countText(std::int64_t{node.fileCount} + node.folderCount, "item");
}

std::string_view categorySymbol(const StorageNode& node) {
    if (node.category) return symbolName(*node.category);
    return itemSymbol(node);
}

}  // namespace korvane
