#include "download/DownloadSettings.h"

namespace quorvo::download {

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

service::NamingScheme ConfigDownloadSettings::namingScheme() const
{
    return service::namingSchemeOf(m_config.readInteger("sType"));
}

}  // namespace quorvo::download
