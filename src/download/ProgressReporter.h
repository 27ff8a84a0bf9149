#pragma once

// Turns the transfer's (done, total) reports into the row's progress with its
// rate. Reports come once per one-second window, so the byte difference
// between two reports is the rate per second.

#include "download/TaskState.h"
#include "runtime/Text.h"

#include <chrono>
#include <cstdint>

namespace quorvo::download {

class ProgressReporter {
public:
    using Clock = std::chrono::steady_clock;

    // A new transfer: the next report shows speed 0.
    void reset() { m_lastProgressBytes = 0; }
    // A window shorter than a second (the last report of a transfer comes
    // before its window ends) shows its bytes per second, not its bytes.
    Transferring report(int64_t done, int64_t total, Clock::time_point at = Clock::now());

private:
    int64_t m_lastProgressBytes = 0;
    Clock::time_point m_lastReportAt;
};

// done × 100 / total, truncated, + "%". A total of 0 (an empty body) has
// nothing left to fetch and shows "100%".
Text percentText(int64_t done, int64_t total);
// "下载速度:" + round-half-up(bytes / 1024) + " KB/s".
Text speedText(int64_t bytesInWindow);

}  // namespace quorvo::download
