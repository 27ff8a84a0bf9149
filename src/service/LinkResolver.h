#pragma once

#include "runtime/Text.h"
#include "service/ServiceHost.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quorvo::service {

// The largest size a link may give (2^50 bytes, a petabyte): every size up
// to it is a whole number a double holds exactly and an int64_t takes.
inline constexpr double maxLinkSize = 1125899906842624.0;

struct ResolvedLink {
    Text url;  // the song file's address; empty when the reply lacks it
    // Whole bytes, 0 to maxLinkSize; 0 when the reply lacks it or gives
    // something no file can be (not a number, negative, beyond maxLinkSize).
    double size = 0;
};

// Asks the link endpoint for a song's file. nullopt when no 2xx reply came
// whole or it is not JSON; a JSON reply without the expected members still resolves, with an
// empty URL (the transfer then fails).
// `abort` returning true ends the request within a few tens of milliseconds
// (then there is no link).
std::optional<ResolvedLink> resolveLink(const ServiceEndpoints& service, const Text& songId,
                                        const std::function<bool()>& abort = {});

// The reading of a link reply, for a body already fetched.
std::optional<ResolvedLink> readLinkReply(const Text& body);

}  // namespace quorvo::service
