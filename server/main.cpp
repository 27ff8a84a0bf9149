// quorvo-server: the reference Quorvo service on loopback, for the demo and
// for every network test.

#include "LinePrinter.h"
#include "Options.h"
#include "http/HttpServer.h"
#include "http/RequestLog.h"
#include "media/MediaStore.h"
#include "service/Catalogue.h"
#include "service/QuorvoService.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace quorvo::server;

std::filesystem::path executableDirectory()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

std::string defaultCataloguePath()
{
    const auto beside = executableDirectory() / "quorvo-catalogue.json";
    std::error_code error;
    if (std::filesystem::exists(beside, error))
        return beside.string();
    return QUORVO_SERVER_SOURCE_CATALOGUE;
}

std::string defaultDataDirectory()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return std::string(cache) + "/quorvo-server";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/quorvo-server";
    return "quorvo-server-data";
}

std::string urlHost(const std::string& host)
{
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "quorvo-server: " << error << "\n" << usageText();
        return 2;
    }
    if (options->help) {
        std::cout << usageText();
        return 0;
    }

    const std::string cataloguePath = options->cataloguePath.empty() ? defaultCataloguePath() : options->cataloguePath;
    const auto catalogue = Catalogue::load(cataloguePath, error);
    if (!catalogue) {
        std::cerr << "quorvo-server: catalogue " << cataloguePath << ": " << error << "\n";
        return 1;
    }
    const std::filesystem::path dataDirectory
        = options->dataDirectory.empty() ? defaultDataDirectory() : options->dataDirectory;
    std::error_code created;
    std::filesystem::create_directories(dataDirectory, created);
    if (created) {
        std::cerr << "quorvo-server: cannot create " << dataDirectory << ": " << created.message() << "\n";
        return 1;
    }

    MediaStore media(dataDirectory);
    for (const std::string& id : options->pregenerate) {
        const Song* song = catalogue->find(id);
        if (!song) {
            std::cerr << "quorvo-server: --pregenerate: no song " << id << "\n";
            return 2;
        }
        const auto started = std::chrono::steady_clock::now();
        const auto file = media.ensure(*song, error);
        if (!file) {
            std::cerr << "quorvo-server: song " << id << ": " << error << "\n";
            return 1;
        }
        if (!options->quiet) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
            std::cerr << "song " << id << ": " << file->size << " bytes, " << took.count() << " s\n";
        }
    }

    // Signals are taken by one thread with sigwait; every other thread
    // inherits the blocked mask. A vanished peer must not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    RequestLog log;
    ServiceSettings settings;
    settings.globalFaults = options->faults;
    settings.globalScope = options->faultScope;
    QuorvoService service(*catalogue, media, log, settings);
    HttpServer::Limits limits;
    limits.maxConnections = options->maxConnections;
    limits.idleTimeout = std::chrono::seconds(options->idleTimeoutSeconds);
    HttpServer server([&service](const HttpRequest& request) { return service.handle(request); }, log,
                      &QuorvoService::isLogged, limits);
    if (const auto failure = server.listen(options->host, options->port)) {
        std::cerr << "quorvo-server: " << *failure << "\n";
        return 1;
    }
    const std::string address = urlHost(options->host) + ":" + std::to_string(server.port());
    service.setFallbackHost(address);

    std::atomic<bool> signalled {false};
    std::thread signalWatcher([&server, &signalled, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        signalled = true;
        server.stop();
    });

    std::cout << "listening on http://" << address << std::endl;
    // After the listening line: one access line per request, unless quiet.
    std::optional<LinePrinter> accessLines;
    if (!options->quiet) {
        accessLines.emplace(STDOUT_FILENO);
        log.setObserver([&accessLines](const RequestLog::Entry& entry) {
            accessLines->print(escapeLogField(entry.method) + ' ' + escapeLogField(entry.target) + ' '
                               + std::to_string(entry.status) + ' ' + std::to_string(entry.bodyBytes.load()));
        });
    }
    if (!options->quiet)
        std::cerr << "catalogue " << cataloguePath << ": " << catalogue->songs().size() << " songs; data in "
                  << dataDirectory.string() << "\n";
    server.run();
    // run() also ends when the listening socket fails; release the watcher then.
    if (!signalled.load())
        pthread_kill(signalWatcher.native_handle(), SIGTERM);
    signalWatcher.join();
    return 0;
}
