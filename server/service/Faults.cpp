#include "service/Faults.h"

#include <sstream>

namespace quorvo::server {

void FaultSettings::mergeFrom(const FaultSettings& other)
{
    if (other.delay)
        delay = other.delay;
    if (other.bytesPerSecond)
        bytesPerSecond = other.bytesPerSecond;
    if (other.dropAfter)
        dropAfter = other.dropAfter;
    ignoreRange = ignoreRange || other.ignoreRange;
    if (other.status)
        status = other.status;
    if (other.retryAfter)
        retryAfter = other.retryAfter;
    if (other.redirect)
        redirect = other.redirect;
    chunked = chunked || other.chunked;
    setCookies.insert(setCookies.end(), other.setCookies.begin(), other.setCookies.end());
}

std::optional<FaultScope> parseFaultScope(const std::string& list)
{
    FaultScope scope {false, false, false, false, false};
    std::istringstream in(list);
    std::string item;
    bool any = false;
    while (std::getline(in, item, ',')) {
        if (item == "search")
            scope.search = true;
        else if (item == "link")
            scope.link = true;
        else if (item == "lyrics")
            scope.lyrics = true;
        else if (item == "files")
            scope.files = true;
        else if (item == "echo")
            scope.echo = true;
        else if (item == "all")
            scope = FaultScope {true, true, true, true, true};
        else
            return std::nullopt;
        any = true;
    }
    if (!any)
        return std::nullopt;
    return scope;
}

}  // namespace quorvo::server
