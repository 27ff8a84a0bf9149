#include "Unprivileged.h"

#include <cstdio>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvo::test {

std::string runUnprivileged(const std::function<std::string()>& check)
{
    if (::geteuid() != 0)
        return check();

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        ::close(pipeFds[0]);
        constexpr uid_t kNobody = 65534;
        std::string result;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            result = "cannot drop privileges";
        else
            result = check();
        const ssize_t ignored = ::write(pipeFds[1], result.data(), result.size());
        (void)ignored;
        ::_exit(result.empty() ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return "check crashed";
    return WEXITSTATUS(status) == 0 ? std::string() : (message.empty() ? "check failed" : message);
}

}  // namespace quorvo::test
