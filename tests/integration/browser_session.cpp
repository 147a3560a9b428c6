// A session's browser against a loopback site: start-up and teardown, the
// window it lives in, user agent, cookies, proxy, forms and the DOM calls.
#include "BrowserTestKit.h"

#include "broker/web/BrowserHost.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QWebEngineView>
#include <QWidget>
#include <gtest/gtest.h>

using namespace browsertest;

namespace {

const char* const kHandheldAgent = "Mozilla/5.0 (PDA; NF34PPC/1.0; like Gecko) NetFront/3.4";

const char* const kForm =
    "<form id=login action=\"/submitted\" method=\"post\">"
    "<input name=loginId><input type=password name=password>"
    "<input type=checkbox name=keep value=yes>"
    "<input type=radio name=side value=buy><input type=radio name=side value=sell>"
    "<select name=pair><option>USDJPY</option><option>EURJPY</option></select>"
    "<input type=submit name=submit value=\"送信\"></form>";

class BrowserSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site = new TestSite;
        site->Html("/login", LoginPage());
        site->Html("/form", Page(kForm));
        site->Html("/refused", Page("<p>never shown</p>"));
        site->Html("/plain", Page("<p id=p>plain <b>text</b></p><a id=link href=\"other?x=1\">other</a>"));
        site->server().Post("/submitted", [](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> lock(postMutex);
            posted = request.body;
            response.set_content(Page("<p>thanks</p>"), "text/html; charset=utf-8");
        });
        site->server().Get("/set-cookies", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Set-Cookie", "sid=abc123; Path=/");
            response.headers.emplace("Set-Cookie", "pref=jp; Path=/account");
            response.headers.emplace("Set-Cookie", "secret=s1; Path=/; HttpOnly");
            response.set_content(Page("<p>cookies</p>"), "text/html; charset=utf-8");
        });
        site->Start();
    }
    static void TearDownTestSuite() { delete site; }

    void TearDown() override {
        // The proxy is process-wide; later tests go direct again.
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }

    static std::string Posted() {
        std::lock_guard<std::mutex> lock(postMutex);
        return posted;
    }

    static inline TestSite* site = nullptr;
    static inline std::mutex postMutex;
    static inline std::string posted;
    SessionRig rig;
};

QWidget* WindowTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == title) return widget;
    return nullptr;
}

TEST_F(BrowserSession, StartsOnBlankPageLogsOnWithHandheldAgentAndLogsOffAtTheEnd) {
    auto session = rig.Open(site->Url("/login"));
    ASSERT_TRUE(session->Active) << rig.DetailText();
    EXPECT_EQ(session->Balance, 1000000);
    EXPECT_EQ(session->BalancePL, 1020000);
    ASSERT_FALSE(rig.detail.empty());
    EXPECT_EQ(rig.detail.front(), "[テスト口座] about:blank に移動");
    EXPECT_EQ(site->UserAgents().back(), kHandheldAgent);
    EXPECT_EQ(session->browser().EvaluateText("navigator.userAgent"), kHandheldAgent);

    QWidget* window = WindowTitled("テスト口座");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(800, 1000));
    EXPECT_EQ(window->pos(), QPoint(0, 0));

    PageSession* raw = session.get();
    const int before = raw->logOffs;
    raw->Close();
    EXPECT_EQ(raw->logOffs, before + 1);
    EXPECT_FALSE(raw->Active);
    EXPECT_EQ(WindowTitled("テスト口座"), nullptr);
}

TEST_F(BrowserSession, InAHostTheBrowserIsPlacedInvisibly) {
    QWidget hostWindow;
    BrowserHost host{&hostWindow};
    TSessionSettings settings = rig.Settings(site->Url("/login"));
    settings.Host = &host;
    auto session = TTradeApiBase::Create<PageSession>(settings);
    ASSERT_TRUE(session->Active) << rig.DetailText();
    EXPECT_EQ(WindowTitled("テスト口座"), nullptr);
    const auto views = hostWindow.findChildren<QWebEngineView*>();
    ASSERT_EQ(views.size(), 1);
    EXPECT_EQ(views.front()->size(), QSize(0, 0));
    session.reset();
    EXPECT_TRUE(hostWindow.findChildren<QWebEngineView*>().isEmpty());
}

