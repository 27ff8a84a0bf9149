#include "app/DownloadNotices.h"

#include <string>
#include <utility>

namespace quorvo::app {

namespace {

constexpr std::string_view songsFinished
    = "\xCA\xD7\xB8\xE8\xC7\xFA\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF";  // 首歌曲下载完毕

}  // namespace

Text finishedSongsText(int64_t count)
{
    return Text(std::to_string(count)) + songsFinished;
}

void DownloadNotices::runStarted()
{
    m_finished = 0;
    m_soundPlayed = false;
}

void DownloadNotices::songCompleted()
{
    ++m_finished;
    m_soundPlayed = false;
}

void DownloadNotices::soundPlayed()
{
    m_soundPlayed = true;
}

void DownloadNotices::songFailed(const Text& name, const Text& message)
{
    if (unseen() && m_hooks.notify)
        m_hooks.notify({name, message, false});
}

void DownloadNotices::runEnded(bool allDone)
{
    const int64_t finished = std::exchange(m_finished, 0);
    const bool sound = std::exchange(m_soundPlayed, false);
    if (allDone && finished > 0 && unseen() && m_hooks.notify)
        m_hooks.notify({finishedSongsText(finished), Text(), sound});
}

}  // namespace quorvo::app
