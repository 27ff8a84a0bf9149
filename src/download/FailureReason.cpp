#include "download/FailureReason.h"

#include <cerrno>
#include <string>

namespace quorvo::download {

FailureReason diskFailure(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return {FailureKind::NoSpace};
    case EACCES:
    case EPERM:
        return {FailureKind::PermissionDenied};
    case EROFS:
        return {FailureKind::ReadOnlyDisk};
    default:
        return {FailureKind::DiskError};
    }
}

Text describe(const FailureReason& reason)
{
    switch (reason.kind) {
    case FailureKind::None:
        return {};
    case FailureKind::NoSpace:
        return Text("no space left on the disk");
    case FailureKind::PermissionDenied:
        return Text("permission denied");
    case FailureKind::ReadOnlyDisk:
        return Text("the disk is read-only");
    case FailureKind::DiskError:
        return Text("the file could not be written");
    case FailureKind::HttpStatus:
        return Text("HTTP " + std::to_string(reason.httpStatus));
    case FailureKind::NoAnswer:
        return Text("the server did not answer");
    case FailureKind::ServerStopped:
        return Text("the server stopped sending");
    case FailureKind::DamagedFile:
        return Text("damaged file");
    case FailureKind::EmptyReply:
        return Text("the server sent an empty file");
    case FailureKind::EncodedReply:
        return Text("the server's encoding could not be decoded");
    case FailureKind::BusyElsewhere:
        return Text("being downloaded by another process");
    case FailureKind::NoLink:
        return Text("the service gave no link");
    case FailureKind::TagsNotWritten:
        return Text("lyrics and names could not be written into the file");
    }
    return {};
}

}  // namespace quorvo::download
