#pragma once

#include <string>
#include <string_view>

namespace korvane::platformWords {

// The texts that speak of the computer Korvane runs on, its file manager,
// its kernel and its disk, gathered so that every screen and test reads them
// from one place (the README's platform section lists them).

inline constexpr std::string_view scanThisComputer = "Scan this computer";
inline constexpr std::string_view cleanWholeComputer = "Clean my whole computer";
inline constexpr std::string_view filesStayHere =
    "Nothing is removed until you choose it. Your files never leave this computer.";
inline constexpr std::string_view generalModeBlurb =
    "Any folder on this computer \u2014 what is big, what is old, what to remove";
inline constexpr std::string_view nothingScannedMessage =
    "Scan your Home folder, or pick any folder on this computer, to see where the space went.";
inline constexpr std::string_view scanningStaysHere =
    "Scanning happens entirely on this computer. No file names, paths or contents are ever sent anywhere.";
inline constexpr std::string_view onMyComputer = "on my computer";
inline constexpr std::string_view statisticsSource = "Read straight from /proc and /sys";
// The live statistics' kinds of memory, in the kernel's terms: what programs
// hold, what the kernel keeps for itself and cannot give back, and the zswap
// pool (a kind of its own only while zswap is in use).
inline constexpr std::string_view programMemory = "Programs";
inline constexpr std::string_view kernelMemory = "Kernel";
inline constexpr std::string_view compressedMemory = "Compressed (zswap)";
inline constexpr std::string_view systemManagedNote =
    "Everything goes to the Trash and can be put back. Korvane never removes an application the system "
    "manages itself.";
// A Flatpak is removed by flatpak itself; what it left behind still goes to the Trash.
inline constexpr std::string_view flatpakNote =
    "Flatpak uninstalls the application itself; it cannot be put back from the Trash. What it left behind "
    "goes to the Trash and can be put back.";
// The same two while the review is set to delete everything for good.
inline constexpr std::string_view deletedNote =
    "\u201CAlways delete\u201D is chosen: everything is deleted for good and cannot be put back. Korvane "
    "never removes an application the system manages itself.";
inline constexpr std::string_view flatpakDeletedNote =
    "Flatpak uninstalls the application itself. \u201CAlways delete\u201D is chosen: what it left behind is "
    "deleted for good, and nothing can be put back.";

// Settings: adding a project folder grants nothing here, so the note says
// only what it is for.
inline constexpr std::string_view projectsNote =
    "Korvane looks for node_modules, build folders and Pods inside these.";
// Settings: the fixed list is what developer cleanup never touches; in
// general mode the user may choose a download, and it goes.
inline constexpr std::string_view developerNeverTouches = "What developer cleanup will never touch";
inline constexpr std::string_view generalRemovesOnlyChosen =
    "In general mode, Korvane removes only what you choose, after the same safety check.";
// Settings: here the packagers' caches lie in the temporary folder, and what
// Docker prunes outside the home folder.
inline constexpr std::string_view outsideHomeAndTemporary =
    "Anything outside your home and temporary folders, except what Docker prunes";

// The file manager's name when the desktop does not say it.
inline constexpr std::string_view defaultFileManager = "Files";

// The desktop's name for its file manager, or "Files" when it gives none.
std::string fileManager(std::string_view desktopName);
// "Show in Files", "Reveal in Files", with the file manager's name.
std::string showIn(std::string_view desktopName);
std::string revealIn(std::string_view desktopName);
// The title over the disk gauge: the volume's name, else the folder it holds.
std::string volumeTitle(std::string_view volumeName, std::string_view folder);
// The live statistics' note while swap is in use, with its formatted size.
std::string swapWarning(std::string_view swapUsed);
// Why a folder on a kernel pseudo file system of type `type` ("proc") shows
// nothing: "/proc holds the kernel’s own files (proc), which are not scanned".
std::string kernelFilesNotScanned(std::string_view folder, std::string_view type);

}  // namespace korvane::platformWords
