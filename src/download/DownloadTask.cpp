#include "download/DownloadTask.h"

namespace quorvo::download {

Text DownloadTask::cellText(DownloadColumn column) const
{
    switch (column) {
    case DownloadColumn::Name:
        return name;
    case DownloadColumn::Quality:
        return quality;
    case DownloadColumn::Size:
        return size;
    case DownloadColumn::Status:
        return statusText(state);
    case DownloadColumn::SongId:
        return songId;
    case DownloadColumn::LyricUrl:
        return lyricUrl;
    }
    return {};
}

}  // namespace quorvo::download
