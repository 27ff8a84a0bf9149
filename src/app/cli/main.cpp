// quorvo-cli: the search and the download queue without a window, over the
// same code and the same config.ini (beside the executable) as the program.

#include "app/AppServices.h"
#include "app/Startup.h"
#include "app/cli/CliOptions.h"
#include "app/cli/InterruptWatch.h"
#include "app/cli/Printable.h"
#include "app/cli/ProgressView.h"
#include "app/cli/QueueListing.h"
#include "platform/ConfigStore.h"
#include "platform/Files.h"
#include "platform/RunDirectory.h"
#include "runtime/Encoding.h"
#include "runtime/Numbers.h"
#include "service/Search.h"
#include "service/SongNaming.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quorvo::cli {

using namespace quorvo::download;
using namespace quorvo::service;
using app::prepareConfiguration;

namespace {

using namespace std::chrono_literals;

enum ExitStatus { AllFinished = 0, NotAllFinished = 1, BadUsage = 2 };

// The first retry's pause; tests shorten it through the environment.
std::chrono::milliseconds firstRetryPause()
{
    if (const char* value = std::getenv("QUORVO_CLI_RETRY_PAUSE_MS"); value && *value)
        return std::chrono::milliseconds(std::max<int64_t>(0, numbers::toInteger(value)));
    return 1000ms;
}

// UTF-8 with every control character escaped: what the service sends must
// not forge output lines or terminal sequences.
std::string utf8(const Text& text)
{
    return printable(encoding::toUtf8(text.view()));
}

Text fileNameOf(const Text& path)
{
    const int64_t slash = text::findLast(path.view(), "/");
    return slash < 0 ? path : text::mid(path.view(), slash + 1, static_cast<int64_t>(path.size()));
}

// The search's rows. With `bypass` on, the songs already in the save
// directory or the queue are left out here rather than in the search itself,
// so that the caller learns how many there were (`alreadyThere`).
std::vector<SongRecord> search(const app::AppServices& services, const Options& options, const DownloadList* queued,
                               SearchReport& report, std::size_t& alreadyThere)
{
    SearchFilter filter;
    filter.naming = services.settings().naming();
    std::vector<SongRecord> rows
        = runSearch(services.service(), encoding::fromUtf8(options.query), filter, {}, {}, &report);
    alreadyThere = 0;
    if (!services.settings().bypass())
        return rows;
    std::erase_if(rows, [&](const SongRecord& row) {
        const Text name = filter.naming.nameOf(row);
        const bool there
            = platform::exists(filter.naming.pathsOf(name, row.quality).song) || (queued && queued->containsName(name));
        alreadyThere += there ? 1 : 0;
        return there;
    });
    return rows;
}

// A search that failed is no empty result: say so. False when it failed.
bool searchAnswered(const ServiceEndpoints& service, const SearchReport& report)
{
    if (!report.answered) {
        std::fprintf(stderr, "quorvo-cli: the service at %s did not answer\n", utf8(service.host()).c_str());
        return false;
    }
    if (!report.searchDocument) {
        std::fprintf(stderr, "quorvo-cli: the service at %s did not answer with a search result (HTTP %ld)\n",
                     utf8(service.host()).c_str(), report.status);
        return false;
    }
    return true;
}

// --dir: the save directory for this run (a missing "/" is added); get
// creates it. --limit and --retries: the speed limit and the retries for this
// run. config.ini keeps its own.
void applyOptions(const Options& options, app::LiveSettings& settings, bool create)
{
    app::SettingsValues values = settings.values();
    if (options.directory) {
        const Text directory = platform::fromNativePath(*options.directory);
        if (create)
            platform::createDirectories(directory);
        values.saveDirectory = withTrailingSlash(directory);
    }
    if (options.limit)
        values.speed = numbers::fromInteger(*options.limit);
    if (options.retries)
        values.retries = *options.retries;
    if (options.jobs)
        values.jobs = *options.jobs;
    settings.update(values);
}

int runSearchCommand(const ServiceEndpoints& service, const Options& options)
{
    app::AppServices services(platform::ConfigStore(), service);
    applyOptions(options, services.settings(), false);
    SearchReport report;
    std::size_t alreadyThere = 0;
    const std::vector<SongRecord> rows = search(services, options, nullptr, report, alreadyThere);
    if (!options.query.empty() && !searchAnswered(service, report))
        return NotAllFinished;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SongRecord& row = rows[i];
        std::printf("%zu\t%s\t%s\t%s\t%s\t%s\n", i + 1, utf8(row.title).c_str(), utf8(row.album).c_str(),
                    utf8(row.artist).c_str(), utf8(row.quality).c_str(), utf8(row.songId).c_str());
    }
    return std::fflush(stdout) == 0 ? AllFinished : NotAllFinished;
}

