#pragma once

// Runs another program's command line in a test and keeps what it printed.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace quorvo::test {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output; standard error is dropped
};

// `command` is handed to the shell: quote its paths with quotedPath.
inline ToolRun runTool(const std::string& command)
{
    ToolRun result;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Single quotes for the shell (a path without a single quote of its own).
inline std::string quotedPath(const std::string& path)
{
    return "'" + path + "'";
}

}  // namespace quorvo::test
