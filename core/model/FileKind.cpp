#include "core/model/FileKind.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/model/ExtensionTable.h"

namespace korvane {

namespace {

struct KindRow {
    FileKind kind;
    std::string_view rawValue;
    std::string_view title;
    std::string_view symbolName;
    std::set<std::string> extensions;
};

const KindRow& row(FileKind kind) {
    static const KindRow table[] = {
        {FileKind::any, "any", "Anything", "square.stack.3d.up", {}},
        {FileKind::images, "images", "Images", "photo",
         {"png", "jpg", "jpeg", "gif", "heic", "webp", "tiff", "bmp", "svg", "raw", "psd"}},
        {FileKind::video, "video", "Video", "film",
         {"mp4", "mov", "avi", "mkv", "m4v", "webm", "mpg", "mpeg", "wmv", "flv"}},
        {FileKind::audio, "audio", "Audio", "waveform", {"mp3", "wav", "aac", "flac", "m4a", "aiff", "ogg", "wma"}},
        {FileKind::archives, "archives", "Archives", "doc.zipper",
         {"zip", "tar", "gz", "bz2", "xz", "7z", "rar", "dmg", "pkg", "iso"}},
        {FileKind::documents, "documents", "Documents", "doc.text",
         {"pdf", "doc", "docx", "pages", "key", "numbers", "xls", "xlsx", "ppt", "pptx", "txt", "md", "rtf",
          "epub"}},
        {FileKind::code, "code", "Code", "chevron.left.forwardslash.chevron.right",
         {"swift", "js", "ts", "tsx", "jsx", "py", "rb", "go", "rs", "java", "kt", "c", "cpp", "h", "m", "mm",
          "json", "yml", "yaml", "sh"}},
        {FileKind::apps, "apps", "Applications", "app.badge", {}},
        {FileKind::folders, "folders", "Folders", "folder", {}},
    };
    return table[static_cast<std::size_t>(kind)];
}

}  // namespace

const std::array<FileKind, 9>& allFileKinds() {
    static constexpr std::array<FileKind, 9> all = {FileKind::any,      FileKind::images,    FileKind::video,
                                                    FileKind::audio,    FileKind::archives,  FileKind::documents,
                                                    FileKind::code,     FileKind::apps,      FileKind::folders};
    return all;
}

std::string_view rawValue(FileKind kind) { return row(kind).rawValue; }

std::optional<FileKind> fileKindFromRawValue(std::string_view text) {
    for (auto kind : allFileKinds())
        if (row(kind).rawValue == text) return kind;
    return std::nullopt;
}

std::string_view title(FileKind kind) { return row(kind).title; }
std::string_view symbolName(FileKind kind) { return row(kind).symbolName; }
const std::set<std::string>& extensions(FileKind kind) { return row(kind).extensions; }

ExtensionTable::ExtensionTable() {
    std::vector<std::pair<std::uint64_t, FileKind>> known;
    for (auto kind : allFileKinds())
        for (const std::string& extension : extensions(kind)) {
            // The lookup folds case for letters and digits only.
            const bool plain = std::all_of(extension.begin(), extension.end(), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            });
            if (plain) known.emplace_back(pack(extension), kind);
        }
    // The first of a fixed run of odd multipliers that gives every extension
    // its own slot: a few hundred tries for this many.
    const auto mixed = [](std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    };
    for (std::uint64_t seed = 0;;) {
        multiplier_ = mixed(seed += 0x9E3779B97F4A7C15ULL) | 1;
        keys_.fill(0);
        bool clash = false;
        for (const auto& [key, kind] : known) {
            const std::size_t i = slotOf(key);
            if (keys_[i] != 0) {
                clash = true;
                break;
            }
            keys_[i] = key;
            kinds_[i] = kind;
        }
        if (!clash) break;
    }
}

const ExtensionTable& ExtensionTable::get() {
    static const ExtensionTable table;
    return table;
}

std::uint64_t ExtensionTable::pack(std::string_view extension) {
    if (extension.empty() || extension.size() > 7) return 0;
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < extension.size(); ++i) {
        const char c = extension[i];
        const auto byte = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        key |= static_cast<std::uint64_t>(byte) << 8 * i;
    }
    return key | static_cast<std::uint64_t>(extension.size()) << 56;
}

FileKind classifyFileKind(std::string_view name, bool isDirectory) {
    if (isDirectory) return name.ends_with(".app") ? FileKind::apps : FileKind::folders;
    return ExtensionTable::get().kindOfFile(name);
}

}  // namespace korvane
