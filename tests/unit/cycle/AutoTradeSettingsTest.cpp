#include "CycleFixture.h"

namespace cycletest {
namespace {

TEST_F(CycleTest, HandEditedSettingsReadAsTheirDefault)
{
    const struct {
        const char* text;
        bool asBool;
        long long asInteger;
    } cases[] = {{"1", true, 1}, {"0", false, 0}, {"True", true, -7}, {"false", false, -7},
                 {"yes", true, -7}, {" 12 ", true, 12}, {"", true, -7}};
    for (const auto& c : cases) {
        settings.values["Key"] = c.text;
        EXPECT_EQ(ReadSettingBool(settings, "Key", true), c.asBool) << c.text;
        EXPECT_EQ(ReadSettingInteger(settings, "Key", -7), c.asInteger) << c.text;
    }

    DateTime fallback;
    fallback.year = 2000;
    for (const char* bad : {"", "2024/13/01", "07.01.2024", "2024/01/07 10:00"}) {
        settings.values["LastSleep"] = bad;
        EXPECT_EQ(ReadSettingDate(settings, "LastSleep", fallback).year, 2000) << bad;
    }
    settings.values["LastSleep"] = "2024/1/7";
    const DateTime read = ReadSettingDate(settings, "LastSleep", fallback);
    EXPECT_EQ(FormatShortDate(read), "2024/01/07");
}

} // namespace
} // namespace cycletest
