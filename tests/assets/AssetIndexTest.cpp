#include "assets/Assets.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace {

using quorvo::assets::all;
using quorvo::assets::find;

std::string bytesOf(std::span<const std::byte> bytes)
{
    return std::string(quorvo::assets::asStringView(bytes));
}

TEST(AssetIndex, EveryCommittedFileIsEmbeddedWithItsExactBytes)
{
    std::set<std::string> onDisk;
    for (const auto& entry : std::filesystem::directory_iterator(QUORVO_ASSET_DIR)) {
        const std::string name = entry.path().filename().string();
        onDisk.insert(name);
        const auto embedded = find(name);
        ASSERT_FALSE(embedded.empty()) << name << " is committed but not embedded";
        EXPECT_EQ(bytesOf(embedded), quorvo::test::readWholeFile(entry.path())) << name;
    }
    std::set<std::string> indexed;
    for (const auto& asset : all())
        indexed.insert(std::string(asset.name));
    EXPECT_EQ(indexed, onDisk);
}

TEST(AssetIndex, NamesAreUniqueSoLookupIsUnambiguous)
{
    std::set<std::string_view> names;
    for (const auto& asset : all())
        EXPECT_TRUE(names.insert(asset.name).second) << asset.name;
    EXPECT_GE(names.size(), 29u);
}

TEST(AssetIndex, UnknownOrPartialNameFindsNothing)
{
    EXPECT_TRUE(find("").empty());
    EXPECT_TRUE(find("nothing.png").empty());
    EXPECT_TRUE(find("background").empty());
    EXPECT_TRUE(find("BACKGROUND.JPG").empty());
    EXPECT_TRUE(find("check_box.png").empty()) << "the signature-less strips keep their own suffix";
}

TEST(AssetIndex, EmbeddedBlocksDoNotOverlap)
{
    // Each entry must end where its own file ends, not run into the next one.
    for (const auto& asset : all()) {
        const auto path = std::filesystem::path(QUORVO_ASSET_DIR) / std::string(asset.name);
        EXPECT_EQ(asset.bytes.size(), std::filesystem::file_size(path)) << asset.name;
    }
}

TEST(AssetIndex, SignatureFlagFollowsTheName)
{
    EXPECT_TRUE(quorvo::assets::lacksPngSignature("check_box.png.nosig"));
    EXPECT_FALSE(quorvo::assets::lacksPngSignature("button_add.png"));
    EXPECT_FALSE(quorvo::assets::lacksPngSignature("background.jpg"));
}

}  // namespace
