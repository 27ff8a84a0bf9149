#include "download/AddMessage.h"

#include <gtest/gtest.h>

namespace quorvo::download {
namespace {

TEST(AddMessage, SomeDuplicatesGiveCountsRunTogetherInBlue)
{
    const AddMessage message = composeAddMessage(5, 2);
    EXPECT_EQ(message.text, "3\xCA\xD7\xD2\xD1\xCC\xED\xBC\xD3,2\xCA\xD7\xD6\xD8\xB8\xB4.");  // 3首已添加,2首重复.
    EXPECT_EQ(message.colour, (MessageColour {74, 131, 163}));
}

TEST(AddMessage, AllDuplicatesStillUseTheDuplicateForm)
{
    EXPECT_EQ(composeAddMessage(2, 2).text, "0\xCA\xD7\xD2\xD1\xCC\xED\xBC\xD3,2\xCA\xD7\xD6\xD8\xB8\xB4.");
}

TEST(AddMessage, NoDuplicatesGiveTheAddedCountInGreen)
{
    const AddMessage message = composeAddMessage(3, 0);
    // 已添加3首歌曲至下载列表
    EXPECT_EQ(message.text,
              "\xD2\xD1\xCC\xED\xBC\xD3"
              "3\xCA\xD7\xB8\xE8\xC7\xFA\xD6\xC1\xCF\xC2\xD4\xD8\xC1\xD0\xB1\xED");
    EXPECT_EQ(message.colour, (MessageColour {69, 186, 107}));
}

TEST(AddMessage, NothingTickedAsksToTickInRedOrange)
{
    const AddMessage message = composeAddMessage(0, 0);
    EXPECT_EQ(message.text, "\xC7\xEB\xB9\xB4\xD1\xA1\xD3\xFB\xCF\xC2\xD4\xD8\xB5\xC4\xB8\xE8\xC7\xFA");
    EXPECT_EQ(message.colour, (MessageColour {211, 111, 84}));
}

}  // namespace
}  // namespace quorvo::download
