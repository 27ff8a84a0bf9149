#pragma once

// Where the download list's changes are kept between runs. The list calls it
// after each change, under its lock and in the order the changes happened;
// an implementation decides how often progress reaches the disk.

#include "download/DownloadTask.h"

#include <cstdint>
#include <span>

namespace quorvo::download {

class QueueJournal {
public:
    virtual ~QueueJournal() = default;
    virtual void rowAdded(const DownloadTask& task) = 0;
    virtual void rowsRemoved(std::span<const uint64_t> taskIds) = 0;
    // Any change of a row after it was added: its state, size or paths.
    virtual void rowChanged(const DownloadTask& task) = 0;
};

}  // namespace quorvo::download
