// The committed assets are exactly what the generator makes: nobody edited a
// file by hand, and the generator has not drifted from what is committed.

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& directory)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

int run(const std::string& command)
{
    return std::system(command.c_str());
}

TEST(MakeAssets, ReproducesTheCommittedAssetsByteForByte)
{
    quorvo::test::TempDir out;
    ASSERT_EQ(run(std::string("'") + QUORVO_MAKE_ASSETS + "' '" + out.path().string() + "'"), 0);

    const auto generated = namesIn(out.path());
    EXPECT_EQ(generated, namesIn(QUORVO_ASSET_DIR));
    for (const auto& name : generated) {
        const std::string fresh = quorvo::test::readWholeFile(out.path() / name);
        const std::string committed = quorvo::test::readWholeFile(fs::path(QUORVO_ASSET_DIR) / name);
        EXPECT_TRUE(fresh == committed) << name << " differs from the committed file (" << fresh.size() << " bytes vs "
                                        << committed.size() << "); run make-assets assets/data and review";
    }
}

TEST(MakeAssets, TwoRunsProduceIdenticalFiles)
{
    quorvo::test::TempDir first;
    quorvo::test::TempDir second;
    ASSERT_EQ(run(std::string("'") + QUORVO_MAKE_ASSETS + "' '" + first.path().string() + "'"), 0);
    ASSERT_EQ(run(std::string("'") + QUORVO_MAKE_ASSETS + "' '" + second.path().string() + "'"), 0);
    for (const auto& name : namesIn(first.path()))
        EXPECT_TRUE(quorvo::test::readWholeFile(first.path() / name)
                    == quorvo::test::readWholeFile(second.path() / name))
            << name;
}

TEST(MakeAssets, ContactSheetIsAPngAndIsNotWrittenAmongTheAssets)
{
    quorvo::test::TempDir out;
    const fs::path sheet = out.path() / "sheet.png";
    ASSERT_EQ(run(std::string("'") + QUORVO_MAKE_ASSETS + "' --sheet '" + sheet.string() + "'"), 0);
    const std::string bytes = quorvo::test::readWholeFile(sheet);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(namesIn(out.path()), std::set<std::string> {"sheet.png"});
}

TEST(MakeAssets, RefusesToRunWithoutAnOutput)
{
    EXPECT_NE(run(std::string("'") + QUORVO_MAKE_ASSETS + "' 2>/dev/null"), 0);
}

}  // namespace
