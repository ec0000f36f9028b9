// The floor a folder scan is measured against: a minimal parallel walk that
// opens each folder, reads it with getdents64, fstatat's every entry, sums
// allocated blocks (a file with several hard links once) and keeps nothing.
// Its total equals `du -s -B1`.
//
//   walker [--workers N] DIR
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct LinkSet {
    static constexpr std::size_t shardCount = 64;
    struct alignas(64) Shard {
        std::mutex lock;
        std::unordered_set<std::uint64_t> seen;
    };
    std::array<Shard, shardCount> shards;

    bool claim(const struct stat& st) {
        const std::uint64_t key = (static_cast<std::uint64_t>(st.st_dev) << 40) ^ st.st_ino;
        Shard& shard = shards[(key * 0x9E3779B97F4A7C15ULL) >> 58];
        std::lock_guard guard(shard.lock);
        return shard.seen.insert(key).second;
    }
};

// Folders waiting for a worker, as open descriptors. A worker keeps its own
// subfolders unless the shared list runs short, so there is little locking.
class Queue {
public:
    explicit Queue(int workers) : workers_(workers) {}

    bool wantsMore() const { return size_.load(std::memory_order_relaxed) < static_cast<std::size_t>(workers_); }

    void push(int fd) {
        std::lock_guard guard(lock_);
        folders_.push_back(fd);
        size_.store(folders_.size(), std::memory_order_relaxed);
        if (idle_ > 0) changed_.notify_one();
    }

    // -1 when every worker is idle and nothing is left.
    int pop() {
        std::unique_lock guard(lock_);
        while (folders_.empty()) {
            if (++idle_ == workers_) {
                changed_.notify_all();
                return -1;
            }
            changed_.wait(guard);
            if (idle_ == workers_) return -1;
            --idle_;
        }
        int fd = folders_.back();
        folders_.pop_back();
        size_.store(folders_.size(), std::memory_order_relaxed);
        return fd;
    }

private:
    const int workers_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<int> folders_;
    std::atomic<std::size_t> size_{0};
    int idle_ = 0;
};

struct Walk {
    Queue queue;
    LinkSet links;
    std::atomic<std::int64_t> bytes{0};

    explicit Walk(int workers) : queue(workers) {}

    void work() {
        std::vector<char> buffer(64 * 1024);
        std::vector<int> own;
        std::int64_t sum = 0;
        while (true) {
            int fd;
            if (!own.empty()) {
                fd = own.back();
                own.pop_back();
            } else if ((fd = queue.pop()) < 0) {
                break;
            }
            read(fd, buffer, own, sum);
            ::close(fd);
        }
        bytes.fetch_add(sum);
    }

    void read(int fd, std::vector<char>& buffer, std::vector<int>& own, std::int64_t& sum) {
        while (true) {
            const long n = syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
            if (n <= 0) return;
            for (long at = 0; at < n;) {
                // glibc's dirent64 has the kernel's record layout.
                const auto* entry = reinterpret_cast<const struct dirent64*>(buffer.data() + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                struct stat st;
                if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
                if (S_ISDIR(st.st_mode)) {
                    sum += st.st_blocks * 512;
                    const int child = ::openat(fd, name, folderFlags);
                    if (child < 0) continue;
                    if (queue.wantsMore())
                        queue.push(child);
                    else
                        own.push_back(child);
                    continue;
                }
                if (st.st_nlink > 1 && !links.claim(st)) continue;
                sum += st.st_blocks * 512;
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    int workers = static_cast<int>(std::thread::hardware_concurrency());
    std::string root;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--workers") == 0 && i + 1 < argc)
            workers = std::atoi(argv[++i]);
        else
            root = argv[i];
    }
    if (root.empty() || workers < 1) {
        std::fprintf(stderr, "usage: walker [--workers N] DIR\n");
        return 2;
    }
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    Walk walk(workers);
    walk.bytes = st.st_blocks * 512;
    walk.queue.push(fd);
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i) threads.emplace_back([&] { walk.work(); });
    for (auto& thread : threads) thread.join();
    std::printf("%lld\n", static_cast<long long>(walk.bytes.load()));
    return 0;
}
