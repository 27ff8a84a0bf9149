#include "LinePrinter.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace quorvo::server {

namespace {

// Below PIPE_BUF, so a write after POLLOUT on a pipe cannot block.
constexpr std::size_t maxLineBytes = 4000;

}  // namespace

LinePrinter::LinePrinter(int fd, std::size_t maxWaiting)
    : m_fd(fd)
    , m_maxWaiting(maxWaiting)
    , m_thread([this] { run(); })
{ }

LinePrinter::~LinePrinter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void LinePrinter::print(std::string line)
{
    if (line.size() > maxLineBytes)
        line.resize(maxLineBytes);
    line += '\n';
    {
        const std::lock_guard lock(m_mutex);
        if (m_lines.size() >= m_maxWaiting)
            return;
        m_lines.push_back(std::move(line));
    }
    m_wake.notify_one();
}

void LinePrinter::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || !m_lines.empty(); });
        if (m_lines.empty())
            return;  // stopping, nothing left
        std::string line = std::move(m_lines.front());
        m_lines.pop_front();
        lock.unlock();
        const bool written = writeLine(line);
        lock.lock();
        if (!written && m_stopping)
            return;
    }
}

// Waits for room in steps, so that a reader that never drains cannot hold
// up shutdown for long.
bool LinePrinter::writeLine(const std::string& line)
{
    std::size_t done = 0;
    while (done < line.size()) {
        pollfd wait {m_fd, POLLOUT, 0};
        const int ready = ::poll(&wait, 1, 200);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0) {
            const std::lock_guard lock(m_mutex);
            if (m_stopping)
                return false;
            continue;
        }
        if ((wait.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return false;
        const ssize_t written = ::write(m_fd, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace quorvo::server
