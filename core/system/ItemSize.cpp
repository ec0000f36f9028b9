#include "core/system/ItemSize.h"

#include <sys/stat.h>

#include "core/system/FastSizer.h"

namespace korvane {

std::optional<std::int64_t> ItemSize::measure(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISDIR(st.st_mode) && st.st_nlink > 1) return 0;
    FastSizer sizer;
    const auto measured = sizer.measure(path);
    if (!measured) return std::nullopt;
    return measured->bytes;
}

}  // namespace korvane
