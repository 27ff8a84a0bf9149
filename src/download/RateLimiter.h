#pragma once

// One speed limit for every transfer that uses it: the limit in KB/s holds
// for their sum. Time is cut into windows of at least progressWindow; each
// window may grant limit × 1024 bytes in all, and a transfer takes only the
// bytes it was granted, so no window ever carries more than its quota, however
// small the limit. The limit is read afresh when a window begins: a change
// holds from the next window on, within a second. Transfers report progress
// when they see a new window, so their speeds add up to the window's bytes.

#include "download/AbortFlag.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace quorvo::download {

// Reports and rate quotas are per window of this length.
inline constexpr std::chrono::milliseconds progressWindow {1000};
inline constexpr int64_t bytesPerKB = 1024;
// A limit beyond any link (about 1 PB/s) is no different from this one; it
// keeps limit × 1024 and the read arithmetic far from overflowing.
inline constexpr int64_t largestLimitKBps = int64_t {1} << 40;
// The byte quota of one window for a limit in KB/s: 0 (no limit) for 0 or a
// negative limit, the largest limit for anything above it.
int64_t limitBytesPerWindow(int64_t limitKBps);

// What one window granted, in all transfers together.
struct LimiterWindow {
    uint64_t number = 0;  // counts from 1
    int64_t granted = 0;  // bytes
    int64_t quota = 0;    // bytes; 0: the window had no limit
    bool filled = false;  // a transfer had to wait for the next window
};

class RateLimiter {
public:
    using Clock = AbortFlag::Clock;

    struct Grant {
        // 0 only when the abort flag was raised while waiting.
        int64_t bytes = 0;
        // The window the bytes belong to; a new number means a new window.
        uint64_t window = 0;
        // The grant waited for a new window (the limit, not the server, held the transfer).
        bool waited = false;
        // The window has a quota (false: no limit holds it).
        bool limited = false;
    };

    // The limit of the moment, in KB/s (0 or negative: no limit), asked for
    // when a window begins; it must be cheap and safe on any thread.
    explicit RateLimiter(std::function<int64_t()> limitKBps);
    // A fixed limit in KB/s; setLimit changes it.
    explicit RateLimiter(int64_t limitKBps = 0);

    void setLimit(int64_t limitKBps);
    // The limit the next window will have.
    [[nodiscard]] int64_t limitKBps() const;

    // Between 1 and `wanted` bytes, and under a limit no more than a quarter
    // of each user's fair share of the quota at a time. While the window's
    // quota is used up this sleeps until the next window; a raise of
    // `abortFlag` ends the wait at once, with a grant of 0 bytes.
    Grant acquire(int64_t wanted, const AbortFlag& abortFlag);

    // A transfer begins or ends using the limiter. The first user of an idle
    // limiter starts a window of its own, so a lone transfer's reports come
    // a whole window apart from its first one.
    void join();
    void leave();

    // Called with every window that ends (on the thread of the transfer that
    // sees it end, outside the limiter's lock). Set it before transfers start.
    void onWindowEnd(std::function<void(const LimiterWindow&)> observer);
    // Bytes granted since the limiter was made.
    [[nodiscard]] int64_t totalGranted() const;

private:
    // Under m_mutex: begins a new window when the current one is over (or
    // none has begun); the ended window goes to `ended`.
    void roll(Clock::time_point now, std::optional<LimiterWindow>& ended);
    void tell(const std::optional<LimiterWindow>& ended) const;

    std::function<int64_t()> m_source;
    mutable std::mutex m_mutex;
    std::optional<int64_t> m_fixed;  // with the fixed-limit constructor
    std::optional<Clock::time_point> m_windowStart;
    LimiterWindow m_window;
    int64_t m_total = 0;
    int m_users = 0;
    // The first user of an idle limiter restarts the window's clock at its first grant.
    bool m_restartClock = false;
    std::function<void(const LimiterWindow&)> m_observer;
};

// What a transfer is held to: a limiter it shares with others, or a fixed
// limit of its own (a single transfer, tests). Cheap to copy; copies share
// the limiter.
class SpeedLimit {
public:
    // NOLINTNEXTLINE(google-explicit-constructor): a limiter is a limit
    SpeedLimit(RateLimiter& shared)
        : m_limiter(&shared)
    { }
    // NOLINTNEXTLINE(google-explicit-constructor): so is a number of KB/s
    SpeedLimit(int64_t limitKBps)
        : m_own(std::make_shared<RateLimiter>(limitKBps))
        , m_limiter(m_own.get())
    { }

    [[nodiscard]] RateLimiter& limiter() const { return *m_limiter; }

private:
    std::shared_ptr<RateLimiter> m_own;
    RateLimiter* m_limiter;
};

}  // namespace quorvo::download
