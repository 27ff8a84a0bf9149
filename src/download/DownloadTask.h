#pragma once

#include "download/DownloadStatus.h"
#include "download/FailureReason.h"
#include "download/TaskState.h"
#include "runtime/Text.h"
#include "service/SongNaming.h"

#include <cstdint>

namespace quorvo::download {

// The cells of a download row, numbered from 1 as the list shows them.
enum class DownloadColumn { Name = 1, Quality = 2, Size = 3, Status = 4, SongId = 5, LyricUrl = 6 };

// One row of the download list.
struct DownloadTask {
    uint64_t id = 0;  // stable identity; row numbers shift when rows go
    Text name;        // built file name: the key for duplicates and deletion
    Text quality;     // "flac" selects ".flac"
    Text size {"-"};  // "-" until the link is resolved
    Text songId;
    Text lyricUrl;
    // The song's names from its search row, for the tags of its file.
    Text title;
    Text artist;
    Text album;
    // Where the row's song, lyric and partial files go: named when the row
    // was added, placed in the save directory of the worker's last take.
    service::SongPaths paths;
    // The one truth of where the row stands; a failed or stopped row keeps
    // its reason in it.
    TaskState state;

    // A cell as the list shows it; the status cell is made from the state.
    [[nodiscard]] Text cellText(DownloadColumn column) const;

    friend bool operator==(const DownloadTask&, const DownloadTask&) = default;
};

}  // namespace quorvo::download
