#include "app/Startup.h"

#include "platform/ConfigStore.h"
#include "platform/Files.h"

namespace quorvo {

void prepareConfiguration(const Text& runDir)
{
    const ConfigStore config(runDir + "/config.ini");
    const Text downloadDir = runDir + "/Download";

    if (!files::exists(config.path())) {
        files::createDirectory(downloadDir);
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
    if (savePath.empty() || !ensureSaveDirectory(savePath)) {
        files::createDirectory(downloadDir);
        config.write("path", downloadDir + "/");
    }
}

}  // namespace quorvo
