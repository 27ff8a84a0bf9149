#include "download/ProgressReporter.h"

#include "runtime/Numbers.h"

#include <cmath>
#include <limits>

namespace quorvo::download {

ProgressTexts ProgressReporter::report(int64_t done, int64_t total)
{
    // The first report of a transfer shows speed 0, also when it resumes.
    if (m_lastProgressBytes == 0)
        m_lastProgressBytes = done;
    ProgressTexts texts {percentText(done, total), speedText(done - m_lastProgressBytes)};
    m_lastProgressBytes = done;
    return texts;
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
