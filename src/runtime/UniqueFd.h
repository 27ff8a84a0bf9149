#pragma once

// Owns one POSIX file descriptor, and writes a whole buffer to one.

#include <string_view>
#include <utility>

namespace quorvo {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    { }
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    { }
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    // Closes now and says whether the close succeeded (a write-back error
    // may only show here); closing nothing is a success.
    bool close();
    void reset(int fd = -1);
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

// Writes every byte, across short writes and interrupted calls; false on the
// first real error.
bool writeAll(int fd, std::string_view data);

}  // namespace quorvo
