#include "app/AppLayout.h"

#include "app/DesktopServices.h"
#include "platform/Files.h"
#include "platform/RunDirectory.h"

#include <climits>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace quorvo::app {

namespace {

std::string executableDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    buffer.resize(static_cast<std::size_t>(length));
    return buffer.substr(0, buffer.rfind('/'));
}

Text fileAddress(const std::string& nativePath)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::weakly_canonical(nativePath, error);
    if (error || !std::filesystem::is_regular_file(path, error))
        return {};
    return "file://" + platform::fromNativePath(path.string());
}

}  // namespace

AppLayout detectLayout()
{
    AppLayout layout;
    layout.runDirectory = platform::runDirectory();
    layout.installed = platform::isInstalledLayout();
    if (layout.installed) {
        layout.defaultSaveDirectory = platform::fromNativePath(musicDirectory() + "/Quorvo/");
        // PREFIX/bin/quorvo reads PREFIX/share/quorvo/README.md.
        layout.authorPage = fileAddress(executableDirectory() + "/../share/quorvo/README.md");
    } else {
        layout.defaultSaveDirectory = layout.runDirectory + "/Download/";
        layout.authorPage = fileAddress(QUORVO_SOURCE_README);
    }
    return layout;
}

}  // namespace quorvo::app
