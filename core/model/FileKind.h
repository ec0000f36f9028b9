#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace korvane {

// The file kinds the search filters by and the folder tree colours by.
enum class FileKind : std::uint8_t { any, images, video, audio, archives, documents, code, apps, folders };

const std::array<FileKind, 9>& allFileKinds();
std::string_view rawValue(FileKind kind);
std::optional<FileKind> fileKindFromRawValue(std::string_view text);
std::string_view title(FileKind kind);
std::string_view symbolName(FileKind kind);
// Lower-case extensions without the dot; empty for any, apps and folders.
const std::set<std::string>& extensions(FileKind kind);

// The kind of an entry by its name: "*.app" is apps (folders too), other
// folders are folders, else by the lower-cased extension; hidden names
// without another dot and unknown extensions are any.
FileKind classifyFileKind(std::string_view name, bool isDirectory);

}  // namespace korvane
