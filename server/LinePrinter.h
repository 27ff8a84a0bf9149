#pragma once

// Writes lines to a descriptor from a thread of its own, so that request
// threads never wait on a slow or undrained standard output: when too many
// lines are waiting, new ones are dropped.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace quorvo::server {

class LinePrinter {
public:
    explicit LinePrinter(int fd, std::size_t maxWaiting = 4096);
    ~LinePrinter();
    LinePrinter(const LinePrinter&) = delete;
    LinePrinter& operator=(const LinePrinter&) = delete;

    // Queues `line` (a line break is added); never blocks.
    void print(std::string line);

private:
    void run();
    bool writeLine(const std::string& line);

    int m_fd;
    std::size_t m_maxWaiting;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::string> m_lines;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace quorvo::server
