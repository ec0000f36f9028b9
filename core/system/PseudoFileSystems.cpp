#include "core/system/PseudoFileSystems.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace korvane {

namespace {

// Not every kernel header names these.
constexpr unsigned long configfsMagic = 0x62656570;
constexpr unsigned long fusectlMagic = 0x65735543;
constexpr unsigned long mqueueMagic = 0x19800202;

std::optional<std::string_view> pseudoMagicName(unsigned long type) {
    switch (type) {
        case PROC_SUPER_MAGIC:
            return "proc";
        case SYSFS_MAGIC:
            return "sysfs";
        case CGROUP_SUPER_MAGIC:
            return "cgroup";
        case CGROUP2_SUPER_MAGIC:
            return "cgroup2";
        case DEBUGFS_MAGIC:
            return "debugfs";
        case TRACEFS_MAGIC:
            return "tracefs";
        case SECURITYFS_MAGIC:
            return "securityfs";
        case PSTOREFS_MAGIC:
            return "pstore";
        case BPF_FS_MAGIC:
            return "bpf";
        case configfsMagic:
            return "configfs";
        case fusectlMagic:
            return "fusectl";
        case mqueueMagic:
            return "mqueue";
        case HUGETLBFS_MAGIC:
            return "hugetlbfs";
        case AUTOFS_SUPER_MAGIC:
            return "autofs";
        default:
            return std::nullopt;
    }
}

// devtmpfs reports the magic of tmpfs (or ramfs), so the mount table tells
// them apart: the file-system type of the mount whose device is `device`.
bool isDevtmpfsMount(dev_t device) {
    FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (!table) return false;
    char wanted[48];
    std::snprintf(wanted, sizeof wanted, "%u:%u", major(device), minor(device));
    bool found = false;
    char* line = nullptr;
    size_t capacity = 0;
    while (!found && getline(&line, &capacity, table) > 0) {
        // "ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS [TAGS...] - TYPE SOURCE ..."
        char* fields = std::strchr(line, ' ');
        if (!fields) continue;
        fields = std::strchr(fields + 1, ' ');
        if (!fields) continue;
        ++fields;
        std::size_t length = std::strlen(wanted);
        if (std::strncmp(fields, wanted, length) != 0 || fields[length] != ' ') continue;
        const char* separator = std::strstr(fields, " - ");
        if (!separator) continue;
        found = std::strncmp(separator + 3, "devtmpfs ", 9) == 0;
        break;
    }
    std::free(line);
    std::fclose(table);
    return found;
}

}  // namespace

bool isPseudoFileSystem(int fd) { return pseudoFileSystemName(fd).has_value(); }

std::optional<std::string_view> pseudoFileSystemName(int fd) {
    struct statfs info {};
    if (fstatfs(fd, &info) != 0) return std::nullopt;
    auto type = static_cast<unsigned long>(info.f_type);
    if (const auto name = pseudoMagicName(type)) return name;
    if (type == TMPFS_MAGIC || type == RAMFS_MAGIC) {
        struct stat st {};
        if (fstat(fd, &st) == 0 && isDevtmpfsMount(st.st_dev)) return "devtmpfs";
    }
    return std::nullopt;
}

}  // namespace korvane
