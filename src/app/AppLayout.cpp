#include "app/AppLayout.h"

#include "app/DesktopServices.h"
#include "platform/Files.h"
#include "platform/RunDirectory.h"

#include <filesystem>
#include <string>

namespace quorvo::app {

namespace {

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
        layout.authorPage = fileAddress(platform::executableDirectory() + "/../share/quorvo/README.md");
    } else {
        layout.defaultSaveDirectory = layout.runDirectory + "/Download/";
        layout.authorPage = fileAddress(QUORVO_SOURCE_README);
    }
    return layout;
}

}  // namespace quorvo::app
