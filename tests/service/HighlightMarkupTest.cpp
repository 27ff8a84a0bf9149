#include "service/HighlightMarkup.h"

#include <gtest/gtest.h>

namespace quorvo::service {
namespace {

TEST(StripHighlightMarkup, RemovesEmphasisAndDecodesAmpersandOnce)
{
    EXPECT_EQ(stripHighlightMarkup("&lt;em&gt;Love&lt;/em&gt; &amp;amp; Peace"), "Love &amp; Peace");
}

TEST(StripHighlightMarkup, IsCaseSensitiveAndLeavesOtherEntities)
{
    EXPECT_EQ(stripHighlightMarkup("&LT;em&GT;x &quot;"), "&LT;em&GT;x &quot;");
    EXPECT_EQ(stripHighlightMarkup("&lt;em&gt;&lt;em&gt;\xC4\xE3"), "\xC4\xE3");
}

}  // namespace
}  // namespace quorvo::service
