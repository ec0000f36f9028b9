#include "app/state/PlatformWords.h"

namespace korvane::platformWords {

std::string fileManager(std::string_view desktopName) {
    return std::string(desktopName.empty() ? defaultFileManager : desktopName);
}

std::string showIn(std::string_view desktopName) { return "Show in " + fileManager(desktopName); }

std::string revealIn(std::string_view desktopName) { return "Reveal in " + fileManager(desktopName); }

std::string volumeTitle(std::string_view volumeName, std::string_view folder) {
    return std::string(volumeName.empty() ? folder : volumeName);
}

std::string swapWarning(std::string_view swapUsed) {
    return "Swap in use: " + std::string(swapUsed) + " \u2014 the kernel is moving memory out to disk.";
}

std::string kernelFilesNotScanned(std::string_view folder, std::string_view type) {
    return std::string(folder) + " holds the kernel\u2019s own files (" + std::string(type) +
           "), which are not scanned";
}

}  // namespace korvane::platformWords
