#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The few keys of a freedesktop desktop entry ("Foo.desktop") that name,
// start and draw an application. Only the "[Desktop Entry]" group is read,
// and only the untranslated values.
struct DesktopEntry {
    std::string name;                    // "Name"
    std::optional<std::string> exec;     // "Exec", as written
    std::optional<std::string> tryExec;  // "TryExec"
    std::optional<std::string> icon;     // "Icon": a theme name or an absolute file
    std::optional<std::string> version;  // "X-AppImage-Version", the application's own version

    friend bool operator==(const DesktopEntry&, const DesktopEntry&) = default;

    // Absent when the text has no "[Desktop Entry]" group or no "Name".
    static std::optional<DesktopEntry> parse(std::string_view text);
    // Absent when the file is missing, not a regular file, too large or not an entry.
    static std::optional<DesktopEntry> read(const std::string& path);

    // The program an "Exec" line starts: its first argument after an "env"
    // with its assignments, with the entry's quoting and escapes undone.
    // Absent when the line is empty or its quoting is broken.
    static std::optional<std::string> program(std::string_view exec);

    // The absolute paths this entry starts: "TryExec" and the program of
    // "Exec", standardised, each once.
    std::vector<std::string> launchedPaths() const;
};

}  // namespace korvane
