// Replies built to break a parser: deep nesting, huge bodies, NUL bytes,
// invalid encodings. Each must end in a plain result, never a crash.

#include "data/JsonObject.h"
#include "data/XmlDocument.h"

#include <gtest/gtest.h>

namespace quorvo::data {
namespace {

constexpr int deep = 100'000;

std::string repeated(std::string_view piece, int count)
{
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

TEST(XmlHostile, HundredThousandLevelsLoadSerialiseAndRelease)
{
    const Bytes data = repeated("<a>", deep) + repeated("</a>", deep);
    XmlDocument document;
    ASSERT_TRUE(document.load(data));
    EXPECT_EQ(document.rootIndex(), deep);
    EXPECT_EQ(document.toText().size(), 40 + data.size());
    EXPECT_EQ(document.indexByPath("<#0/a/a/a"), deep - 3);
    EXPECT_EQ(document.removeNode(deep - 1), 1);
    EXPECT_EQ(static_cast<int>(document.freeList().size()), deep - 1);
}

TEST(XmlHostile, HundredThousandOpenLevelsWithoutEndTags)
{
    XmlDocument document;
    EXPECT_TRUE(document.load(repeated("<a>", deep)));
    EXPECT_EQ(document.rootIndex(), 0);
}

TEST(XmlHostile, FiftyMegabyteValueLoads)
{
    const Bytes data = "<a>" + std::string(50 * 1024 * 1024, 'v') + "</a>";
    XmlDocument document;
    ASSERT_TRUE(document.load(data));
    EXPECT_EQ(document.getNode(0)->value.size(), 50U * 1024 * 1024);
}

TEST(XmlHostile, TooManyElementsFailCleanly)
{
    const Bytes data = "<r>" + repeated("<e/>", static_cast<int>(XmlDocument::maximumNodes)) + "</r>";
    XmlDocument document;
    EXPECT_FALSE(document.load(data));
    EXPECT_EQ(document.nodeTableSize(), 0);
}

TEST(XmlHostile, ManyCdataSectionsTakeLinearTime)
{
    const Bytes data = "<a>" + repeated("<![CDATA[x]]>", 200'000) + "</a>";
    XmlDocument document;
    ASSERT_TRUE(document.load(data));
    EXPECT_EQ(document.cdataSections().size(), 200'000U);
    EXPECT_EQ(document.getNode(0)->value, "x");
}

TEST(XmlHostile, NulBytesCutTextButNotTheLoad)
{
    Bytes data = "<a n=\"x";
    data += '\0';
    data += "y\">v";
    data += '\0';
    data += "w</a>";
    XmlDocument document;
    ASSERT_TRUE(document.load(data));
    EXPECT_EQ(document.getNode(0)->value, "v");
    EXPECT_EQ(document.getNode(0)->attributes.at(0).value, "\"x");
}

TEST(XmlHostile, InvalidGbkBytesAreCarriedThrough)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a>\x81\xFF\x80</a>"));
    EXPECT_EQ(document.getName(0), "a");
}

TEST(JsonHostile, HundredThousandLevelsAreRefusedWithoutOverflow)
{
    JsonObject json;
    EXPECT_FALSE(json.parse(Text(repeated("[", deep) + repeated("]", deep))));
    EXPECT_FALSE(json.parse(Text(repeated("{\"a\":", deep) + "1" + repeated("}", deep))));
    EXPECT_FALSE(json.parse(Text(repeated("[", deep))));
    json.setJson("x", Text(repeated("[", deep) + repeated("]", deep)));
    EXPECT_EQ(json.toText(), "null");
}

TEST(JsonHostile, NestingUpToTheLimitIsAccepted)
{
    const int depth = JsonObject::maximumDepth;
    JsonObject json;
    EXPECT_TRUE(json.parse(Text(repeated("[", depth) + repeated("]", depth))));
    EXPECT_FALSE(json.parse(Text(repeated("[", depth + 1) + repeated("]", depth + 1))));
}

TEST(JsonHostile, EditsCannotBuildPastTheLimit)
{
    const int depth = JsonObject::maximumDepth;
    JsonObject json;
    json.setJson("a", Text(repeated("[", depth - 1) + repeated("]", depth - 1)));
    EXPECT_EQ(json.typeOf("a"), JsonObject::typeArray);
    json.setJson("b", Text(repeated("[", depth) + repeated("]", depth)));
    EXPECT_EQ(json.typeOf("b"), JsonObject::typeNone);
    for (int i = 0; i < 2 * depth; ++i) {
        json.push("[]", "a", true);
        json.setJson("a", Text(json.getJson("a").str()));
    }
    EXPECT_FALSE(json.toText().empty());
}

TEST(JsonHostile, ManyMembersParseInLinearTime)
{
    std::string text = "{";
    for (int i = 0; i < 300'000; ++i) {
        text += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":" + std::to_string(i);
    }
    text += "}";
    JsonObject json;
    ASSERT_TRUE(json.parse(Text(text)));
    EXPECT_EQ(json.getNumber("k299999"), 299999);
}

TEST(JsonHostile, FiftyMegabyteStringParses)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(Text("[\"" + std::string(50 * 1024 * 1024, 's') + "\"]")));
    EXPECT_EQ(json.getItem(0).size(), 50U * 1024 * 1024);
}

TEST(JsonHostile, InvalidUtf8AndGbkNeverThrow)
{
    JsonObject json;
    EXPECT_TRUE(json.parse("{\"a\":\"\xFF\xFE\x81\"}"));
    EXPECT_FALSE(json.toText().empty());
    json.setText("b", "\x80\x81\xFF");
    EXPECT_FALSE(json.toText().empty());
    EXPECT_FALSE(json.getText("b").empty());
    json.push("\xFF", "c");
    EXPECT_NO_THROW(static_cast<void>(json.getJson("c")));
}

TEST(JsonHostile, EscapedNulInsideAStringCutsTheText)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":"x\u0000y"})"));
    EXPECT_EQ(json.getText("a"), "x");
}

TEST(JsonHostile, OddPathsAreJustMissing)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":[1]})"));
    for (const char* path : {"a[", "a]", "a[x]", "a..b", ".a", "1a", "a[-1]", "a[99999999999999999999]", "[0", "a b"}) {
        EXPECT_EQ(json.getText(path), "") << path;
        EXPECT_FALSE(json.has(path)) << path;
        json.setText(path, "v");
    }
    EXPECT_EQ(json.toText(), R"({"a":[1]})");
}

}  // namespace
}  // namespace quorvo::data
