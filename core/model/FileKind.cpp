#include "core/model/FileKind.h"

#include <cstddef>

#include "core/text/AsciiText.h"
#include "core/system/Paths.h"

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

FileKind classifyFileKind(std::string_view name, bool isDirectory) {
    if (name.ends_with(".app")) return FileKind::apps;
    if (isDirectory) return FileKind::folders;
    const std::string extension = AsciiText::lowercased(Paths::extension(name));
    if (extension.empty()) return FileKind::any;
    for (auto kind : {FileKind::images, FileKind::video, FileKind::audio, FileKind::archives, FileKind::documents,
                      FileKind::code})
        if (extensions(kind).count(extension) != 0) return kind;
    return FileKind::any;
}

}  // namespace korvane
