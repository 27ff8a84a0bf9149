#include "download/ProgressReporter.h"

#include "runtime/Numbers.h"

#include <cmath>
#include <limits>

namespace quorvo::download {

Transferring ProgressReporter::report(int64_t done, int64_t total, Clock::time_point at)
{
    // The first report of a transfer shows speed 0, also when it resumes.
    const bool first = m_lastProgressBytes == 0;
    if (first)
        m_lastProgressBytes = done;
    int64_t perWindow = done - m_lastProgressBytes;
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(at - m_lastReportAt);
    if (!first && window.count() > 0 && window < std::chrono::seconds(1))
        perWindow = static_cast<int64_t>(static_cast<double>(perWindow) * 1e6 / static_cast<double>(window.count()));
    m_lastProgressBytes = done;
    m_lastReportAt = at;
    return Transferring {done, total, perWindow};
}

Text percentText(int64_t done, int64_t total)
{
    if (total <= 0)
        return "100%";
    constexpr int64_t largest = std::numeric_limits<int64_t>::max() / 100;
    const int64_t percent = done <= largest
        ? done * 100 / total
        : static_cast<int64_t>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    return numbers::fromInteger(percent) + "%";
}

Text speedText(int64_t bytesInWindow)
{
    const auto kilobytes = static_cast<int64_t>(std::floor(static_cast<double>(bytesInWindow) / 1024.0 + 0.5));
    return Text("\xCF\xC2\xD4\xD8\xCB\xD9\xB6\xC8:") + numbers::fromInteger(kilobytes) + " KB/s";  // 下载速度:
}

}  // namespace quorvo::download
