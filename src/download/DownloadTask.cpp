#include "download/DownloadTask.h"

namespace quorvo::download {

const Text& DownloadTask::cell(DownloadColumn column) const
{
    switch (column) {
    case DownloadColumn::Name:
        return name;
    case DownloadColumn::Quality:
        return quality;
    case DownloadColumn::Size:
        return size;
    case DownloadColumn::Status:
        return status;
    case DownloadColumn::SongId:
        return songId;
    case DownloadColumn::LyricUrl:
        return lyricUrl;
    }
    return status;
}

Text& DownloadTask::cell(DownloadColumn column)
{
    return const_cast<Text&>(static_cast<const DownloadTask&>(*this).cell(column));
}

}  // namespace quorvo::download
