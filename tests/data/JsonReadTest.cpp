// Reading a value through the three path forms, as link resolution does.

#include "data/JsonObject.h"

#include <gtest/gtest.h>

namespace quorvo::data {
namespace {

const Text linkReply = R"([{"song_id":"7","file_list":[{"url":"http://h/u1.flac","size":2048,"rate":"flac"}]}])";

TEST(JsonLinkResolution, NarrowsToFirstFileAndReadsUrlAndSize)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(linkReply));
    const Text first = json.getItem(0, "", true);
    EXPECT_EQ(first, R"({"song_id":"7","file_list":[{"url":"http://h/u1.flac","size":2048,"rate":"flac"}]})");
    ASSERT_TRUE(json.parse(first));
    ASSERT_TRUE(json.parse(json.getItem(0, "file_list", true)));
    EXPECT_EQ(json.getText("url"), "http://h/u1.flac");
    EXPECT_EQ(json.getNumber("size"), 2048);
    EXPECT_EQ(json.getText("size"), "2048");
}

TEST(JsonLinkResolution, ObjectAtTopLevelHasNoElementZero)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"file_list":[{"url":"u"}]})"));
    EXPECT_EQ(json.getItem(0, "", true), "");
    EXPECT_FALSE(json.parse(json.getItem(0, "", true)));
    EXPECT_EQ(json.getText("url"), "");
}

TEST(JsonParse, NullAndEmptyTextAreFalseAndLeaveNull)
{
    JsonObject json;
    EXPECT_FALSE(json.parse("null"));
    EXPECT_EQ(json.toText(), "null");
    EXPECT_FALSE(json.parse(""));
    EXPECT_FALSE(json.parse("{\"a\":"));
    EXPECT_EQ(json.typeOf(), JsonObject::typeNone);
}

TEST(JsonParse, ScalarsAreValues)
{
    JsonObject json;
    EXPECT_TRUE(json.parse("0"));
    EXPECT_TRUE(json.parse("\"\""));
    EXPECT_TRUE(json.parse("false"));
    EXPECT_EQ(json.typeOf(), JsonObject::typeObject);
}

TEST(JsonParse, ScriptLiteralFormsAreAccepted)
{
    JsonObject json;
    ASSERT_TRUE(json.parse("{url:'http://h/a?b=\"c\"', size: 1e3, 'q': [1,'x']}"));
    EXPECT_EQ(json.getText("url"), "http://h/a?b=\"c\"");
    EXPECT_EQ(json.getNumber("size"), 1000);
    EXPECT_EQ(json.getText("q[1]"), "x");
}

TEST(JsonParse, TextIsNeverRunAsScript)
{
    JsonObject json;
    EXPECT_FALSE(json.parse("(function(){return {a:1}})()"));
    EXPECT_FALSE(json.parse("1+1"));
    EXPECT_FALSE(json.parse("{\"a\":1} trailing"));
}

TEST(JsonParse, MemberOrderIsKept)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"z":1,"a":2,"m":{"y":1,"b":2}})"));
    EXPECT_EQ(json.toText(), R"({"z":1,"a":2,"m":{"y":1,"b":2}})");
}

TEST(JsonParse, DuplicateNameKeepsFirstPlaceAndLastValue)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":1,"b":2,"a":3})"));
    EXPECT_EQ(json.toText(), R"({"a":3,"b":2})");
}

TEST(JsonParse, ProgramTextIsConvertedBothWays)
{
    JsonObject json;
    ASSERT_TRUE(json.parse("{\"t\":\"\xC4\xE3\xBA\xC3\"}"));
    EXPECT_EQ(json.getText("t"), "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(json.length("t"), 2);
    EXPECT_EQ(json.toText(), "{\"t\":\"\xC4\xE3\xBA\xC3\"}");
}

TEST(JsonPathForms, IndexAwareFormReadsRootArrayElements)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"(["a",{"b":[10,20]}])"));
    EXPECT_EQ(json.getText("[0]"), "a");
    EXPECT_EQ(json.getText("[1].b[1]"), "20");
    EXPECT_EQ(json.length(""), 2);
    EXPECT_EQ(json.getJson("[0]"), "");
    EXPECT_FALSE(json.has("[0]"));
}

TEST(JsonPathForms, DotFormNeedsAPath)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":1})"));
    EXPECT_EQ(json.getJson(""), "");
    EXPECT_EQ(json.getText(""), "");
    EXPECT_EQ(json.typeOf(""), JsonObject::typeObject);
}

TEST(JsonPathForms, BracketNamesAndObjectIndexes)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"odd name":{"0":"zero"}})"));
    EXPECT_EQ(json.getText("['odd name'][0]"), "zero");
    EXPECT_EQ(json.getText("a['odd name']"), "");
    JsonObject other;
    ASSERT_TRUE(other.parse(R"({"o":{"0":"zero","k":"v"}})"));
    EXPECT_EQ(other.getText("o[0]"), "zero");
    EXPECT_EQ(other.getText("o['k']"), "v");
}

