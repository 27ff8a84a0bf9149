#pragma once

// Runs a copy of quorvo-cli as a user would and collects what it prints.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace quorvo::test {

struct Outcome {
    int exitStatus = -1;  // -1: killed by a signal
    std::string out;
    std::string err;
};

// The lines of a text, without their line breaks.
std::vector<std::string> lines(const std::string& text);
// The tab-separated fields of one line.
std::vector<std::string> fields(const std::string& line);

// One run of the binary; output is collected while it runs. The destructor
// kills a run that was not waited for.
class CliProcess {
public:
    CliProcess(const std::filesystem::path& binary, const std::vector<std::string>& args,
               const std::vector<std::string>& environment);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void signal(int number) const;
    Outcome wait(std::chrono::seconds limit = std::chrono::seconds(120));

private:
    // False at end of file.
    static bool drain(int fd, std::string& into);

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    bool m_reaped = false;
    Outcome m_outcome;
};

}  // namespace quorvo::test
