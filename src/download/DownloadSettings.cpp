#include "download/DownloadSettings.h"

#include "runtime/Numbers.h"

#include <algorithm>

namespace quorvo::download {

int64_t retriesFrom(const Text& stored)
{
    if (text::trim(stored.view()).empty())
        return defaultRetries;
    return std::clamp<int64_t>(numbers::toInteger(stored.view()), 0, maxRetries);
}

Text withTrailingSlash(Text directory)
{
    if (!text::endsWith(directory.view(), "/"))
        directory += "/";
    return directory;
}

void ConfigDownloadSettings::overrideSaveDirectory(Text directory)
{
    m_saveDirectory = withTrailingSlash(std::move(directory));
}

Text ConfigDownloadSettings::saveDirectory() const
{
    if (m_saveDirectory)
        return *m_saveDirectory;
    // A hand-edited path without its "/" would glue the file name onto the
    // folder's name and put the song beside the folder.
    return withTrailingSlash(m_config.read("path"));
}

int64_t ConfigDownloadSettings::speedLimit() const
{
    if (m_speedLimit)
        return *m_speedLimit;
    return m_config.readInteger("speed");
}

bool ConfigDownloadSettings::fetchLyrics() const
{
    return m_config.read("lrc") == "1";
}

bool ConfigDownloadSettings::embedLyrics() const
{
    return m_config.read("embedLrc") == "1";
}

CompletionSound ConfigDownloadSettings::completionSound() const
{
    return completionSoundFor(m_config.readInteger("wav"));
}

int64_t ConfigDownloadSettings::retries() const
{
    if (m_retries)
        return *m_retries;
    return retriesFrom(m_config.read("retries"));
}

service::NamingScheme ConfigDownloadSettings::namingScheme() const
{
    return service::namingSchemeOf(m_config.readInteger("sType"));
}

int64_t ConfigDownloadSettings::jobs() const
{
    if (m_jobs)
        return jobsFrom(*m_jobs);
    return jobsFrom(m_config.readInteger("jobs"));
}

int64_t jobsFrom(int64_t value)
{
    return std::clamp<int64_t>(value, 1, maxJobs);
}

}  // namespace quorvo::download
