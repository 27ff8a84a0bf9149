#pragma once

// File operations on program-text paths. Every path is converted to UTF-8 at
// this boundary, so names on disk are what every other Linux program expects.
// Failures are reported by the result, never thrown.

#include "runtime/Text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorvo::platform {

// The UTF-8 form of a program-text path, for code that must call the system.
std::string nativePath(const Text& path);
// A path as the system gave it (UTF-8), in program text.
Text fromNativePath(std::string_view nativePath);

bool exists(const Text& path);
bool isDirectory(const Text& path);
// True when the directory exists afterwards (an existing directory is fine).
bool createDirectory(const Text& path);
// Creates every missing parent as well.
bool createDirectories(const Text& path);
bool deleteFile(const Text& path);
bool removeDirectory(const Text& path);
// Fails when `to` already exists, like the Windows move does.
bool moveFile(const Text& from, const Text& to);
// Atomically replaces `to` when it exists.
bool replaceFile(const Text& from, const Text& to);
// Size in bytes, or -1 when the file cannot be examined.
int64_t fileSize(const Text& path);
// What tells one version of a file from the next: a file replaced by rename
// has another inode, one written in place another time or size.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// nullopt when the file cannot be examined.
std::optional<FileStamp> fileStamp(const Text& path);
bool isWritableDirectory(const Text& path);

std::optional<Bytes> readFile(const Text& path);
// Replaces the file's contents; the data reaches disk through a temporary
// file (".NAME.quorvo-write-XXXXXX") renamed over the old one, so a failure
// (a full disk, a folder that takes no new files) leaves the old file whole.
bool writeFile(const Text& path, std::string_view data);
// Deletes the temporaries writeFile left beside `path` when a process died
// between writing and renaming; never any other file.
void removeWriteLeftovers(const Text& path);
bool appendFile(const Text& path, std::string_view data);

}  // namespace quorvo::platform
