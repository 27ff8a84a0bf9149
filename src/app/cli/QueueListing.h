#pragma once

// `quorvo-cli queue`: the download list the window keeps, one line per row
// (status, progress, file name, reason), as the window shows it after a start.

#include "download/DownloadTask.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quorvo::cli {

// STATUS TAB PROGRESS TAB NAME TAB REASON, UTF-8 with control characters
// escaped. Progress is "100%" for a finished row, the percentage of a row
// that was stopped part way, else "-".
std::string queueLine(const download::DownloadTask& task);

// Prints the rows of the store at `storeFile` (a native path) to `out` and
// any trouble with the file to `errors`; the exit status.
int listQueue(const std::string& storeFile, std::FILE* out, std::FILE* errors);

}  // namespace quorvo::cli
