#include "platform/RunDirectory.h"

#include "platform/Files.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace quorvo::platform {

namespace {

std::string dataHomeDirectory()
{
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && dataHome[0] == '/')
        return std::string(dataHome) + "/quorvo";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.local/share/quorvo";
    return "/tmp/quorvo";
}

std::string stateHomeDirectory()
{
    if (const char* stateHome = std::getenv("XDG_STATE_HOME"); stateHome && stateHome[0] == '/')
        return std::string(stateHome) + "/quorvo";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.local/state/quorvo";
    return "/tmp/quorvo";
}

bool installedBeside(const std::string& executableDir)
{
    constexpr std::string_view bin = "/bin";
    if (executableDir.size() <= bin.size() || !executableDir.ends_with(bin))
        return false;
    const std::string prefix = executableDir.substr(0, executableDir.size() - bin.size());
    return isDirectory(fromNativePath(prefix + "/share/quorvo"));
}

Text computeRunDirectory()
{
    const std::string beside = executableDirectory();
    if (!beside.empty() && !installedBeside(beside) && ::access(beside.c_str(), W_OK | X_OK) == 0)
        return fromNativePath(beside == "/" ? "" : beside);
    const Text fallback = fromNativePath(dataHomeDirectory());
    createDirectories(fallback);
    return fallback;
}

}  // namespace

std::string executableDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    buffer.resize(static_cast<std::size_t>(length));
    const std::size_t slash = buffer.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : buffer.substr(0, slash);
}

const Text& runDirectory()
{
    static const Text directory = computeRunDirectory();
    return directory;
}

bool isInstalledLayout()
{
    static const bool installed = installedBeside(executableDirectory());
    return installed;
}

const Text& stateDirectory()
{
    static const Text directory = [] {
        const std::string beside = executableDirectory();
        if (!beside.empty() && runDirectory() == fromNativePath(beside == "/" ? "" : beside))
            return runDirectory();
        const Text state = fromNativePath(stateHomeDirectory());
        createDirectories(state);
        return state;
    }();
    return directory;
}

Text runPath(const Text& name)
{
    return runDirectory() + "/" + name;
}

}  // namespace quorvo::platform