TEST(JsonMissing, MissingMembersGiveEmptyResults)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":{"b":null},"n":[]})"));
    EXPECT_FALSE(json.has("a.b"));
    EXPECT_FALSE(json.has("x.y.z"));
    EXPECT_TRUE(json.has("a"));
    EXPECT_EQ(json.getText("x.y"), "");
    EXPECT_EQ(json.getNumber("x.y"), 0);
    EXPECT_EQ(json.typeOf("a.b"), JsonObject::typeNone);
    EXPECT_EQ(json.typeOf("n[3]"), JsonObject::typeNone);
    EXPECT_EQ(json.length("x"), 0);
    EXPECT_TRUE(json.keys("x.y").empty());
}

TEST(JsonMissing, HasOnEmptyObjectIsFalseNotAnError)
{
    JsonObject json;
    EXPECT_FALSE(json.has("a.b"));
    EXPECT_EQ(json.toText(), "{}");
}

TEST(JsonNumbers, BooleansReadAsMinusOneAndZero)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"t":true,"f":false,"s":"12","n":-2.5})"));
    EXPECT_EQ(json.getNumber("t"), -1);
    EXPECT_EQ(json.getNumber("f"), 0);
    EXPECT_EQ(json.getNumber("s"), 0);
    EXPECT_EQ(json.getNumber("n"), -2.5);
}

TEST(JsonText, ValuesAsAScriptWritesThem)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(
        R"({"i":2048,"f":2.5,"w":3.0,"t":true,"z":null,"o":{"a":1},"a":[1,"x",[2,3],null],"e":1e-7,"big":1e21})"));
    EXPECT_EQ(json.getText("i"), "2048");
    EXPECT_EQ(json.getText("f"), "2.5");
    EXPECT_EQ(json.getText("w"), "3");
    EXPECT_EQ(json.getText("t"), "true");
    EXPECT_EQ(json.getText("z"), "");
    EXPECT_EQ(json.getText("o"), "[object Object]");
    EXPECT_EQ(json.getText("a"), "1,x,2,3,");
    EXPECT_EQ(json.getText("e"), "1e-7");
    EXPECT_EQ(json.getText("big"), "1e+21");
    EXPECT_EQ(json.getText("o", true), "{\"a\":1}");
    EXPECT_EQ(json.getJson("w"), "3");
}

TEST(JsonTypes, TypeCodes)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"s":"x","n":1,"o":{},"a":[],"b":true,"z":null})"));
    EXPECT_EQ(json.typeOf("s"), JsonObject::typeString);
    EXPECT_EQ(json.typeOf("n"), JsonObject::typeNumber);
    EXPECT_EQ(json.typeOf("o"), JsonObject::typeObject);
    EXPECT_EQ(json.typeOf("a"), JsonObject::typeArray);
    EXPECT_EQ(json.typeOf("b"), JsonObject::typeObject);
    EXPECT_EQ(json.typeOf("z"), JsonObject::typeNone);
    EXPECT_EQ(json.typeOf("q"), JsonObject::typeNone);
    EXPECT_EQ(json.typeOf(), JsonObject::typeObject);
}

TEST(JsonKeys, ObjectNamesInOrderAndArrayIndexes)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":1,"b":[5,6,7],"c,d":0})"));
    EXPECT_EQ(json.keys(), (std::vector<Text> {"a", "b", "c,d"}));
    EXPECT_EQ(json.keys("b"), (std::vector<Text> {"0", "1", "2"}));
    EXPECT_TRUE(json.keys("a").empty());
}

TEST(JsonLength, ArraysStringsAndOthers)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"a":[1,2,3],"s":"abc","o":{"length":4.9},"n":5})"));
    EXPECT_EQ(json.length("a"), 3);
    EXPECT_EQ(json.length("s"), 3);
    EXPECT_EQ(json.length("o"), 4);
    EXPECT_EQ(json.length("n"), 0);
    EXPECT_EQ(json.length(), 0);
}

TEST(JsonObjects, GetObjectAndGetItemObjectAreIndependentCopies)
{
    JsonObject json;
    ASSERT_TRUE(json.parse(R"({"list":[{"u":"a"},{"u":"b"}]})"));
    JsonObject second = json.getItemObject(1, "list");
    EXPECT_EQ(second.getText("u"), "b");
    second.setText("u", "changed");
    EXPECT_EQ(json.getText("list[1].u"), "b");
    JsonObject list = json.getObject("list");
    EXPECT_EQ(list.length(), 2);
    JsonObject missing = json.getObject("nothing");
    EXPECT_EQ(missing.typeOf(), JsonObject::typeNone);
}

TEST(JsonObjects, CloneSharesTheValue)
{
    JsonObject json;
    JsonObject twin = json.clone();
    twin.setNumber("n", 1);
    EXPECT_EQ(json.getNumber("n"), 1);
    json.reset(JsonObject::typeArray);
    EXPECT_EQ(twin.typeOf(), JsonObject::typeArray);
    json.init();
    EXPECT_EQ(json.typeOf(), JsonObject::typeObject);
    EXPECT_EQ(twin.typeOf(), JsonObject::typeArray);
}

}  // namespace
}  // namespace quorvo::data
