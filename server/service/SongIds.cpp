#include "service/SongIds.h"

namespace quorvo::server {

std::uint64_t fnv1a(std::string_view bytes, std::uint64_t seed)
{
    std::uint64_t hash = seed;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace quorvo::server
