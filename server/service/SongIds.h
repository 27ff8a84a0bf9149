#pragma once

// Stable numbers and fingerprints derived from catalogue texts.

#include <cstdint>
#include <string_view>

namespace quorvo::server {

std::uint64_t fnv1a(std::string_view bytes, std::uint64_t seed = 14695981039346656037ull);

// Ids in the service's style, stable for the same name.
inline std::uint64_t artistId(std::string_view artist)
{
    return 1000 + fnv1a(artist) % 9000000;
}
inline std::uint64_t albumId(std::string_view album)
{
    return 10000000 + fnv1a(album, 7) % 90000000;
}

}  // namespace quorvo::server
