#include "core/model/OpenFileLimit.h"

#include <sys/resource.h>

#include <mutex>

namespace korvane {

bool raiseOpenFileLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct rlimit limit {};
        if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
        if (limit.rlim_cur == limit.rlim_max) return;
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    });
    struct rlimit now {};
    return getrlimit(RLIMIT_NOFILE, &now) == 0 && now.rlim_cur == now.rlim_max;
}

}  // namespace korvane