// --keep-going: a transfer that failed stops the workers and leaves its row
// "下载终止" (stopped, so the next start would take it again). The row
// becomes "下载失败" instead, and the workers go on with the next songs. Rows
// the stop only interrupted (no reason) are taken again; when no stopped row
// says why, the first one is given up. False when no row was left stopped.
bool giveUpStoppedRows(DownloadList& list)
{
    bool gaveUp = false;
    std::optional<uint64_t> firstStopped;
    for (const DownloadTask& task : list.rows()) {
        const auto* stopped = std::get_if<Stopped>(&task.state);
        if (!stopped)
            continue;
        if (!stopped->reason.empty()) {
            list.setState(task.id, Failed {stopped->reason});
            gaveUp = true;
        } else if (!firstStopped) {
            firstStopped = task.id;
        }
    }
    if (!gaveUp && firstStopped) {
        list.setState(*firstStopped, Failed {});
        gaveUp = true;
    }
    return gaveUp;
}

int resumeQueue(DownloadQueue& queue, QueueMailbox& mailbox, InterruptWatch& interrupts, const Options& options);
std::vector<DownloadTask> runToTheEnd(DownloadQueue& queue, QueueMailbox& mailbox, InterruptWatch& interrupts,
                                      const Options& options);
bool reportRows(const std::vector<DownloadTask>& tasks);

// get, and resume (which takes the kept list's unfinished rows instead of a search's).
int runGetCommand(const ServiceEndpoints& service, const Options& options)
{
    // Before the queue starts its threads, so that they inherit the blocked signals.
    InterruptWatch interrupts;
    QueueMailbox mailbox([&interrupts] { interrupts.wake(); });
    FetchNotices notices;
    notices.retrying = [](const SongPaths& target, int64_t retry, std::chrono::milliseconds pause) {
        std::fprintf(stderr, "quorvo-cli: %s failed; retry %lld in %.1f s\n", utf8(fileNameOf(target.song)).c_str(),
                     static_cast<long long>(retry), static_cast<double>(pause.count()) / 1000.0);
    };
    notices.corrupt = [](const SongPaths& target) {
        std::fprintf(stderr,
                     "quorvo-cli: %s: the audio does not match the MD5 checksum in its own header, so the service's "
                     "file is damaged; it is kept as %s and not retried\n",
                     utf8(fileNameOf(target.song)).c_str(), utf8(fileNameOf(target.partial)).c_str());
    };
    app::AppServicesOptions serviceOptions;
    serviceOptions.transfer.checkFlacAudio = options.checkFlacAudio;
    serviceOptions.firstRetryPause = firstRetryPause();
    serviceOptions.retryNotices = std::move(notices);
    const bool resume = options.command == Command::Resume;
    if (resume)
        serviceOptions.queueStore = app::queueStoreFile();
    app::AppServices services(platform::ConfigStore(), service, std::move(serviceOptions));
    if (services.queueKeptElsewhere()) {
        std::fprintf(stderr,
                     "quorvo-cli: the download list %s is in use by a quorvo window (or another quorvo-cli resume); "
                     "close it first, or press start in the window\n",
                     platform::nativePath(app::queueStoreFile()).c_str());
        return NotAllFinished;
    }
    if (!services.queueNotice().empty())
        std::fprintf(stderr, "quorvo-cli: %s\n", printable(services.queueNotice()).c_str());
    applyOptions(options, services.settings(), true);
    services.listenToQueue(&mailbox);
    DownloadQueue& queue = services.queue();
    if (resume)
        return resumeQueue(queue, mailbox, interrupts, options);
    const app::LiveSettings& settings = services.settings();

    SearchReport report;
    std::size_t alreadyThere = 0;
    const std::vector<SongRecord> rows = search(services, options, &queue.list(), report, alreadyThere);
    if (!options.query.empty() && !searchAnswered(service, report))
        return NotAllFinished;
    // Nothing left to get because everything found is already there: done, not a bad number.
    if (rows.empty() && alreadyThere > 0) {
        std::fprintf(stderr, "quorvo-cli: every song found (%zu) is already in %s\n", alreadyThere,
                     utf8(settings.saveDirectory()).c_str());
        return AllFinished;
    }
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

    const AddOutcome outcome = queue.addTickedSongs(picked);
    std::fprintf(stderr, "%s\n", utf8(outcome.message.text).c_str());
    const std::vector<DownloadTask> tasks = runToTheEnd(queue, mailbox, interrupts, options);
    return reportRows(tasks) ? AllFinished : NotAllFinished;
}

