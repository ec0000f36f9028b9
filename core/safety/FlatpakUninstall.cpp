#include "core/safety/FlatpakUninstall.h"

#include <sys/stat.h>

#include <vector>

namespace korvane {

namespace {

constexpr std::string_view verb = "uninstall";
constexpr std::string_view quiet = "--noninteractive";
constexpr std::string_view userOption = "--user";
constexpr std::string_view systemOption = "--system";

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool FlatpakUninstall::isValidApplicationID(std::string_view id) {
    if (id.empty() || id.size() > 255) return false;
    int parts = 0;
    std::size_t start = 0;
    while (start <= id.size()) {
        std::size_t end = id.find('.', start);
        if (end == std::string_view::npos) end = id.size();
        const std::string_view part = id.substr(start, end - start);
        if (part.empty() || isAsciiDigit(part.front()) || part.front() == '-') return false;
        for (char c : part)
            if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '_' && c != '-') return false;
        ++parts;
        start = end + 1;
    }
    return parts >= 3;
}

RemovalKind FlatpakUninstall::removal(const std::string& id, Installation installation) {
    return RemovalKind::command(
        ExternalTool::flatpak,
        {std::string(verb), std::string(quiet),
         std::string(installation == Installation::user ? userOption : systemOption), id});
}

bool FlatpakUninstall::isAllowed(const RemovalKind& removal) {
    if (!removal.isCommand() || removal.tool != ExternalTool::flatpak) return false;
    const auto& arguments = removal.arguments;
    return arguments.size() == 4 && arguments[0] == verb && arguments[1] == quiet &&
           (arguments[2] == userOption || arguments[2] == systemOption) && isValidApplicationID(arguments[3]);
}

bool FlatpakUninstall::isDeployed(const std::string& applicationFolder) {
    // "current" and "active" are links, followed as flatpak follows them.
    const std::string deploy = applicationFolder + "/current/active";
    struct stat st {};
    if (::lstat((deploy + "/metadata").c_str(), &st) == 0 && S_ISREG(st.st_mode)) return true;
    return ::stat((deploy + "/files").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace korvane
