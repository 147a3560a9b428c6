// Finding and following links in real pages: by text, by access key, by
// target, Shift_JIS pages, and every page read fresh from the server.
#include "BrowserTestKit.h"

#include "base/TextCodec.h"

#include <gtest/gtest.h>

using namespace browsertest;

namespace {

const char* const kMenu =
    "<a href=\"/dest/a\">注文メニュー</a>"
    "<a href=\"/dest/b\">メニューへ</a>"
    "<a href=\"/dest/c\" accesskey=\"2\">Next Page</a>"
    "<a href=\"/dest/d\" accesskey=\"5\">照会</a>"
    "<a href=\"/trade/order.do?pair=USDJPY\">注文</a>"
    "<a href=\"/trade/list.do\">注文一覧</a>"
    "<a href=\"/cached\">cached page</a>";

class BrowserLinks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site = new TestSite;
        site->Html("/login", LoginPage());
        site->Html("/menu", Page(kMenu));
        site->server().Get(R"(/(dest|trade)/.*)", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(Page("<p>" + request.path + "</p>"), "text/html; charset=utf-8");
        });
        // A page any cache would keep for an hour.
        site->server().Get("/cached", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Cache-Control", "public, max-age=3600");
            response.set_header("Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT");
            response.set_content(Page("<a href=\"/menu\">back</a><p>cached</p>"), "text/html; charset=utf-8");
        });
        const std::string sjisPage = Utf8ToCp932(
            "<html><body><div id=figure>口座資産</div><a href=\"/dest/sjis\">次へ進む</a></body></html>");
        site->server().Get("/sjis-declared", [sjisPage](const httplib::Request&, httplib::Response& response) {
            response.set_content(sjisPage, "text/html; charset=Shift_JIS");
        });
        site->server().Get("/sjis-undeclared", [sjisPage](const httplib::Request&, httplib::Response& response) {
            response.set_content(sjisPage, "text/html");
        });
        site->Start();
    }
    static void TearDownTestSuite() { delete site; }

    void SetUp() override {
        session = rig.Open(site->Url("/login"));
        ASSERT_TRUE(session->Active) << rig.DetailText();
    }

    // The click helpers wait for the address to leave the one recorded by the
    // last NavigateBegin; recording it right before a click, as adapters do,
    // lets a click land on an address visited before.
    void ClickReady() {
        session->NavigateBegin();
        rig.detail.clear();
    }

    void OpenMenu() {
        ASSERT_TRUE(session->NavigateTo(site->Url("/menu")));
        ClickReady();
    }

    static inline TestSite* site = nullptr;
    SessionRig rig;
    TSessionPtr<PageSession> session;
};

struct TextCase {
    const char* text;
    bool exact;
    const char* landing; // empty: no link matches
};

TEST_F(BrowserLinks, ClickLinkByTextMatchesWholeOrPartOfTheLinkIgnoringCase) {
    const TextCase cases[] = {
        {"メニューへ", true, "/dest/b"},   // whole text
        {"メニュー", false, "/dest/a"},    // first link containing it
        {"メニュー", true, ""},            // no link is exactly that
        {"next page", true, "/dest/c"},    // case ignored
        {"xt pa", false, "/dest/c"},
        {"存在しない", false, ""},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.exact ? " exact" : " partial"));
        OpenMenu();
        const bool found = *c.landing != '\0';
        EXPECT_EQ(session->ClickLinkByText(c.text, c.exact), found);
        if (found) {
            EXPECT_EQ(session->browser().LocationUrl(), site->Url(c.landing));
            EXPECT_TRUE(rig.DetailContains(std::string("Text=") + c.text +
                                           (c.exact ? " を完全一致で発見。" : " を部分一致で発見。") +
                                           "CashDelete=False。移動します(現：" + site->Url("/menu") +
                                           " → 次：" + site->Url(c.landing) + ")"));
        } else {
            EXPECT_EQ(session->browser().LocationUrl(), site->Url("/menu"));
            EXPECT_TRUE(rig.DetailContains(std::string(c.text) + " への移動に失敗しました"));
        }
    }
}

TEST_F(BrowserLinks, ClickLinkByAccessKeyFollowsTheNumberedLink) {
    OpenMenu();
    EXPECT_TRUE(session->ClickLinkByAccessKey(5));
    EXPECT_EQ(session->browser().LocationUrl(), site->Url("/dest/d"));
    EXPECT_TRUE(rig.DetailContains("AccesKey=5 を発見。CashDelete=False。移動します(現："));

    OpenMenu();
    EXPECT_FALSE(session->ClickLinkByAccessKey(9));
    EXPECT_TRUE(rig.DetailContains("9 への移動に失敗しました"));
}

struct TargetCase {
    const char* text;
    const char* target;
    bool bySegment;
    const char* landing;
};

TEST_F(BrowserLinks, ClickLinkMatchesTextAndTargetByLastPathSegment) {
    const TargetCase cases[] = {
        {"", "order.do?pair=USD", true, "/trade/order.do?pair=USDJPY"},
        {"注文", "list.do", true, "/trade/list.do"},   // both conditions: the list link
        {"", "trade", true, ""},                      // directories are not part of the segment
        {"", "/trade/list", false, "/trade/list.do"}, // whole address without by-segment
        {"照会", "order.do", true, ""},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " & " + c.target);
        OpenMenu();
        const bool found = *c.landing != '\0';
        EXPECT_EQ(session->ClickLink(c.text, c.target, c.bySegment, false, false), found);
        EXPECT_EQ(session->browser().LocationUrl(), site->Url(found ? c.landing : "/menu"));
        if (!found)
            EXPECT_TRUE(rig.DetailContains(std::string(c.text) + " & " + c.target + " への移動に失敗しました"));
    }
}

TEST_F(BrowserLinks, EveryVisitIsAFreshServerRead) {
    const std::string cached = site->Url("/cached");
    ASSERT_TRUE(session->NavigateTo(cached));
    ASSERT_TRUE(session->NavigateTo(cached));
    EXPECT_EQ(site->Hits("/cached"), 2);
    for (int visit = 0; visit < 2; ++visit) {
        ClickReady();
        ASSERT_TRUE(session->ClickLinkByText("back", true));
        ClickReady();
        ASSERT_TRUE(session->ClickLinkByText("cached page", true));
    }
    EXPECT_EQ(site->Hits("/cached"), 4);
}

TEST_F(BrowserLinks, ShiftJisPagesAreDecoded) {
    for (const char* path : {"/sjis-declared", "/sjis-undeclared"}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(session->NavigateTo(site->Url(path)));
        Browser& browser = session->browser();
        EXPECT_EQ(browser.InnerText(browser.ElementByNameOrId("figure")), "口座資産");
        ClickReady();
        EXPECT_TRUE(session->ClickLinkByText("次へ進む", true));
        EXPECT_EQ(browser.LocationUrl(), site->Url("/dest/sjis"));
    }
}

} // namespace
