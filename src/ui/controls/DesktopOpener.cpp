#include "ui/controls/DesktopOpener.h"

#include "runtime/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvo::ui {

namespace {

constexpr const char* openerProgram = "xdg-open";

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

// Only async-signal-safe calls between fork and exec: the program has threads.
[[noreturn]] void reportAndExit(int fd, int code)
{
    while (::write(fd, &code, sizeof code) < 0 && errno == EINTR) { }
    ::_exit(127);
}

}  // namespace

bool openWithDesktop(std::string_view utf8Target, std::string* error)
{
    if (utf8Target.empty() || utf8Target.front() == '-' || utf8Target.find('\0') != std::string_view::npos) {
        setError(error, "refused to open an empty target or one the opener would take for an option");
        return false;
    }
    std::string argument(utf8Target);
    std::string program(openerProgram);
    char* argv[] = {program.data(), argument.data(), nullptr};

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        setError(error, std::string("pipe: ") + std::strerror(errno));
        return false;
    }
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);

    const pid_t child = ::fork();
    if (child < 0) {
        setError(error, std::string("fork: ") + std::strerror(errno));
        return false;
    }
    if (child == 0) {
        // The intermediate child forks the opener and exits at once; the opener
        // is then adopted by init, so nobody has to wait for it.
        ::setsid();
        const pid_t opener = ::fork();
        if (opener < 0)
            reportAndExit(writeEnd.get(), errno);
        if (opener > 0)
            ::_exit(0);
        ::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
        ::execvp(argv[0], argv);
        reportAndExit(writeEnd.get(), errno);
    }
    writeEnd.reset();

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }

    // The pipe closes on a successful exec; a failed one writes its errno.
    int code = 0;
    ssize_t got = 0;
    do {
        got = ::read(readEnd.get(), &code, sizeof code);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof code)) {
        setError(error, std::string("cannot run ") + openerProgram + ": " + std::strerror(code));
        return false;
    }
    return true;
}

LinkOpener desktopOpener()
{
    return [](std::string_view target) { return openWithDesktop(target); };
}

}  // namespace quorvo::ui
