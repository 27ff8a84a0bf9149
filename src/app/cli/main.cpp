// quorvo-cli: the search and the download queue without a window, over the
// same code and the same config.ini (beside the executable) as the program.

#include "app/Startup.h"
#include "app/cli/CliOptions.h"
#include "app/cli/ProgressView.h"
#include "download/DownloadQueue.h"
#include "download/ServiceSongFetcher.h"
#include "platform/ConfigStore.h"
#include "platform/Files.h"
#include "platform/RunDirectory.h"
#include "runtime/Encoding.h"
#include "service/FileNames.h"
#include "service/Search.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvo::cli {

using namespace quorvo::download;
using namespace quorvo::service;
using app::prepareConfiguration;

namespace {

using namespace std::chrono_literals;

enum ExitStatus { AllFinished = 0, NotAllFinished = 1, BadUsage = 2 };

std::atomic<bool> g_interrupted {false};

extern "C" void onInterrupt(int)
{
    g_interrupted.store(true);
}

// Ctrl-C pauses like the pause button; a second Ctrl-C ends the process at
// once (the partial file stays either way).
void catchInterrupt()
{
    struct sigaction action { };
    action.sa_handler = onInterrupt;
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::string utf8(const Text& text)
{
    return encoding::toUtf8(text.view());
}

std::vector<SongRecord> search(const ServiceEndpoints& service, const Options& options,
                               const platform::ConfigStore& config, const DownloadSettings& settings,
                               const DownloadList* queued)
{
    SearchFilter filter;
    filter.bypass = config.read("bypass") == "1";
    filter.saveDirectory = settings.saveDirectory();
    filter.buildName
        = [&config](const Text& title, const Text& artist) { return buildFileName(title, artist, config); };
    if (queued)
        filter.isQueued = [queued](const Text& name) { return queued->containsName(name); };
    return runSearch(service, encoding::fromUtf8(options.query), filter);
}

// --dir: the save directory for this run (a missing "/" is added); get creates it.
void applyDirectory(const Options& options, ConfigDownloadSettings& settings, bool create)
{
    if (options.directory) {
        const Text directory = platform::fromNativePath(*options.directory);
        if (create)
            platform::createDirectories(directory);
        settings.overrideSaveDirectory(directory);
    }
}

int runSearchCommand(const ServiceEndpoints& service, const Options& options, const platform::ConfigStore& config,
                     ConfigDownloadSettings& settings)
{
    applyDirectory(options, settings, false);
    const std::vector<SongRecord> rows = search(service, options, config, settings, nullptr);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SongRecord& row = rows[i];
        std::printf("%zu\t%s\t%s\t%s\t%s\t%s\n", i + 1, utf8(row.title).c_str(), utf8(row.album).c_str(),
                    utf8(row.artist).c_str(), utf8(row.quality).c_str(), utf8(row.songId).c_str());
    }
    return std::fflush(stdout) == 0 ? AllFinished : NotAllFinished;
}

int runGetCommand(const ServiceEndpoints& service, const Options& options, const platform::ConfigStore& config,
                  ConfigDownloadSettings& settings)
{
    applyDirectory(options, settings, true);
    if (options.limit)
        settings.overrideSpeedLimit(*options.limit);

    QueueMailbox mailbox;
    ServiceSongFetcher fetcher(service);
    DownloadQueue queue(
        fetcher, settings,
        [&config](const Text& title, const Text& artist) { return buildFileName(title, artist, config); }, &mailbox);

    const std::vector<SongRecord> rows = search(service, options, config, settings, &queue.list());
    std::vector<SongRecord> picked;
    if (options.all) {
        picked = rows;
    } else {
        for (const int64_t number : options.picks) {
            if (number > static_cast<int64_t>(rows.size())) {
                std::fprintf(stderr, "quorvo-cli: there is no result %lld (the search gave %zu)\n",
                             static_cast<long long>(number), rows.size());
                return BadUsage;
            }
            picked.push_back(rows[static_cast<std::size_t>(number - 1)]);
        }
    }

    catchInterrupt();
    ProgressView view(stderr, ::isatty(STDERR_FILENO) == 1);
    const AddOutcome outcome = queue.addTickedSongs(picked);
    std::fprintf(stderr, "%s\n", utf8(outcome.message.text).c_str());

    bool paused = false;
    while (true) {
        mailbox.waitForEvent(100ms);
        for (const QueueEvent& event : mailbox.takeAll())
            view.show(event);
        if (g_interrupted.load() && !paused) {
            paused = true;
            queue.stopWorker(true);
        }
        if (!queue.isRunning()) {
            for (const QueueEvent& event : mailbox.takeAll())
                view.show(event);
            break;
        }
    }
    view.finish();

    const std::vector<DownloadTask> tasks = queue.list().rows();
    bool allFinished = !tasks.empty();
    for (const DownloadTask& task : tasks) {
        std::printf("%s\t%s\n", utf8(task.name + songExtension(task.quality)).c_str(), utf8(task.status).c_str());
        allFinished = allFinished && task.status.view() == status::completed;
    }
    std::fflush(stdout);
    return allFinished ? AllFinished : NotAllFinished;
}

}  // namespace

int run(int argc, char** argv)
{
    const ParseResult parsed = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "quorvo-cli: %s\n%s", parsed.error.c_str(), usageText());
        return BadUsage;
    }
    const Options& options = *parsed.options;

    prepareConfiguration(platform::runDirectory());
    const platform::ConfigStore config;
    ConfigDownloadSettings settings(config);
    const ServiceEndpoints service(
        resolveServiceHost(options.service ? std::optional<Text>(encoding::fromUtf8(*options.service)) : std::nullopt));

    if (options.command == Command::Search)
        return runSearchCommand(service, options, config, settings);
    return runGetCommand(service, options, config, settings);
}

}  // namespace quorvo::cli

int main(int argc, char** argv)
{
    return quorvo::cli::run(argc, argv);
}
