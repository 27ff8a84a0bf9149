#pragma once

#include "runtime/Text.h"

namespace quorvo::service {

// One row of the search result list; the cells are the record.
struct SongRecord {
    Text title;     // cell 1, cleaned of the service's highlight markup
    Text album;     // cell 2, cleaned
    Text artist;    // cell 3, cleaned
    Text quality;   // cell 4: last entry of the rate list, e.g. "flac" or "320"
    Text songId;    // cell 5 (hidden), as received
    Text lyricUrl;  // cell 6 (hidden): service base address + lrclink

    friend bool operator==(const SongRecord&, const SongRecord&) = default;
};

}  // namespace quorvo::service