TEST_F(BrowserSession, CookieQueryReportsTheCookiesOfTheAddress) {
    auto session = rig.Open(site->Url("/login"));
    ASSERT_TRUE(session->NavigateTo(site->Url("/set-cookies")));
    Browser& browser = session->browser();
    EXPECT_EQ(browser.CookiesFor(site->Url("/account/summary")), "pref=jp; sid=abc123; secret=s1");
    EXPECT_EQ(browser.CookiesFor(site->Url("/other")), "sid=abc123; secret=s1");
    EXPECT_EQ(browser.CookiesFor("http://127.0.0.2/"), "");

    // Another session has cookies of its own.
    auto other = rig.Open(site->Url("/login"));
    EXPECT_EQ(other->browser().CookiesFor(site->Url("/other")), "");
}

struct ProxyCase {
    const char* server;
    const char* announce;
    const char* outcome;
};

TEST_F(BrowserSession, ProxyChoiceIsAnnounced) {
    const ProxyCase cases[] = {
        {"", "[テスト口座] IEのProxy設定を使用して接続します", "[テスト口座] Proxyのセットに成功"},
        {"127.0.0.1:3128", "[テスト口座] Proxy 127.0.0.1:3128 を使用して接続します", "[テスト口座] Proxyのセットに成功"},
        {"proxy-without-port", "[テスト口座] Proxy proxy-without-port を使用して接続します",
         "[テスト口座] Proxyのセットに失敗"},
    };
    for (const ProxyCase& c : cases) {
        SCOPED_TRACE(c.server);
        rig.log.clear();
        TSessionSettings settings = rig.Settings("about:blank");
        settings.Proxy = TSessionProxy{true, c.server};
        auto session = TTradeApiBase::Create<PageSession>(settings);
        ASSERT_GE(rig.log.size(), 2u);
        EXPECT_EQ(rig.log[0], c.announce);
        EXPECT_EQ(rig.log[1], c.outcome);
        TearDown();
    }
}

TEST_F(BrowserSession, NamedProxySeesTheRequests) {
    // A proxy that answers every request itself, so no host beyond loopback is reached.
    TestSite proxy;
    proxy.server().Get(R"(.*)", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(LoginPage(), "text/html; charset=utf-8");
    });
    proxy.Start();
    const std::string proxyAddress = proxy.Url("").substr(std::string("http://").size());

    TSessionSettings settings = rig.Settings("http://broker.pellago.test/login");
    settings.Proxy = TSessionProxy{true, proxyAddress};
    auto session = TTradeApiBase::Create<PageSession>(settings);
    EXPECT_TRUE(session->Active) << rig.DetailText();
    EXPECT_GE(proxy.Hits("http://broker.pellago.test/login"), 1);
}

TEST_F(BrowserSession, FormsAreFilledAndSubmittedDespiteAFieldNamedSubmit) {
    auto session = rig.Open(site->Url("/login"));
    ASSERT_TRUE(session->NavigateTo(site->Url("/form")));
    Browser& browser = session->browser();
    browser.SetValue(browser.ElementByNameOrId("loginId"), "トレーダー");
    browser.SetValue(browser.ElementByNameOrId("password"), "p&ss=1");
    browser.SetChecked(browser.ElementByNameOrId("keep"), true);
    const std::vector<ElementHandle> sides = browser.ElementsByNameOrId("side");
    ASSERT_EQ(sides.size(), 2u);
    browser.SetChecked(sides[1], true);
    const ElementHandle pair = browser.ElementByNameOrId("pair");
    const std::vector<ElementHandle> options = browser.ElementsByTagWithin(pair, "option");
    ASSERT_EQ(options.size(), 2u);
    browser.SetSelected(options[1], true);
    EXPECT_TRUE(browser.Selected(options[1]));
    EXPECT_EQ(browser.Value(pair), "EURJPY");
    EXPECT_TRUE(browser.Checked(sides[1]));
    EXPECT_FALSE(browser.Checked(sides[0]));

    const std::vector<ElementHandle> forms = browser.Forms();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(browser.FormFields(forms[0]).size(), 7u);
    session->NavigateBegin();
    browser.SubmitForm(forms[0]);
    EXPECT_TRUE(session->WaitIE(true));
    EXPECT_EQ(browser.LocationUrl(), site->Url("/submitted"));
    EXPECT_EQ(Posted(), "loginId=%E3%83%88%E3%83%AC%E3%83%BC%E3%83%80%E3%83%BC&password=p%26ss%3D1&keep=yes"
                        "&side=sell&pair=EURJPY");
}

