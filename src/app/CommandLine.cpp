#include "app/CommandLine.h"

#include <string_view>

namespace quorvo::app {

CommandLine parseCommandLine(std::span<const char* const> args)
{
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i] ? args[i] : "";
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--service") {
            if (i + 1 >= args.size()) {
                line.error = "--service needs HOST[:PORT]";
                return line;
            }
            line.service = args[++i];
        } else if (arg.starts_with("--service=")) {
            line.service = std::string(arg.substr(10));
        } else {
            line.error = "unknown argument: " + std::string(arg);
            return line;
        }
    }
    return line;
}

std::string helpText()
{
    return "Usage: quorvo [--service HOST[:PORT]]\n"
           "\n"
           "Quorvo Lossless Downloader (Quorvo无损音乐下载器): search the Quorvo music\n"
           "service, tick songs and download them with their lyrics.\n"
           "\n"
           "Options:\n"
           "  --service HOST[:PORT]  the service to talk to (else $QUORVO_API_HOST,\n"
           "                         else 127.0.0.1:8080, the bundled quorvo-server)\n"
           "  --version              print the version and exit\n"
           "  -h, --help             print this help and exit\n"
           "\n"
           "Settings live in config.ini beside the program, or in\n"
           "$XDG_DATA_HOME/quorvo when it is installed. The same search and download\n"
           "without a window: quorvo-cli --help.\n";
}

}  // namespace quorvo::app
