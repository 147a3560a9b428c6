#include "JsonFields.h"

#include <gtest/gtest.h>

#include <functional>

using namespace sim;

// What a control request may send wrong: the answer must be a refusal
// (JsonError, a 400), never a silent conversion or a crash.
TEST(JsonFields, MembersOfTheWrongTypeAndMalformedTextAreRefused)
{
    const Json body = ParseJson(R"({"lots":1.5,"name":3,"flag":"yes","list":{},"rate":true})");
    const std::function<void()> refused[] = {
        [&] { IntegerField(body, "lots"); },
        [&] { StringField(body, "name"); },
        [&] { BoolField(body, "flag"); },
        [&] { ArrayField(body, "list"); },
        [&] { NumberField(body, "rate"); },
        [&] { StringField(Json::array(), "name"); },
        [] { ParseJson("{\"a\":1,}"); },
        [] { ParseJson(std::string(100000, '[')); },
    };
    for (const auto& read : refused)
        EXPECT_THROW(read(), JsonError);

    const Json sent = ParseJson(R"({"lots":2.0,"gone":null,"名前":"ﾛｸﾞｱｳﾄ"})");
    EXPECT_EQ(IntegerField(sent, "lots"), 2);
    EXPECT_EQ(StringField(sent, "gone", "fallback"), "fallback");
    EXPECT_EQ(StringField(sent, "名前"), "ﾛｸﾞｱｳﾄ");
    EXPECT_TRUE(ArrayField(sent, "missing").empty());
    EXPECT_EQ(DumpJson(Json{{"b", 1}, {"a", std::string("x\xff")}}), "{\"b\":1,\"a\":\"x\xEF\xBF\xBD\"}")
        << "members keep their order; a stray byte does not fail the answer";
}
