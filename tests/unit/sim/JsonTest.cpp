#include "Json.h"

#include <gtest/gtest.h>

using sim::Json;
using sim::JsonError;

TEST(Json, RoundTripKeepsValuesOrderAndText)
{
    const std::string text =
        R"({"b":1,"a":[true,false,null,-2.5,"x\"y\\z\n"],"c":{"日本":"ﾛｸﾞｱｳﾄ"},"big":1000000,"rate":1.085})";
    Json json = Json::Parse(text);
    EXPECT_EQ(json.Dump(), text);
    EXPECT_EQ(json.Get("c").GetString("日本"), "ﾛｸﾞｱｳﾄ");
    EXPECT_EQ(json.GetInteger("big"), 1000000);
    EXPECT_TRUE(json.Get("missing").IsNull());
}

TEST(Json, UnicodeEscapesBecomeUtf8)
{
    EXPECT_EQ(Json::Parse(R"("\u7d9a\u3051")").AsString(), "続け");
    EXPECT_EQ(Json::Parse(R"("\ud83d\ude00")").AsString(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Json(std::string("a\x01")).Dump(), R"("a\u0001")");
}

TEST(Json, RefusesMalformedText)
{
    const char* bad[] = {
        "", "{", "[1,]", "{\"a\" 1}", "{a:1}", "tru", "\"open", "01x", "1 2", "\"\\q\"",
        "\"\\ud800\"", "\"\\u12\"", "\"a\nb\"", "-", "{\"a\":1,}",
    };
    for (const char* text : bad)
        EXPECT_THROW(Json::Parse(text), JsonError) << text;
}

TEST(Json, DeepNestingIsRefusedNotACrash)
{
    EXPECT_THROW(Json::Parse(std::string(100000, '[')), JsonError);
    EXPECT_NO_THROW(Json::Parse(std::string(30, '[') + std::string(30, ']')));
}

TEST(Json, TypedReadsRefuseTheWrongType)
{
    Json json = Json::Parse(R"({"lots":1.5,"name":3})");
    EXPECT_THROW(json.GetInteger("lots"), JsonError);
    EXPECT_THROW(json.GetString("name"), JsonError);
    EXPECT_EQ(json.GetString("none", "fallback"), "fallback");
}
