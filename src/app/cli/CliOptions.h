#pragma once

// The command line of quorvo-cli:
//   quorvo-cli [--service HOST[:PORT]] search QUERY [--dir DIR]
//   quorvo-cli [--service HOST[:PORT]] get QUERY (--pick N[,M...] | --all) [--dir DIR] [--limit KBPS]
//              [--jobs N] [--keep-going] [--retries N] [--no-audio-check]
//   quorvo-cli queue
//   quorvo-cli [--service HOST[:PORT]] resume [--limit KBPS] [--jobs N] [--keep-going] [--retries N]
//              [--no-audio-check]

#include "download/DownloadSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::cli {

// Queue lists the download list the window keeps; Resume downloads its unfinished rows.
enum class Command { Search, Get, Queue, Resume };

struct Options {
    Command command = Command::Search;
    std::string query;                     // UTF-8, as typed
    std::optional<std::string> service;    // --service
    bool all = false;                      // --all
    std::vector<int64_t> picks;            // --pick, 1-based result numbers
    std::optional<std::string> directory;  // --dir (UTF-8)
    std::optional<int64_t> limit;          // --limit, KB/s
    std::optional<int64_t> jobs;           // --jobs: songs at once
    bool keepGoing = false;                // --keep-going: a failed song does not stop the queue
    // --retries: further attempts of a failed transfer; unset: config.ini's `retries`.
    std::optional<int64_t> retries;
    bool checkFlacAudio = true;  // off with --no-audio-check
};

// --retries at most. Only attempts that moved no bytes count, and their
// pauses stop doubling at RetryingFetcher's longest pause.
inline constexpr int64_t maxRetries = download::maxRetries;

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // set when options is empty
};

ParseResult parseArguments(const std::vector<std::string>& arguments);

const char* usageText();

}  // namespace quorvo::cli
