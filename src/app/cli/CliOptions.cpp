#include "app/cli/CliOptions.h"

#include "download/DownloadSettings.h"

#include <charconv>
#include <string_view>

namespace quorvo::cli {

namespace {

std::optional<int64_t> parseInteger(std::string_view digits)
{
    int64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// "3,1,7": positive numbers separated by commas.
std::optional<std::vector<int64_t>> parsePicks(std::string_view list)
{
    std::vector<int64_t> picks;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::optional<int64_t> number = parseInteger(list.substr(0, comma));
        if (!number || *number < 1)
            return std::nullopt;
        picks.push_back(*number);
        if (comma == std::string_view::npos)
            return picks;
        list.remove_prefix(comma + 1);
    }
}

ParseResult failure(std::string message)
{
    return {std::nullopt, std::move(message)};
}

}  // namespace

ParseResult parseArguments(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> positional;
    bool picked = false;
    bool retried = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        std::optional<std::string> attached;
        if (argument.starts_with("--")) {
            if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
                attached = argument.substr(equals + 1);
                argument.resize(equals);
            }
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (attached)
                return attached;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };

        if (argument == "--service") {
            options.service = value();
            if (!options.service || options.service->empty())
                return failure("--service needs HOST[:PORT]");
        } else if (argument == "--all") {
            options.all = true;
        } else if (argument == "--pick") {
            const std::optional<std::string> list = value();
            const std::optional<std::vector<int64_t>> picks = list ? parsePicks(*list) : std::nullopt;
            if (!picks)
                return failure("--pick needs result numbers such as 1,3,5");
            options.picks.insert(options.picks.end(), picks->begin(), picks->end());
            picked = true;
        } else if (argument == "--dir") {
            options.directory = value();
            if (!options.directory || options.directory->empty())
                return failure("--dir needs a directory");
        } else if (argument == "--limit") {
            const std::optional<std::string> text = value();
            options.limit = text ? parseInteger(*text) : std::nullopt;
            if (!options.limit)
                return failure("--limit needs a whole number of KB/s (0: no limit)");
        } else if (argument == "--jobs") {
            const std::optional<std::string> text = value();
            options.jobs = text ? parseInteger(*text) : std::nullopt;
            if (!options.jobs || *options.jobs < 1 || *options.jobs > download::maxJobs)
                return failure("--jobs needs a whole number of songs at once from 1 to "
                               + std::to_string(download::maxJobs));
        } else if (argument == "--keep-going") {
            options.keepGoing = true;
        } else if (argument == "--no-audio-check") {
            options.checkFlacAudio = false;
        } else if (argument == "--retries") {
            const std::optional<std::string> text = value();
            const std::optional<int64_t> retries = text ? parseInteger(*text) : std::nullopt;
            // Beyond this the doubling pauses would outlast any real outage.
            if (!retries || *retries < 0 || *retries > maxRetries)
                return failure("--retries needs a whole number from 0 to " + std::to_string(maxRetries));
            options.retries = *retries;
            retried = true;
        } else if (argument == "--") {
            positional.insert(positional.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              arguments.end());
            break;
        } else if (argument.starts_with("--")) {
            return failure("unknown option " + argument);
        } else {
            positional.push_back(arguments[i]);
        }
    }

    if (positional.empty())
        return failure("no command given");
    if (positional[0] == "search") {
        options.command = Command::Search;
        // --dir is accepted so that the bypass test (and so the numbering) can match a later get.
        if (options.all || picked || options.limit || options.jobs || options.keepGoing || retried
            || !options.checkFlacAudio)
            return failure(
                "--pick, --all, --limit, --jobs, --keep-going, --retries and --no-audio-check belong to get");
    } else if (positional[0] == "get") {
        options.command = Command::Get;
        if (options.all == picked)
            return failure("get needs either --pick N[,M...] or --all");
    } else if (positional[0] == "queue" || positional[0] == "resume") {
        const bool resume = positional[0] == "resume";
        options.command = resume ? Command::Resume : Command::Queue;
        if (options.all || picked || options.directory)
            return failure("--pick, --all and --dir belong to get and search");
        if (!resume && (options.limit || options.jobs || options.keepGoing || retried || !options.checkFlacAudio))
            return failure("queue takes no options");
        if (positional.size() != 1)
            return failure(positional[0] + " takes no QUERY");
        return {options, {}};
    } else {
        return failure("unknown command " + positional[0]);
    }
    if (positional.size() != 2)
        return failure("give exactly one QUERY (quote it when it has blanks)");
    options.query = positional[1];
    return {options, {}};
}

const char* usageText()
{
    return "usage: quorvo-cli [--service HOST[:PORT]] search QUERY [--dir DIR]\n"
           "       quorvo-cli [--service HOST[:PORT]] get QUERY (--pick N[,M...] | --all) [--dir DIR] [--limit KBPS]\n"
           "                  [--jobs N] [--keep-going] [--retries N] [--no-audio-check]\n"
           "       quorvo-cli queue\n"
           "       quorvo-cli [--service HOST[:PORT]] resume [--limit KBPS] [--jobs N] [--keep-going] [--retries N]\n"
           "                  [--no-audio-check]\n"
           "  queue             list the download list the window keeps: status, progress, file, reason\n"
           "  resume            download its unfinished songs (not while a window has the list open)\n"
           "  --jobs N          download N songs at once (default: jobs in config.ini, else 1)\n"
           "  --keep-going      go on with the next song when one fails (otherwise the queue stops)\n"
           "  --retries N       try a transfer that failed on a network error N more times, resuming it,\n"
           "                    after 1 s, 2 s, 4 s ... (default: config.ini's retries, else 3)\n"
           "  --no-audio-check  keep a FLAC without decoding it to compare its audio with the MD5 in its\n"
           "                    header (sizes and the partial file's identity are still checked)\n";
}

}  // namespace quorvo::cli
