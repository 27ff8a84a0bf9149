#include "service/Catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvo::server {
namespace {

std::optional<Catalogue> parse(const std::string& songs, std::string& error)
{
    return Catalogue::parse(R"({"songs": [)" + songs + "]}", error);
}

TEST(Catalogue, FormatFollowsTheLastRateIgnoringCase)
{
    std::string error;
    const auto catalogue = parse(R"({"id":"1","title":"a","artist":"b","album":"c","all_rate":"128,FLAC"},)"
                                 R"({"id":"2","title":"a","artist":"b","album":"c","all_rate":"128,320"},)"
                                 R"({"id":"3","title":"a","artist":"b","album":"c"},)"
                                 R"({"id":"4","title":"a","artist":"b","album":"c","all_rate":"flac,192"})",
                                 error);
    ASSERT_TRUE(catalogue) << error;
    EXPECT_EQ(catalogue->find("1")->format(), AudioFormat::Flac);
    EXPECT_EQ(catalogue->find("2")->format(), AudioFormat::Mp3);
    EXPECT_EQ(catalogue->find("2")->mp3Kbps(), 320);
    EXPECT_EQ(catalogue->find("3")->mp3Kbps(), 128);
    EXPECT_EQ(catalogue->find("4")->extension(), "mp3");
    EXPECT_EQ(catalogue->find("4")->mp3Kbps(), 192);
}

TEST(Catalogue, RejectsDuplicateIdsUnknownFaultsAndBadIds)
{
    std::string error;
    EXPECT_FALSE(parse(
        R"({"id":"1","title":"a","artist":"b","album":"c"},{"id":"1","title":"a","artist":"b","album":"c"})", error));
    EXPECT_NE(error.find("duplicate"), std::string::npos);
    EXPECT_FALSE(parse(R"({"id":"1","title":"a","artist":"b","album":"c","faults":{"explode":true}})", error));
    EXPECT_FALSE(parse(R"({"id":"x1","title":"a","artist":"b","album":"c"})", error));
    EXPECT_FALSE(Catalogue::parse("not json", error));
}

TEST(Catalogue, ReadsPerSongFaults)
{
    std::string error;
    const auto catalogue
        = parse(R"({"id":"1","title":"a","artist":"b","album":"c","faults":{"delay_ms":5,"rate":100,"drop_after":7,)"
                R"("ignore_range":true,"status":503,"redirect":true,"chunked":true,"set_cookie":"A=1"}})",
                error);
    ASSERT_TRUE(catalogue) << error;
    const FaultSettings& faults = catalogue->songs()[0].fileFaults;
    EXPECT_EQ(faults.delay, std::chrono::milliseconds(5));
    EXPECT_EQ(faults.bytesPerSecond, 100u);
    EXPECT_EQ(faults.dropAfter, 7u);
    EXPECT_TRUE(faults.ignoreRange);
    EXPECT_EQ(faults.status, 503);
    EXPECT_EQ(faults.redirect, std::optional<std::string>(""));
    EXPECT_TRUE(faults.chunked);
    EXPECT_EQ(faults.setCookies, std::vector<std::string> {"A=1"});
}

TEST(Catalogue, DemoCatalogueIsLargeAndCoversTheSpecialCases)
{
    std::string error;
    const auto catalogue = Catalogue::load(QUORVO_DEMO_CATALOGUE, error);
    ASSERT_TRUE(catalogue) << error;
    EXPECT_GE(catalogue->songs().size(), 200u);

    std::set<std::string> rates;
    bool missingRate = false;
    int large = 0;
    for (const Song& song : catalogue->songs()) {
        if (song.allRate)
            rates.insert(*song.allRate);
        else
            missingRate = true;
        large += song.large ? 1 : 0;
    }
    EXPECT_TRUE(missingRate);
    for (const char* rate : {"128,192,320,flac", "128,192,320,FLAC", "128,320", "flac", "128", ""})
        EXPECT_TRUE(rates.count(rate)) << rate;
    EXPECT_GE(large, 2);
    for (const char c : std::string("\\/:*?<>|\"")) {
        const bool present = std::any_of(catalogue->songs().begin(), catalogue->songs().end(),
                                         [c](const Song& song) { return song.title.find(c) != std::string::npos; });
        EXPECT_TRUE(present) << c;
    }
    EXPECT_FALSE(catalogue->find("9900020")->hasLyrics);
    EXPECT_EQ(catalogue->find("9900021")->linkReply, LinkReplyKind::NotJson);
    EXPECT_EQ(catalogue->find("9900022")->linkReply, LinkReplyKind::Object);
    EXPECT_EQ(catalogue->find("9900023")->linkReply, LinkReplyKind::NoFileList);
    EXPECT_EQ(catalogue->find("9900006")->title, catalogue->find("9900007")->title);
}

}  // namespace
}  // namespace quorvo::server
