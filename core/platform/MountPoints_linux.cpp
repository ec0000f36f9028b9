#include "core/platform/MountPoints_linux.h"

#include "core/system/FileContents.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

// Far above what a busy container host lists.
constexpr std::int64_t kMaxTableBytes = 16 * 1024 * 1024;

bool isOctal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

// The kernel writes space, tab, newline and backslash as "\ooo".
std::string MountPoints::decodedField(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::optional<std::vector<std::string>> MountPoints::read() {
    auto text = FileContents::readSmall("/proc/self/mountinfo", kMaxTableBytes);
    if (!text || text->empty()) return std::nullopt;
    return parse(*text);
}

std::vector<std::string> MountPoints::parse(std::string_view mountinfo) {
    std::vector<std::string> points;
    std::size_t start = 0;
    while (start < mountinfo.size()) {
        std::size_t end = mountinfo.find('\n', start);
        if (end == std::string_view::npos) end = mountinfo.size();
        std::string_view line = mountinfo.substr(start, end - start);
        start = end + 1;
        // mount id, parent id, major:minor, root, mount point, …
        std::size_t field = 0;
        std::size_t at = 0;
        while (field < 4 && at != std::string_view::npos) {
            at = line.find(' ', at);
            if (at != std::string_view::npos) ++at;
            ++field;
        }
        if (at == std::string_view::npos || at >= line.size()) continue;
        std::size_t stop = line.find(' ', at);
        points.push_back(decodedField(line.substr(at, stop == std::string_view::npos ? line.size() - at : stop - at)));
    }
    return points;
}

std::optional<std::string> MountPoints::firstAtOrBelow(const std::vector<std::string>& mountPoints,
                                                       const std::vector<std::string>& folders) {
    for (const auto& point : mountPoints)
        for (const auto& folder : folders)
            if (Paths::isAtOrBelow(point, folder)) return point;
    return std::nullopt;
}

}  // namespace korvane
