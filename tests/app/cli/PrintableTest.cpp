#include "app/cli/Printable.h"

#include <gtest/gtest.h>

namespace quorvo::cli {
namespace {

TEST(Printable, EveryControlCharacterIsEscapedAndNothingElse)
{
    EXPECT_EQ(printable("a\tb\nc\rd\x1B[31m\x7F"), "a\\x09b\\x0Ac\\x0Dd\\x1B[31m\\x7F");
    EXPECT_EQ(printable("\x01\x1F"), "\\x01\\x1F");
    // C1 controls in UTF-8 (U+0085 next line, U+009B the one-byte CSI).
    EXPECT_EQ(printable("x\xC2\x85y\xC2\x9B"), "x\\u0085y\\u009B");
    // Letters beside them stay: "é" is C3 A9, U+00A0 is C2 A0.
    EXPECT_EQ(printable("夜色 \xC3\xA9\xC2\xA0\\"), "夜色 \xC3\xA9\xC2\xA0\\");
    EXPECT_EQ(printable(""), "");
}

}  // namespace
}  // namespace quorvo::cli
