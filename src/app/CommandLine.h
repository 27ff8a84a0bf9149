#pragma once

// quorvo's command line: the window takes no arguments beyond where the
// service lives and the usual --help and --version.

#include <optional>
#include <span>
#include <string>

namespace quorvo::app {

struct CommandLine {
    bool help = false;
    bool version = false;
    std::optional<std::string> service;  // --service HOST[:PORT]
    std::string error;                   // not empty: a usage error
};

CommandLine parseCommandLine(std::span<const char* const> args);

// The --help text (UTF-8).
std::string helpText();

}  // namespace quorvo::app
