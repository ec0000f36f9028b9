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

bool isPseudoMagic(unsigned long type) {
    switch (type) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case configfsMagic:
        case fusectlMagic:
        case mqueueMagic:
        case HUGETLBFS_MAGIC:
        case AUTOFS_SUPER_MAGIC:
            return true;
        default:
            return false;
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

bool isPseudoFileSystem(int fd) {
    struct statfs info {};
    if (fstatfs(fd, &info) != 0) return false;
    auto type = static_cast<unsigned long>(info.f_type);
    if (isPseudoMagic(type)) return true;
    if (type == TMPFS_MAGIC || type == RAMFS_MAGIC) {
        struct stat st {};
        if (fstat(fd, &st) == 0) return isDevtmpfsMount(st.st_dev);
    }
    return false;
}

}  // namespace korvane
