#pragma once

// Why a song failed or stopped. The row keeps it as a value beside its status
// text ("下载失败", "下载终止"); the window and the command line turn it into
// words with describe().

#include "runtime/Text.h"

namespace quorvo::download {

enum class FailureKind {
    None,
    NoSpace,           // the disk is full
    PermissionDenied,  // the folder or the file may not be written
    ReadOnlyDisk,      // the file system is mounted read-only
    DiskError,         // any other failure of the file system
    HttpStatus,        // the server answered with a status that is not the song (httpStatus)
    NoAnswer,          // no connection, or no reply before the time limit
    ServerStopped,     // the server stopped sending before the end (reset, stall, short body)
    DamagedFile,       // the file fails its own checksum or is not the size promised
    EmptyReply,        // the server answered with no song at all (an empty body)
    EncodedReply,      // the server sent an encoding that could not be decoded
    BusyElsewhere,     // another process is downloading the same song
    NoLink,            // the service gave no link for the song
    TagsNotWritten,    // the song is there, but its lyrics and names could not be written into it
};

struct FailureReason {
    FailureKind kind = FailureKind::None;
    long httpStatus = 0;  // with HttpStatus

    [[nodiscard]] bool empty() const { return kind == FailureKind::None; }
    friend bool operator==(const FailureReason&, const FailureReason&) = default;
};

// The reason for a failed file operation's errno.
FailureReason diskFailure(int error);

// Short English words for the reason, e.g. "no space left on the disk",
// "HTTP 404", "damaged file"; empty for FailureKind::None.
Text describe(const FailureReason& reason);

}  // namespace quorvo::download
