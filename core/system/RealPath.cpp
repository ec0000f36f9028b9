#include "core/system/RealPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <climits>

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif

namespace korvane {

namespace {

// The kernel's own limit on links followed in one lookup.
constexpr int kMaxLinks = 40;
// A cancel is looked at every so many components: often enough to stop a walk
// thousands of levels deep at once, rarely enough that an ordinary check never
// notices one that arrived while its item was already being handled.
constexpr std::size_t kCancelInterval = 128;

// A trailing "/" asks for a folder, as "." does.
std::vector<std::string_view> componentsOf(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (path.size() > 1 && path.back() == '/') parts.push_back(".");
    return parts;
}

// Where the walk stands: an O_PATH descriptor of the entry reached, its real
// path ("" for "/") and what each of its components is.
struct Cursor {
    UniqueFd fd;
    std::string path;
    std::vector<RealPath::Step> steps;
    bool isDirectory = true;

    Cursor copy() const {
        Cursor other;
        other.fd.reset(fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
        other.path = path;
        other.steps = steps;
        other.isDirectory = isDirectory;
        return other;
    }
};

UniqueFd openRoot() { return UniqueFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)); }

class Walk {
public:
    explicit Walk(const Flag* cancel) : cancel_(cancel) {}

    // Moves `at` onto the entry `name`, following it when it is a link. On
    // failure `at` is left exactly as it was and the errno is returned.
    int enter(Cursor& at, std::string_view name) {
        if (cancel_ && ++work_ % kCancelInterval == 0 && cancel_->value()) return ECANCELED;
        if (name == ".") return at.isDirectory ? 0 : ENOTDIR;
        if (!at.isDirectory) return ENOTDIR;
        if (name == "..") return leave(at);

        const std::string entry(name);
        UniqueFd fd(openat(at.fd.get(), entry.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid()) return errno;
        struct statx sx {};
        if (statx(fd.get(), "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO, &sx) != 0)
            return errno;
        if (S_ISLNK(sx.stx_mode)) return follow(at, fd);

        at.fd = std::move(fd);
        at.path += '/';
        at.path += entry;
        at.isDirectory = S_ISDIR(sx.stx_mode);
        at.steps.push_back(RealPath::Step{makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino,
                                          at.isDirectory,
                                          (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                                              (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0});
        return 0;
    }

private:
    // ".." of a real folder is its real parent, mounts included.
    int leave(Cursor& at) {
        if (at.path.empty()) return 0;
        UniqueFd parent(openat(at.fd.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent.valid()) return errno;
        at.fd = std::move(parent);
        at.path.erase(at.path.rfind('/'));
        at.steps.pop_back();
        return 0;
    }

    // Walks the link's target from where the link lies (or from "/"), on a
    // copy, so that a target that cannot be followed leaves `at` untouched.
    int follow(Cursor& at, const UniqueFd& link) {
        if (++links_ > kMaxLinks) return ELOOP;
        char target[PATH_MAX];
        ssize_t length = readlinkat(link.get(), "", target, sizeof target);
        if (length < 0) return errno;
        if (length == 0) return ENOENT;
        if (static_cast<std::size_t>(length) == sizeof target) return ENAMETOOLONG;
        const std::string_view text(target, static_cast<std::size_t>(length));

        Cursor trial;
        if (text.front() == '/') {
            trial.fd = openRoot();
        } else {
            trial = at.copy();
        }
        if (!trial.fd.valid()) return errno;
        for (std::string_view part : componentsOf(text)) {
            if (int error = enter(trial, part); error != 0) return error;
        }
        at = std::move(trial);
        return 0;
    }

    const Flag* cancel_;
    std::size_t work_ = 0;
    int links_ = 0;
};

}  // namespace

bool RealPath::Resolution::cancelled() const { return error == ECANCELED; }

RealPath::Resolution RealPath::resolve(std::string_view path, const Flag* cancel) {
    Resolution result;
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) {
        result.path = std::string(path);
        result.error = EINVAL;
        return result;
    }
    Cursor at;
    at.fd = openRoot();
    if (!at.fd.valid()) {
        result.path = std::string(path);
        result.error = errno;
        return result;
    }
    Walk walk(cancel);
    const auto parts = componentsOf(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (int error = walk.enter(at, parts[i]); error != 0) {
            result.error = error;
            result.path = std::move(at.path);
            for (std::size_t rest = i; rest < parts.size(); ++rest) {
                result.path += '/';
                result.path += parts[rest];
            }
            result.steps = std::move(at.steps);
            return result;
        }
    }
    result.path = at.path.empty() ? "/" : std::move(at.path);
    result.steps = std::move(at.steps);
    result.item = std::move(at.fd);
    return result;
}

std::string RealPath::resolved(std::string_view path) { return resolve(path).path; }

}  // namespace korvane
