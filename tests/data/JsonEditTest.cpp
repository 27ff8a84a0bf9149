// Setters, array editing and whole-value replacement.

#include "data/JsonObject.h"

#include <gtest/gtest.h>

namespace quorvo::data {
namespace {

TEST(JsonSetters, NumbersAreWrittenWithSixDecimalsAtMost)
{
    JsonObject json;
    json.setNumber("n", 2.5);
    EXPECT_EQ(json.toText(), R"({"n":2.5})");
    json.setNumber("n", 3);
    EXPECT_EQ(json.toText(), R"({"n":3})");
    json.setNumber("n", 0.12345678);
    EXPECT_EQ(json.getNumber("n"), 0.123457);
    json.setNumber("n", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(json.getNumber("n"), 0.123457);
}

TEST(JsonSetters, QuotesAndBackslashesAreStoredAsGiven)
{
    JsonObject json;
    json.setText("s", "it's a \"test\" \\ done");
    EXPECT_EQ(json.getText("s"), "it's a \"test\" \\ done");
    EXPECT_EQ(json.toText(), R"({"s":"it's a \"test\" \\ done"})");
    json.push("o'k", "list");
    EXPECT_EQ(json.getText("list[0]"), "o'k");
    json.setItem(0, "a'b");
    EXPECT_EQ(json.getText("0"), "");
    EXPECT_EQ(json.getItem(0), "a'b");
}

TEST(JsonSetters, NoIntermediateObjectsAreCreated)
{
    JsonObject json;
    json.setText("a.b", "x");
    EXPECT_EQ(json.toText(), "{}");
    json.setJson("a", "{}");
    json.setText("a.b", "x");
    EXPECT_EQ(json.toText(), R"({"a":{"b":"x"}})");
}

TEST(JsonSetters, SetJsonParsesTheValue)
{
    JsonObject json;
    json.setJson("v", "[1,{\"k\":true}]");
    EXPECT_EQ(json.getJson("v"), "[1,{\"k\":true}]");
    json.setJson("v", "not json");
    EXPECT_EQ(json.getJson("v"), "[1,{\"k\":true}]");
}

TEST(JsonSetters, ArrayElementsByIndex)
{
    JsonObject json;
    json.setJson("a", "[1,2]");
    json.setNumber("a[1]", 5);
    json.setNumber("a[2]", 6);
    json.setNumber("a[4]", 8);
    EXPECT_EQ(json.getJson("a"), "[1,5,6,null,8]");
    json.setNumber("a[100000000]", 1);
    EXPECT_EQ(json.length("a"), 5);
}

TEST(JsonSetters, PropertiesOnScalarsAreNotKept)
{
    JsonObject json;
    json.setText("s", "x");
    json.setText("s.t", "y");
    EXPECT_EQ(json.toText(), R"({"s":"x"})");
}

TEST(JsonPush, CreatesTheArrayThenAppendsStringsOrRawValues)
{
    JsonObject json;
    json.push("x", "list");
    EXPECT_EQ(json.toText(), R"({"list":["x"]})");
    json.push("5", "list", true);
    EXPECT_EQ(json.toText(), R"({"list":["x",5]})");
    json.push("{\"a\":1}", "list", true);
    EXPECT_EQ(json.getJson("list"), R"(["x",5,{"a":1}])");
}

TEST(JsonPush, NonArrayIsReplacedAndRootCanBePushedTo)
{
    JsonObject json;
    json.setText("s", "text");
    json.push("y", "s");
    EXPECT_EQ(json.getJson("s"), R"(["y"])");
    json.push("z");
    EXPECT_EQ(json.toText(), R"(["z"])");
    json.push("bad raw", "", true);
    EXPECT_EQ(json.toText(), R"(["z"])");
}

TEST(JsonItems, SetAndRemoveOnTheRootArray)
{
    JsonObject json;
    json.reset(JsonObject::typeArray);
    json.setItem(0, "a");
    json.setItem(1, "2", true);
    json.setItem(2, "c");
    EXPECT_EQ(json.toText(), R"(["a",2,"c"])");
    json.removeItem(1);
    EXPECT_EQ(json.toText(), R"(["a","c"])");
    json.removeItem(-1);
    EXPECT_EQ(json.toText(), R"(["a"])");
    json.removeItem(5);
    EXPECT_EQ(json.toText(), R"(["a"])");
    EXPECT_EQ(json.getItem(0, "", true), "\"a\"");
}

TEST(JsonItems, RemoveOnAnObjectDoesNothing)
{
    JsonObject json;
    json.setText("a", "1");
    json.removeItem(0);
    EXPECT_EQ(json.toText(), R"({"a":"1"})");
}

TEST(JsonReset, OnlyKnownCodesReplaceTheValue)
{
    JsonObject json;
    json.setText("a", "1");
    json.reset(JsonObject::typeString);
    EXPECT_EQ(json.toText(), R"({"a":"1"})");
    json.reset(JsonObject::typeNone);
    EXPECT_EQ(json.toText(), "{}");
}

TEST(JsonAssign, ReplacesTheWholeValue)
{
    JsonObject json;
    EXPECT_TRUE(json.assign("text"));
    EXPECT_EQ(json.toText(), "\"text\"");
    EXPECT_FALSE(json.assign("0", true));
    EXPECT_EQ(json.toText(), "0");
    EXPECT_TRUE(json.assign("[1]", true));
    EXPECT_FALSE(json.assign("{bad", true));
    EXPECT_EQ(json.toText(), "[1]");
}

}  // namespace
}  // namespace quorvo::data