// The rows a kept list left unfinished, downloaded as the window's start would.
int resumeQueue(DownloadQueue& queue, QueueMailbox& mailbox, InterruptWatch& interrupts, const Options& options)
{
    std::vector<uint64_t> unfinished;
    for (const DownloadTask& task : queue.list().rows()) {
        if (isClaimable(task.state))
            unfinished.push_back(task.id);
    }
    if (unfinished.empty()) {
        std::fprintf(stderr, "quorvo-cli: nothing to resume in %s\n",
                     platform::nativePath(app::queueStoreFile()).c_str());
        return AllFinished;
    }
    mailbox.takeAll();
    queue.startWorker();
    std::vector<DownloadTask> tasks = runToTheEnd(queue, mailbox, interrupts, options);
    std::erase_if(tasks, [&](const DownloadTask& task) {
        return std::find(unfinished.begin(), unfinished.end(), task.id) == unfinished.end();
    });
    return reportRows(tasks) ? AllFinished : NotAllFinished;
}

// Shows the queue's progress until its workers end (an interrupt pauses
// them); the rows as they ended.
std::vector<DownloadTask> runToTheEnd(DownloadQueue& queue, QueueMailbox& mailbox, InterruptWatch& interrupts,
                                      const Options& options)
{
    ProgressView view(stderr, ::isatty(STDERR_FILENO) == 1);
    view.nameRows(queue.list().rows());
    bool paused = false;
    while (true) {
        // Events and signals end the wait at once; the timeout is only a safety net.
        if (interrupts.wait(1000ms) && !paused) {
            paused = true;
            interrupts.letTheNextSignalThrough();
            queue.stopWorker(true);
        }
        for (const QueueEvent& event : mailbox.takeAll())
            view.show(event);
        if (!queue.isRunning()) {
            for (const QueueEvent& event : mailbox.takeAll())
                view.show(event);
            if (!paused && options.keepGoing && giveUpStoppedRows(queue.list()) && queue.list().firstClaimable()) {
                queue.startWorker();
                continue;
            }
            break;
        }
    }
    view.finish();
    return queue.list().rows();
}

// Why each row failed (error output) and each row's final status (output);
// true when every one of them finished.
bool reportRows(const std::vector<DownloadTask>& tasks)
{
    bool allFinished = !tasks.empty();
    for (const DownloadTask& task : tasks) {
        if (const FailureReason failure = reasonOf(task.state); !failure.empty())
            std::fprintf(stderr, "quorvo-cli: %s: %s\n", utf8(task.name + songExtension(task.quality)).c_str(),
                         utf8(describe(failure)).c_str());
    }
    for (const DownloadTask& task : tasks) {
        std::printf("%s\t%s\n", utf8(task.name + songExtension(task.quality)).c_str(),
                    utf8(statusText(task.state)).c_str());
        allFinished = allFinished && std::holds_alternative<Completed>(task.state);
    }
    std::fflush(stdout);
    return allFinished;
}

}  // namespace

int run(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::fputs(usageText(), stdout);
            return AllFinished;
        }
    }
    const ParseResult parsed = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "quorvo-cli: %s\n%s", printable(parsed.error).c_str(), usageText());
        return BadUsage;
    }
    const Options& options = *parsed.options;

    if (options.command == Command::Queue)
        return listQueue(platform::nativePath(app::queueStoreFile()), stdout, stderr);
    prepareConfiguration(platform::runDirectory());
    const ServiceEndpoints service(
        resolveServiceHost(options.service ? std::optional<Text>(encoding::fromUtf8(*options.service)) : std::nullopt));

    if (options.command == Command::Search)
        return runSearchCommand(service, options);
    return runGetCommand(service, options);
}

}  // namespace quorvo::cli

int main(int argc, char** argv)
{
    return quorvo::cli::run(argc, argv);
}
