#pragma once

// The tests' one way of waiting on a loop: turn it until a condition holds,
// with a limit, so that a stuck test fails instead of hanging.

#include <chrono>

namespace quorvo::test {

// Calls `turn` until `done()` holds or `limit` passes; true when it held.
template <typename Predicate, typename Turn>
bool pumpUntil(Predicate&& done, Turn&& turn, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        turn();
    }
    return true;
}

}  // namespace quorvo::test
