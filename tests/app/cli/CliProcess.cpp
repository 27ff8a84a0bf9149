#include "CliProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvo::test {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        result.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return result;
        start = tab + 1;
    }
}

CliProcess::CliProcess(const std::filesystem::path& binary, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment)
{
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        std::vector<char*> argv {const_cast<char*>(binary.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::unsetenv("QUORVO_API_HOST");
        for (const std::string& assignment : environment)
            ::putenv(const_cast<char*>(assignment.c_str()));
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    m_out = outPipe[0];
    m_err = errPipe[0];
}

CliProcess::~CliProcess()
{
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        wait();
    }
    ::close(m_out);
    ::close(m_err);
}

void CliProcess::signal(int number) const
{
    ::kill(m_pid, number);
}

Outcome CliProcess::wait(std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool outOpen = true;
    bool errOpen = true;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        ::poll(fds, 2, 100);
        outOpen = outOpen && drain(m_out, m_outcome.out);
        errOpen = errOpen && drain(m_err, m_outcome.err);
    }
    if (outOpen || errOpen)
        ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_reaped = true;
    m_outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m_outcome;
}

bool CliProcess::drain(int fd, std::string& into)
{
    pollfd ready {fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0)
        return true;
    char buffer[4096];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count <= 0)
        return false;
    into.append(buffer, static_cast<std::size_t>(count));
    return true;
}

}  // namespace quorvo::test
