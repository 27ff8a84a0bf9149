// The path language as the search uses it, and its edge cases.

#include "data/XmlDocument.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace quorvo::data {
namespace {

const Bytes songs = "<r><song_list><song><title>A</title></song><song><title>B</title></song></song_list></r>";

XmlDocument loaded(const Bytes& data)
{
    XmlDocument document;
    EXPECT_TRUE(document.load(data));
    return document;
}

TEST(XmlPath, SearchStylePathReadsTheKthSongsField)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.valueAt("<#0/song_list/<@2</title/"), "B");
    EXPECT_EQ(document.valueAt("<#0/song_list/<@1</title/"), "A");
    EXPECT_FALSE(document.getNodeByPath("<#0/song_list/<@3</title/").has_value());
}

// The search reads a song's fields from its node; that must name what the
// per-field path names, and an index that names nothing reads as nothing.
TEST(XmlPath, FieldsReadFromTheSongsNodeAreThoseOfThePath)
{
    const XmlDocument document = loaded(songs);
    const std::span<const int> list = document.childrenOf(document.indexByPath("<#0/song_list/"));
    ASSERT_EQ(list.size(), 2u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Text path = "<#0/song_list/<@" + std::to_string(i + 1) + "</title/";
        EXPECT_EQ(document.valueOf(document.resolveStep(list[i], "title")), document.valueAt(path));
    }
    EXPECT_EQ(document.valueOf(document.resolveStep(list[0], "author")), "");
    EXPECT_EQ(document.valueOf(-1), "");
    EXPECT_EQ(document.valueOf(99), "");
    EXPECT_TRUE(document.childrenOf(-1).empty());
    EXPECT_TRUE(XmlDocument().childrenOf(0).empty());
    EXPECT_EQ(document.childrenOf(0).size(), 1u);  // 0 is the document element
}

TEST(XmlPath, SongListChildCountIsTheSongCount)
{
    const XmlDocument document = loaded(songs);
    const auto list = document.getNodeByPath("<#0/song_list/");
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->children.size(), 2U);
    EXPECT_EQ(list->name, "song_list");
}

TEST(XmlPath, AbsoluteIndexWinsWhateverTheCurrentNode)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.valueAt("<#3"), "B");
    EXPECT_EQ(document.valueAt("<#0/song_list/<#1"), "A");
    EXPECT_FALSE(document.getNodeByPath("<#7").has_value());
}

TEST(XmlPath, DocumentElementByNameOnlyAtTheStart)
{
    const XmlDocument document = loaded(songs);
    EXPECT_TRUE(document.getNodeByPath("r/song_list").has_value());
    EXPECT_FALSE(document.getNodeByPath("x/song_list").has_value());
    EXPECT_FALSE(document.getNodeByPath("song_list").has_value());
}

TEST(XmlPath, NamesMatchCaseSensitively)
{
    const XmlDocument document = loaded(songs);
    EXPECT_FALSE(document.getNodeByPath("r/Song_List").has_value());
}

TEST(XmlPath, PositionalStepAtDocumentLevelOnlySelectsTheFirst)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.indexByPath("<@1"), 6);
    EXPECT_EQ(document.indexByPath("<@2"), -1);
    EXPECT_EQ(document.indexByPath("<@0"), -1);
    EXPECT_EQ(document.indexByPath("<#0/<@0"), -1);
}

TEST(XmlPath, AbsoluteStepNeedsANumberUnlessItIsExactlyZero)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.indexByPath("<#"), -1);
    EXPECT_EQ(document.indexByPath("<#x"), -1);
    EXPECT_EQ(document.indexByPath("<#00"), -1);
    EXPECT_EQ(document.indexByPath("<#0"), 6);
    EXPECT_EQ(document.indexByPath("<#2junk"), 2);
    EXPECT_EQ(document.indexByPath("<#99999999999999999999"), -1);
}

TEST(XmlPath, OtherStepsStartingWithLessThanFail)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.indexByPath("<r"), -1);
    EXPECT_EQ(document.indexByPath("<#0/<song_list"), -1);
}

TEST(XmlPath, FirstChildWithTheNameWins)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.indexByPath("<#0/song_list/song"), 2);
}

TEST(XmlPath, EmptyPathAndEmptyDocumentFail)
{
    const XmlDocument document = loaded(songs);
    EXPECT_EQ(document.indexByPath(""), -1);
    EXPECT_EQ(document.indexByPath("/"), -1);
    const XmlDocument empty;
    EXPECT_EQ(empty.indexByPath("<#0"), -1);
    EXPECT_EQ(empty.indexByPath("<@1"), -1);
    EXPECT_EQ(empty.valueAt("<#0/song_list/<@1</title/"), "");
}

TEST(XmlPath, StepsBelowAReleasedNodeFail)
{
    XmlDocument document = loaded(songs);
    ASSERT_EQ(document.removeNode(4), 1);
    EXPECT_EQ(document.indexByPath("<#4/title"), -1);
    EXPECT_EQ(document.indexByPath("<#0/song_list/<@2"), -1);
    EXPECT_EQ(document.indexByPath("<#0/song_list/<@1</title"), 1);
}

TEST(XmlPath, ResultIsADeepCopy)
{
    const XmlDocument document = loaded(songs);
    XmlNode node;
    ASSERT_TRUE(document.getNodeByPath("<#0/song_list/<@1</title/", node));
    node.value = "changed";
    EXPECT_EQ(document.valueAt("<#1"), "A");
}

}  // namespace
}  // namespace quorvo::data
