#include "core/model/ItemIdentity.h"

#include <nlohmann/json.hpp>

#include "core/system/FileDate.h"
#include "core/text/Json.h"

namespace korvane {

ItemIdentity ItemIdentity::of(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_blocks) * 512, FileDate::fromSeconds(st.st_mtim.tv_sec),
            S_ISDIR(st.st_mode)};
}

bool ItemIdentity::matches(const struct stat& now) const {
    const ItemIdentity seen = of(now);
    if (inode != 0 && (seen.device != device || seen.inode != inode)) return false;
    if (seen.isFolder != isFolder) return false;
    if (isFolder) return true;
    // A link or a device in a file's place has a node of its own, and so another inode.
    return S_ISREG(now.st_mode) && seen.allocatedBytes == allocatedBytes && seen.modified == modified;
}

std::string ItemIdentity::changedMessage() { return "Changed since the scan, so it is left out"; }

std::string ItemIdentity::changedNotice(const std::vector<std::string>& names) {
    if (names.size() == 1)
        return "\u201C" + names.front() + "\u201D changed since the scan, so it is left out.";
    return std::to_string(names.size()) +
           " of the chosen items changed since the scan, so they are left out.";
}

void to_json(nlohmann::json& j, const ItemIdentity& value) {
    j = nlohmann::json::object();
    j["device"] = value.device;
    j["inode"] = value.inode;
    j["allocatedBytes"] = value.allocatedBytes;
    j["modified"] = json::fromDate(value.modified);
    j["isFolder"] = value.isFolder;
}

void from_json(const nlohmann::json& j, ItemIdentity& value) {
    ItemIdentity result;
    result.device = json::toUInt64(json::required(j, "device"));
    result.inode = json::toUInt64(json::required(j, "inode"));
    result.allocatedBytes = json::toInt64(json::required(j, "allocatedBytes"));
    result.modified = json::toDate(json::required(j, "modified"));
    result.isFolder = json::toBool(json::required(j, "isFolder"));
    value = result;
}

}  // namespace korvane
