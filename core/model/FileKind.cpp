#include "core/model/FileKind.h"

#include <cstddef>
#include <cstdint>

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

namespace {

// Every known extension packed into one 64-bit word with its length (they
// are all at most seven letters), in an open-addressed table: one lookup per name instead of
// a lower-cased copy and up to six set searches.
class ExtensionTable {
public:
    ExtensionTable() {
        for (auto kind : allFileKinds())
            for (const std::string& extension : extensions(kind)) insert(pack(extension), kind);
    }

    FileKind find(std::uint64_t key) const {
        for (std::size_t i = slotOf(key);; i = (i + 1) % slotCount) {
            if (slots_[i].key == key) return slots_[i].kind;
            if (slots_[i].key == 0) return FileKind::any;
        }
    }

    // The length and lower-cased ASCII letters of `extension`; 0 when it is
    // empty or longer than any known one.
    static std::uint64_t pack(std::string_view extension) {
        if (extension.empty() || extension.size() > 7) return 0;
        std::uint64_t key = 0;
        for (char c : extension) {
            const auto byte = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            key = key << 8 | byte;
        }
        return key | static_cast<std::uint64_t>(extension.size()) << 56;
    }

private:
    static constexpr std::size_t slotCount = 256;
    struct Slot {
        std::uint64_t key = 0;
        FileKind kind = FileKind::any;
    };

    static std::size_t slotOf(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15ULL) >> 56; }

    void insert(std::uint64_t key, FileKind kind) {
        std::size_t i = slotOf(key);
        while (slots_[i].key != 0) i = (i + 1) % slotCount;
        slots_[i] = {key, kind};
    }

    std::array<Slot, slotCount> slots_{};
};

}  // namespace

FileKind classifyFileKind(std::string_view name, bool isDirectory) {
    if (name.ends_with(".app")) return FileKind::apps;
    if (isDirectory) return FileKind::folders;
    // The extension is packed as it is read from the end: no known one is
    // longer than seven letters, and a leading dot never starts one.
    std::uint64_t key = 0;
    std::size_t letters = 0;
    for (std::size_t at = name.size(); at-- > 1 && letters <= 7; ++letters) {
        const char c = name[at];
        if (c == '.') {
            if (letters == 0) return FileKind::any;
            static const ExtensionTable table;
            return table.find(key | static_cast<std::uint64_t>(letters) << 56);
        }
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c))
               << 8 * letters;
    }
    return FileKind::any;
}

}  // namespace korvane
