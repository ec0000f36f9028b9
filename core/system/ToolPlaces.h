#pragma once

#include <optional>
#include <string>

namespace korvane {

// Where developer tools keep their data on this system when the environment
// moves it: the user's cache folder, the temporary folder and the Android SDK.
// Read afresh on every call, so that the scanners and the safety rules agree
// on the environment in force.
class ToolPlaces {
public:
    ToolPlaces() = delete;

    // $XDG_CACHE_HOME when it is an absolute path strictly inside the home
    // folder and free of pattern characters, else ~/.cache. A cache folder
    // elsewhere is not followed: nothing outside the home is ever offered.
    static std::string cacheHome();
    // The same for a given home folder.
    static std::string cacheHomeFor(const std::string& home);
    // $TMPDIR when it is an absolute path, else "/tmp"; standardised.
    static std::string temporaryDirectory();
    // $ANDROID_HOME, else (only when that is unset) $ANDROID_SDK_ROOT, as an
    // absolute standardised path (a relative one taken from the working
    // folder); none when unset, empty or when nothing exists at its path.
    static std::optional<std::string> environmentSdkRoot();

    // True when a path can stand in a rule's shape as plain text: absolute,
    // valid and without the characters shapes give a meaning to.
    static bool isPlainPath(const std::string& path);
};

}  // namespace korvane
