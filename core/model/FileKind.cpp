#include "core/model/FileKind.h"

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

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
// are all at most seven letters), in a table where each has a slot of its
// own: a lookup reads one slot and compares once, with no branch on the name
// that the processor would have to guess.
class ExtensionTable {
public:
    ExtensionTable() {
        std::vector<std::pair<std::uint64_t, FileKind>> known;
        for (auto kind : allFileKinds())
            for (const std::string& extension : extensions(kind)) known.emplace_back(pack(extension), kind);
        // The first of a fixed run of odd multipliers that gives every
        // extension its own slot: about a hundred tries for this many.
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

    FileKind find(std::uint64_t key) const {
        const std::size_t i = slotOf(key);
        return keys_[i] == key ? kinds_[i] : FileKind::any;
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
    static constexpr int slotBits = 9;
    static std::uint64_t mixed(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t slotOf(std::uint64_t key) const { return (key * multiplier_) >> (64 - slotBits); }

    std::uint64_t multiplier_ = 0;
    std::array<std::uint64_t, std::size_t{1} << slotBits> keys_{};  // 0: no extension
    std::array<FileKind, std::size_t{1} << slotBits> kinds_{};
};

// Built on first use; apart, so that the lookup on every name carries
// neither the building's frame nor its guard.
std::atomic<const ExtensionTable*> builtTable{nullptr};

[[gnu::noinline]] const ExtensionTable& buildExtensionTable() {
    static const ExtensionTable table;
    builtTable.store(&table, std::memory_order_release);
    return table;
}

const ExtensionTable& extensionTable() {
    const ExtensionTable* table = builtTable.load(std::memory_order_acquire);
    return table ? *table : buildExtensionTable();
}

}  // namespace

FileKind classifyFileKind(std::string_view name, bool isDirectory) {
    // A folder scan asks for every file it meets, so the last eight bytes
    // are read as one word (the name's last byte highest) and searched for
    // the last dot all at once. No known extension is longer than seven
    // letters, and a leading dot never starts one.
    const std::size_t size = name.size();
    if (size == 0) return isDirectory ? FileKind::folders : FileKind::any;
    std::uint64_t tail = 0;
    if (size >= 8) {
        std::memcpy(&tail, name.data() + size - 8, sizeof tail);
        if constexpr (std::endian::native == std::endian::big) tail = __builtin_bswap64(tail);
    } else {
        for (std::size_t i = 0; i < size; ++i)
            tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << 8 * (8 - size + i);
    }
    constexpr std::uint64_t dotApp = 0x7070612eULL;  // ".app", first byte lowest
    if (size >= 4 && tail >> 32 == dotApp) return FileKind::apps;
    if (isDirectory) return FileKind::folders;

    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t low7 = 0x7f * ones, high = 0x80 * ones;
    // A high bit in each byte that is a dot (exact: no borrow between bytes).
    const std::uint64_t x = tail ^ ('.' * ones);
    std::uint64_t dots = ~(((x & low7) + low7) | x) & high;
    if (size <= 8) dots &= ~(std::uint64_t{0x80} << 8 * (8 - size));  // the name's first byte
    if (dots == 0) return FileKind::any;
    const int lastDot = (63 - std::countl_zero(dots)) / 8;
    const int letters = 7 - lastDot;
    if (letters == 0) return FileKind::any;
    // The letters after the dot, the last one lowest, ASCII lower-cased.
    std::uint64_t key = __builtin_bswap64(tail) & ((std::uint64_t{1} << 8 * letters) - 1);
    const std::uint64_t h = key & low7;
    const std::uint64_t upper = (h + (0x80 - 'A') * ones) & ~(h + (0x80 - 'Z' - 1) * ones) & ~key & high;
    key |= upper >> 2;
    return extensionTable().find(key | static_cast<std::uint64_t>(letters) << 56);
}

}  // namespace korvane
