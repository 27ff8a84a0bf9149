#include "Options.h"

#include <charconv>

namespace quorvo::server {

namespace {

template <typename Number> std::optional<Number> parseNumber(const std::string& text)
{
    Number value {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::string usageText()
{
    return "usage: quorvo-server [options]\n"
           "  --host HOST              address to listen on (default 127.0.0.1)\n"
           "  --port N                 port, 0 picks a free one (default 8080)\n"
           "  --data-dir DIR           where generated song files are cached\n"
           "  --catalogue FILE         catalogue JSON (default: the bundled demo catalogue)\n"
           "  --quiet                  print only the listening line\n"
           "  --pregenerate ID[,ID..]  generate these songs' files before listening\n"
           "  --max-connections N      open connections at once; more get 503 (default 8192)\n"
           "  --idle-timeout-s N       close a connection silent for N seconds (default 15)\n"
           "fault switches (apply to the replies chosen by --fault-on):\n"
           "  --fault-delay-ms N       wait N ms before answering\n"
           "  --fault-rate N           send bodies at N bytes per second\n"
           "  --fault-drop-after N     cut the connection after N body bytes\n"
           "  --fault-ignore-range     answer 200 with the whole file despite Range\n"
           "  --fault-status N         answer with HTTP status N\n"
           "  --fault-retry-after TEXT send Retry-After: TEXT with the status answer\n"
           "  --fault-redirect         redirect (302) to the same resource under /_r\n"
           "  --fault-redirect-to URL  redirect (302) to URL\n"
           "  --fault-chunked          chunked transfer, no Content-Length\n"
           "  --fault-set-cookie TEXT  add a Set-Cookie header (repeatable)\n"
           "  --fault-on LIST          search,link,lyrics,files,echo or all\n"
           "                           (default search,link,lyrics,files)\n"
           "  --fault-times N          the faults touch only the first N replies in scope\n";
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            return arguments[++i];
        };
        const auto number = [&]() -> std::optional<std::uint64_t> {
            const auto text = value();
            if (!text)
                return std::nullopt;
            const auto parsed = parseNumber<std::uint64_t>(*text);
            if (!parsed)
                error = name + ": \"" + *text + "\" is not a number";
            return parsed;
        };

        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--host") {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.host = *text;
        } else if (name == "--port") {
            const auto port = number();
            if (!port)
                return std::nullopt;
            if (*port > 65535) {
                error = "--port must be 0..65535";
                return std::nullopt;
            }
            options.port = static_cast<std::uint16_t>(*port);
        } else if (name == "--data-dir") {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.dataDirectory = *text;
        } else if (name == "--catalogue") {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.cataloguePath = *text;
        } else if (name == "--quiet") {
            options.quiet = true;
        } else if (name == "--pregenerate") {
            const auto text = value();
            if (!text)
                return std::nullopt;
            std::size_t start = 0;
            while (start <= text->size()) {
                const auto comma = text->find(',', start);
                const std::string id = text->substr(start, comma - start);
                if (!id.empty())
                    options.pregenerate.push_back(id);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else if (name == "--max-connections") {
            const auto count = number();
            if (!count)
                return std::nullopt;
            if (*count < 1 || *count > 100000) {
                error = "--max-connections must be 1..100000";
                return std::nullopt;
            }
            options.maxConnections = static_cast<std::size_t>(*count);
        } else if (name == "--idle-timeout-s") {
            const auto seconds = number();
            if (!seconds)
                return std::nullopt;
            if (*seconds < 1 || *seconds > 3600) {
                error = "--idle-timeout-s must be 1..3600";
                return std::nullopt;
            }
            options.idleTimeoutSeconds = static_cast<unsigned>(*seconds);
        } else if (name == "--fault-delay-ms") {
            const auto ms = number();
            if (!ms)
                return std::nullopt;
            options.faults.delay = std::chrono::milliseconds(*ms);
        } else if (name == "--fault-rate") {
            const auto rate = number();
            if (!rate)
                return std::nullopt;
            if (*rate == 0) {
                error = "--fault-rate must be at least 1";
                return std::nullopt;
            }
            options.faults.bytesPerSecond = *rate;
        } else if (name == "--fault-drop-after") {
            const auto bytes = number();
            if (!bytes)
                return std::nullopt;
            options.faults.dropAfter = *bytes;
        } else if (name == "--fault-ignore-range") {
            options.faults.ignoreRange = true;
        } else if (name == "--fault-status") {
            const auto status = number();
            if (!status)
                return std::nullopt;
            if (*status < 100 || *status > 599) {
                error = "--fault-status must be 100..599";
                return std::nullopt;
            }
            options.faults.status = static_cast<int>(*status);
        } else if (name == "--fault-redirect") {
            options.faults.redirect = std::string();
        } else if (name == "--fault-redirect-to") {
            const auto url = value();
            if (!url)
                return std::nullopt;
            options.faults.redirect = *url;
        } else if (name == "--fault-chunked") {
            options.faults.chunked = true;
        } else if (name == "--fault-retry-after") {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.faults.retryAfter = *text;
        } else if (name == "--fault-times") {
            const auto count = number();
            if (!count)
                return std::nullopt;
            options.faults.times = *count;
        } else if (name == "--fault-set-cookie") {
            const auto cookie = value();
            if (!cookie)
                return std::nullopt;
            options.faults.setCookies.push_back(*cookie);
        } else if (name == "--fault-on") {
            const auto list = value();
            if (!list)
                return std::nullopt;
            const auto scope = parseFaultScope(*list);
            if (!scope) {
                error = "--fault-on: \"" + *list + "\" is not a list of search, link, lyrics, files, echo, all";
                return std::nullopt;
            }
            options.faultScope = *scope;
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace quorvo::server
