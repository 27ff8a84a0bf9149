// Releases the text engine after the last test, so that leak checkers see the
// font libraries' caches freed.

#include "gfx/Font.h"

#include <gtest/gtest.h>

namespace {

class TextEngineEnvironment : public ::testing::Environment {
public:
    void TearDown() override { quorvo::gfx::releaseTextEngine(); }
};

// gtest owns registered environments.
[[maybe_unused]] ::testing::Environment* const textEngine
    = ::testing::AddGlobalTestEnvironment(new TextEngineEnvironment);

}  // namespace

// Fontconfig parses its configuration once per process and never frees all of
// it; LeakSanitizer would report that at every exit.
extern "C" const char* __lsan_default_suppressions()  // NOLINT(bugprone-reserved-identifier): sanitizer hook
{
    return "leak:libfontconfig.so\n";
}
