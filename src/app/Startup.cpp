#include "app/Startup.h"

#include "platform/ConfigStore.h"
#include "platform/Files.h"

namespace quorvo::app {

void prepareConfiguration(const Text& runDir)
{
    prepareConfiguration(runDir, runDir + "/Download/");
}

void prepareConfiguration(const Text& runDir, const Text& defaultSaveDir)
{
    const platform::ConfigStore config(runDir + "/config.ini");
    Text downloadDir = defaultSaveDir;
    while (downloadDir.size() > 1 && downloadDir.view().ends_with('/'))
        downloadDir = Text(downloadDir.view().substr(0, downloadDir.size() - 1));

    if (!platform::exists(config.path())) {
        platform::createDirectories(downloadDir);
        // The order of the defaults is the order of the keys in the new file.
        config.write("path", downloadDir + "/");
        config.write("sType", "0");
        config.write("lrc", "1");
        config.write("wav", "0");
        config.write("bypass", "1");
        config.write("delete", "1");
        config.write("speed", "0");
    }

    const Text savePath = config.read("path");
    // An empty path would otherwise pass as "/"; it means the key is missing.
    if (savePath.empty() || !platform::ensureSaveDirectory(savePath)) {
        platform::createDirectories(downloadDir);
        config.write("path", downloadDir + "/");
    }
}

}  // namespace quorvo::app
