#pragma once

#include <QFile>
#include <QList>

#include <sys/resource.h>
#include <unistd.h>

namespace tarnwick::test {

// Address sanitizer reserves terabytes of address space up front, so a limit
// on it cannot produce an ordinary allocation failure there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool canLimitMemory = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool canLimitMemory = false;
#else
inline constexpr bool canLimitMemory = true;
#endif
#else
inline constexpr bool canLimitMemory = true;
#endif

// Lets the process map only `headroom` more bytes than it has mapped now,
// while it lives: a real allocation failure, as on a machine out of memory.
class MemoryLimit {
public:
    explicit MemoryLimit(qint64 headroom) {
        getrlimit(RLIMIT_AS, &saved_);
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return;
        const qint64 mapped = statm.readAll().split(' ').value(0).toLongLong() * getpagesize();
        rlimit limited = saved_;
        limited.rlim_cur = rlim_t(mapped + headroom);
        active_ = setrlimit(RLIMIT_AS, &limited) == 0;
    }
    ~MemoryLimit() { setrlimit(RLIMIT_AS, &saved_); }
    MemoryLimit(const MemoryLimit&) = delete;
    MemoryLimit& operator=(const MemoryLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_{};
    bool active_ = false;
};

} // namespace tarnwick::test