TEST_F(BrowserSession, ElementReadsAndTheirFailures) {
    auto session = rig.Open(site->Url("/login"));
    ASSERT_TRUE(session->NavigateTo(site->Url("/plain")));
    Browser& browser = session->browser();
    const ElementHandle p = browser.ElementByNameOrId("p");
    EXPECT_EQ(browser.TagName(p), "P");
    EXPECT_EQ(browser.InnerHtml(p), "plain <b>text</b>");
    EXPECT_EQ(browser.InnerText(p), "plain text");
    EXPECT_EQ(browser.OuterHtml(p), "<p id=\"p\">plain <b>text</b></p>");
    const ElementHandle link = browser.ElementByNameOrId("link");
    EXPECT_EQ(browser.Href(link), site->Url("/other?x=1"));
    EXPECT_EQ(browser.Attribute(link, "href"), "other?x=1");
    EXPECT_EQ(browser.Attribute(link, "accesskey"), "");
    EXPECT_EQ(browser.Href(p), "");
    EXPECT_EQ(browser.ElementsByTag("B").size(), 1u);
    EXPECT_TRUE(browser.ElementsByNameOrId("nothing").empty());
    EXPECT_THROW(browser.ElementByNameOrId("nothing"), BrowserError);

    browser.SetBodyInnerHtml("<div id=fresh>新しい本文</div>");
    EXPECT_EQ(browser.BodyInnerHtml(), "<div id=\"fresh\">新しい本文</div>");

    // Handles belong to their document.
    const ElementHandle fresh = browser.ElementByNameOrId("fresh");
    ASSERT_TRUE(session->NavigateTo(site->Url("/plain")));
    EXPECT_THROW(browser.InnerText(fresh), BrowserError);
    EXPECT_THROW(browser.EvaluateText("throw new Error('broken page script')"), BrowserError);
}

TEST_F(BrowserSession, NavigationCanBeRefusedAndUnreachableAddressesShowAnErrorPage) {
    auto browser = rig.factory.CreateBrowser(BrowserPlacement{nullptr, "raw"});
    std::vector<std::string> asked;
    BrowserEvents events;
    events.onBeforeNavigate = [&](const std::string& url, bool mainFrame, bool& cancel) {
        asked.push_back(url);
        cancel = url.find("/refused") != std::string::npos;
    };
    browser->SetEvents(events);
    const auto settled = [&] {
        return testsupport::WaitUntil([&] { return !browser->Busy() && browser->ReadyState() == "complete"; },
                                      10000);
    };
    browser->Navigate(site->Url("/refused"));
    PumpFor(500);
    ASSERT_TRUE(settled());
    EXPECT_EQ(site->Hits("/refused"), 0);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), site->Url("/refused"));

    // A port nobody listens on: the session's wait sees the error text at that address.
    TestSite closed;
    closed.Start();
    const std::string unreachable = closed.Url("/gone");
    closed.Stop();
    browser->Navigate(unreachable);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return browser->LocationUrl() == unreachable; }, 10000));
    ASSERT_TRUE(settled());
    EXPECT_NE(browser->BodyInnerHtml().find("ページを表示できません"), std::string::npos);
}

} // namespace
