#include "LinePrinter.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace quorvo::server {
namespace {

struct Pipe {
    Pipe() { EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0); }
    ~Pipe()
    {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    std::string readSome() const
    {
        char buffer[4096];
        const ssize_t got = ::read(ends[0], buffer, sizeof buffer);
        return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
    }
    int ends[2] = {-1, -1};
};

TEST(LinePrinter, LinesArriveInOrderWithLineBreaks)
{
    Pipe pipe;
    {
        LinePrinter printer(pipe.ends[1]);
        printer.print("first");
        printer.print("second");
    }
    EXPECT_EQ(pipe.readSome(), "first\nsecond\n");
}

TEST(LinePrinter, AnUndrainedPipeNeverBlocksPrintingOrShutdown)
{
    Pipe pipe;
    const auto start = std::chrono::steady_clock::now();
    {
        LinePrinter printer(pipe.ends[1], 100);
        // Far more than a pipe holds; nobody reads.
        for (int i = 0; i < 100000; ++i)
            printer.print(std::string(200, 'x'));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(pipe.readSome().substr(0, 3), "xxx");
}

}  // namespace
}  // namespace quorvo::server
