#include "core/explorer/DesktopEntry.h"

#include <algorithm>

#include "core/system/FileContents.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

constexpr std::int64_t maximumEntryBytes = 256 * 1024;

std::string_view trimmedOfSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The escapes a value of type string may hold ("\s", "\n", "\t", "\r", "\\").
std::string unescapedValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += value[i];
                break;
        }
    }
    return out;
}

// Splits an Exec line into its arguments: blanks separate them, double
// quotes group them, and inside quotes a backslash escapes the next
// character. Absent for an unclosed quote.
std::optional<std::vector<std::string>> execArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size()) {
                current += line[++i];
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inArgument) arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted) return std::nullopt;
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

bool isAssignment(const std::string& argument) {
    const auto equals = argument.find('=');
    return equals != std::string::npos && equals > 0 && argument.find('/') > equals;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
    DesktopEntry entry;
    bool inGroup = false;
    bool seenGroup = false;
    bool hasName = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = trimmedOfSpaces(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            // Keys of the first "[Desktop Entry]" group only; actions come later.
            if (seenGroup && inGroup) break;
            inGroup = line == "[Desktop Entry]";
            seenGroup = seenGroup || inGroup;
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trimmedOfSpaces(line.substr(0, equals));
        const std::string value = unescapedValue(trimmedOfSpaces(line.substr(equals + 1)));
        // The first value of a key counts; translated keys ("Name[de]") are other keys.
        if (key == "Name" && !hasName) {
            entry.name = value;
            hasName = !value.empty();
        } else if (key == "Exec" && !entry.exec) {
            entry.exec = value;
        } else if (key == "TryExec" && !entry.tryExec) {
            entry.tryExec = value;
        } else if (key == "Icon" && !entry.icon && !value.empty()) {
            entry.icon = value;
        } else if (key == "X-AppImage-Version" && !entry.version && !value.empty()) {
            entry.version = value;
        }
    }
    if (!seenGroup || !hasName) return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const std::string& path) {
    const auto text = FileContents::readSmall(path, maximumEntryBytes);
    if (!text) return std::nullopt;
    return parse(*text);
}

std::optional<std::string> DesktopEntry::program(std::string_view exec) {
    const auto arguments = execArguments(exec);
    if (!arguments) return std::nullopt;
    std::size_t i = 0;
    if (i < arguments->size() && (*arguments)[i] == "env") {
        ++i;
        while (i < arguments->size() && isAssignment((*arguments)[i])) ++i;
    }
    if (i >= arguments->size() || (*arguments)[i].empty()) return std::nullopt;
    return (*arguments)[i];
}

std::vector<std::string> DesktopEntry::launchedPaths() const {
    std::vector<std::string> paths;
    auto add = [&paths](const std::optional<std::string>& candidate) {
        if (!candidate || candidate->empty() || candidate->front() != '/') return;
        auto standard = Paths::standardise(*candidate);
        if (standard && std::find(paths.begin(), paths.end(), *standard) == paths.end())
            paths.push_back(std::move(*standard));
    };
    add(tryExec);
    if (exec) add(program(*exec));
    return paths;
}

}  // namespace korvane
