#pragma once

// Permission tests mean nothing to root, which writes anywhere. When the
// tests run as root, `runUnprivileged` runs the check in a child process
// that has dropped to the "nobody" user; otherwise it runs it in place.

#include <functional>
#include <string>

namespace quorvo::test {

// `check` returns an empty string on success, otherwise what went wrong.
// The result is the check's result, or why it could not be run.
std::string runUnprivileged(const std::function<std::string()>& check);

}  // namespace quorvo::test
