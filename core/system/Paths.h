#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The user's home folder and the path handling everything else relies on.
//
// The home folder is $HOME, else the password database entry, standardised
// once. A home that is "/", relative, missing or not a directory is kept but
// marked unusable, so that safety checks can refuse every removal.
class Paths {
public:
    Paths() = delete;

    // The standardised home folder ("/" when none could be found at all).
    static std::string home();
    // The home folder with the components appended in order (a component may
    // itself contain "/"), standardised.
    template <class... Parts>
        requires(sizeof...(Parts) > 0)
    static std::string home(const Parts&... parts) {
        return homeJoined({std::string_view(parts)...});
    }
    static std::string homeDirectory() { return home(); }
    static bool homeIsUsable();

    // Tests point the home folder elsewhere; nullopt forgets the override and
    // reads $HOME / the password database again on the next use.
    static void setHomeForTesting(std::optional<std::string> home);
    // Forgets the cached home so that it is read again on next use.
    static void reset();

    // Standardised form of a path: a leading "~" or "~user" expanded, "//" and
    // "/./" collapsed, ".." resolved lexically (never above "/"), trailing "/"
    // dropped. No value when the path holds a NUL byte. A relative path stays
    // relative; an empty path stays empty.
    static std::optional<std::string> standardise(std::string_view path);
    // True when the path holds no NUL byte.
    static bool isValid(std::string_view path);

    // `base` + "/" + `component` (no doubled "/"), not standardised.
    static std::string join(std::string_view base, std::string_view component);
    // The last component of a standardised path ("/" for "/").
    static std::string lastComponent(std::string_view path);
    // The path without its last component ("/" for "/a" and "/").
    static std::string parent(std::string_view path);
    // The extension of a name: what follows its last dot, unless that dot
    // starts the name ("tar" for "a.tar", "" for ".profile" and "README").
    static std::string_view extension(std::string_view name);
    // The name without its extension and that dot ("Pixel_7" for
    // "Pixel_7.avd"); a name without an extension stays whole.
    static std::string withoutExtension(std::string_view name);
    // True when `path` equals `folder` or lies below it (both standardised).
    static bool isAtOrBelow(std::string_view path, std::string_view folder);
    // Replaces the home path by "~" only as a leading component.
    static std::string abbreviatingHome(std::string_view path);

private:
    static std::string homeJoined(std::initializer_list<std::string_view> parts);
};

}  // namespace korvane
