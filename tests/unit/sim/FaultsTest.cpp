#include "BrokerTypes.h"
#include "Faults.h"

#include <gtest/gtest.h>

using namespace sim;

namespace {

Fault Make(const std::string& json) { return FaultFromJson(ParseJson(json)); }

int Hits(FaultBoard& board, const std::string& path, int requests, const std::string& method = "GET")
{
    int hits = 0;
    for (int i = 0; i < requests; ++i)
        if (board.TakePageFault(FaultBoard::Stage::BeforePage, path, method))
            ++hits;
    return hits;
}

} // namespace

TEST(Faults, AfterLetsPagesThroughThenCountPagesAreHit)
{
    FaultBoard board;
    board.Add(Make(R"({"kind":"error","count":2,"after":3})"));
    std::vector<bool> hit;
    for (int i = 0; i < 7; ++i)
        hit.push_back(board.TakePageFault(FaultBoard::Stage::BeforePage, "/lionfx/Menu.do", "GET").has_value());
    EXPECT_EQ(hit, (std::vector<bool>{false, false, false, true, true, false, false}));
    EXPECT_TRUE(board.List().empty());
    EXPECT_EQ(IntegerField(board.HitCounts(), "error"), 2);
}

TEST(Faults, FiltersChooseThePages)
{
    struct Case {
        const char* fault;
        const char* path;
        const char* method;
        bool hits;
    } cases[] = {
        {R"({"kind":"empty","family":"lionfx"})", "/lionfx/Menu.do", "GET", true},
        {R"({"kind":"empty","family":"lionfx"})", "/cosmo/Menu.do", "GET", false},
        {R"({"kind":"empty","family":"lionfx"})", "/demo_signal.xml", "GET", false},
        {R"({"kind":"empty"})", "/demo_signal.xml", "GET", true},
        {R"({"kind":"notfound","path":"PositionList"})", "/lionfx/PositionList.do", "GET", true},
        {R"({"kind":"notfound","path":"PositionList"})", "/lionfx/PositionPairs.do", "GET", false},
        {R"({"kind":"error","method":"GET"})", "/lionfx/OrderExecute.do", "POST", false},
        {R"({"kind":"confirm"})", "/lionfx/Menu.do", "GET", false}, // confirms hit after the page is made
    };
    for (const Case& c : cases) {
        FaultBoard board;
        board.Add(Make(c.fault));
        EXPECT_EQ(Hits(board, c.path, 1, c.method) == 1, c.hits) << c.fault << " " << c.path;
    }
}

TEST(Faults, ConfirmHitsOnlyAfterThePageAndOrderFaultsOnlyTheirConfirmations)
{
    const std::string order = "/lionfx/OrderExecute.do";
    FaultBoard board;
    board.Add(Make(R"({"kind":"confirm","message":"OK?"})"));
    board.Add(Make(R"({"kind":"expireSession","family":"lionfx","account":"u1"})"));
    board.Add(Make(R"({"kind":"lostAnswer","path":"CloseExecute","answer":"drop"})"));
    EXPECT_FALSE(board.TakeOrderFault("expireSession", order, "u2"));
    EXPECT_FALSE(board.TakeOrderFault("expireSession", "/cosmo/OrderExecute.do", "u1"));
    EXPECT_TRUE(board.TakeOrderFault("expireSession", order, "u1"));
    EXPECT_FALSE(board.TakeOrderFault("expireSession", order, "u1")) << "used up";
    EXPECT_FALSE(board.TakeOrderFault("lostAnswer", order, "u1")) << "only closes lose their answer";
    auto lost = board.TakeOrderFault("lostAnswer", "/lionfx/CloseExecute.do", "u1");
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->answer, "drop");
    auto confirm = board.TakePageFault(FaultBoard::Stage::AfterPage, "/lionfx/Menu.do", "GET");
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->message, "OK?");
}

TEST(Faults, RefusesFaultsThatCannotBe)
{
    const char* bad[] = {
        R"({"kind":"explode"})",         R"({"kind":"error","count":0})", R"({"kind":"error","after":-1})",
        R"({"kind":"slow","delayMs":600000})", R"({"kind":"error","status":99})", R"({"kind":"error","method":"PUT"})",
        R"({"kind":"error","count":"2"})",  R"({"kind":"lostAnswer","answer":"late"})",
    };
    for (const char* text : bad)
        EXPECT_ANY_THROW(Make(text)) << text;
}

TEST(Faults, FamilyIsTheFirstPathSegment)
{
    EXPECT_EQ(FamilyOfPath("/lionfx/Menu.do"), "lionfx");
    EXPECT_EQ(FamilyOfPath("/demo_signal.xml"), "");
    EXPECT_EQ(FamilyOfPath("/real/id/pw/ref.xml"), "real");
    EXPECT_EQ(FamilyOfPath(""), "");
}
