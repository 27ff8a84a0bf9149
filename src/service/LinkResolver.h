#pragma once

#include "runtime/Text.h"
#include "service/ServiceHost.h"

#include <optional>

namespace quorvo::service {

struct ResolvedLink {
    Text url;         // the song file's address; empty when the reply lacks it
    double size = 0;  // bytes; 0 when the reply lacks it
};

// Asks the link endpoint for a song's file. nullopt when the reply is not
// JSON; a JSON reply without the expected members still resolves, with an
// empty URL (the transfer then fails).
std::optional<ResolvedLink> resolveLink(const ServiceEndpoints& service, const Text& songId);

// The reading of a link reply, for a body already fetched.
std::optional<ResolvedLink> readLinkReply(const Text& body);

}  // namespace quorvo::service
