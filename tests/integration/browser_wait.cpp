// The session's page wait against a real engine and a loopback site: error
// pages and their reloads, the retry limit, the deadline, the dialogs
// answered during reloads, and lost answers to forms, which are never sent
// again.
#include "BrowserTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace browsertest;

namespace {

const char* const kRetryLimitMessage = "[テスト口座] サーバー障害でretry Limit を超えました。処理を抜けます";
const char* const kLostAnswerMessage = "[テスト口座] 送信したフォームの応答ページを表示できません。"
                                       "二重送信を避けるため再読込みせずに処理を抜けます（成否は後で確認します）";

std::string RetryMessage(int retry) {
    return "[テスト口座] サーバー障害でページを表示できません.再読込みします (Retry=" + std::to_string(retry) + "/5)";
}

std::string ErrorBody(const std::string& kind) {
    if (kind == "shown") return Page("<h1>ページを表示できません</h1>");
    if (kind == "found") return Page("<p>お探しのページが見つかりません</p>");
    return "<html><head></head><body> \r\n\t </body></html>";
}

// Answers every request to the page with the same number of confirms.
std::string ConfirmPage(int confirms) {
    return Page("<div id=answer></div><script>var answers = [];"
                "for (var i = 0; i < " + std::to_string(confirms) + "; ++i) answers.push(confirm('続行しますか？'));"
                "document.getElementById('answer').textContent = answers.join(',');</script>");
}

class BrowserWait : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site = new TestSite;
        site->Html("/login", LoginPage());
        site->Html("/good", Page("<p>ok</p>"));
        site->Html("/dialogs", Page("<div id=answer></div><script>alert('注意');"
                                    "var c = confirm('よろしいですか？'); var p = prompt('数量', '3');"
                                    "document.getElementById('answer').textContent = c + ',' + p;</script>"));
        // /flaky/<kind>/<failures>/<tag>: the first <failures> requests get the
        // error page of <kind>, later ones a good page (one with <confirms>
        // confirm dialogs when the tag reads "confirmN").
        site->server().Get(R"(/flaky/(\w+)/(\d+)/(\w+))", [](const httplib::Request& request,
                                                             httplib::Response& response) {
            const int failures = std::stoi(request.matches[2]);
            const std::string tag = request.matches[3];
            if (site->Hits(request.path) <= failures) {
                response.set_content(ErrorBody(request.matches[1]), "text/html; charset=utf-8");
                return;
            }
            const int confirms = tag.rfind("confirm", 0) == 0 ? std::stoi(tag.substr(7)) : 0;
            response.set_content(confirms ? ConfirmPage(confirms) : Page("<p>recovered</p>"),
                                 "text/html; charset=utf-8");
        });
        // /form/<kind>: a form posted to /answer/<kind>, whose answer is an
        // error page of that kind, a dropped connection, or a redirect to a
        // page that fails once.
        site->server().Get(R"(/form/(\w+))", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(Page("<form method=post action=\"/answer/" + request.matches[1].str() +
                                      "\"><input type=submit name=go></form>"),
                                 "text/html; charset=utf-8");
        });
        site->server().Post(R"(/answer/(\w+))", [](const httplib::Request& request, httplib::Response& response) {
            const std::string kind = request.matches[1];
            if (kind == "drop")
                response.set_content_provider(1024, "text/html", [](size_t, size_t, httplib::DataSink&) { return false; });
            else if (kind == "redirect")
                response.set_redirect("/flaky/blank/1/redirected");
            else
                response.set_content(ErrorBody(kind), "text/html; charset=utf-8");
        });
        // Sends the start of a page and then nothing more for a long time.
        site->server().Get("/slow", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
                const std::string start = "<html><body>still loading";
                sink.write(start.data(), start.size());
                for (int i = 0; i < 200 && !stopping; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
                sink.done();
                return true;
            });
        });
        site->Start();
    }
    static void TearDownTestSuite() {
        stopping = true;
        delete site;
    }

    void SetUp() override {
        session = rig.Open(site->Url("/login"));
        ASSERT_TRUE(session->Active) << rig.DetailText();
        rig.log.clear();
    }

    std::string Answer() { return session->browser().InnerText(session->browser().ElementByNameOrId("answer")); }

    static inline TestSite* site = nullptr;
    static inline std::atomic<bool> stopping{false};
    SessionRig rig;
    TSessionPtr<PageSession> session;
};

TEST_F(BrowserWait, ErrorPagesAreReloadedUntilGood) {
    for (const std::string kind : {"shown", "found", "blank"}) {
        SCOPED_TRACE(kind);
        rig.log.clear();
        const std::string path = "/flaky/" + kind + "/1/once";
        EXPECT_TRUE(session->NavigateTo(site->Url(path)));
        EXPECT_EQ(site->Hits(path), 2);
        EXPECT_EQ(rig.log, (std::vector<std::string>{RetryMessage(1), "[テスト口座] 再読込みに成功"}));
        EXPECT_EQ(session->RetryCount, 0);
        EXPECT_FALSE(rig.watchdog.Enabled());
    }
}

TEST_F(BrowserWait, EmptyAboutBlankIsNoErrorPage) {
    ASSERT_TRUE(session->NavigateTo(site->Url("/good")));
    EXPECT_TRUE(session->NavigateTo("about:blank"));
    EXPECT_TRUE(rig.log.empty());
    EXPECT_EQ(session->browser().LocationUrl(), "about:blank");
}

TEST_F(BrowserWait, SixErrorPagesExhaustTheRetriesUntilAGoodPage) {
    const std::string path = "/flaky/shown/100/six";
    EXPECT_FALSE(session->NavigateTo(site->Url(path)));
    EXPECT_EQ(site->Hits(path), 6);
    for (int retry = 1; retry <= 6; ++retry) EXPECT_EQ(rig.LogCount(RetryMessage(retry)), 1) << retry;
    EXPECT_EQ(rig.LogCount(kRetryLimitMessage), 1);
    EXPECT_EQ(rig.LogCount("[テスト口座] 再読込みに成功"), 0);
    EXPECT_FALSE(rig.watchdog.Enabled());

    // The next error page fails at once, without a reload.
    const std::string next = "/flaky/found/100/next";
    EXPECT_FALSE(session->NavigateTo(site->Url(next)));
    EXPECT_EQ(site->Hits(next), 1);
    EXPECT_EQ(rig.LogCount(RetryMessage(7)), 1);
    EXPECT_EQ(rig.LogCount(kRetryLimitMessage), 2);

    // A good page resets the count.
    EXPECT_TRUE(session->NavigateTo(site->Url("/good")));
    EXPECT_EQ(session->RetryCount, 0);
    const std::string later = "/flaky/blank/1/later";
    EXPECT_TRUE(session->NavigateTo(site->Url(later)));
    EXPECT_EQ(site->Hits(later), 2);
}

TEST_F(BrowserWait, WithoutReloadCallbackTheErrorPageIsAccepted) {
    TSessionSettings settings = rig.Settings(site->Url("/login"));
    settings.OnReloading = nullptr;
    auto plain = TTradeApiBase::Create<PageSession>(settings);
    ASSERT_TRUE(plain->Active);
    rig.log.clear();
    const std::string path = "/flaky/shown/1/accepted";
    EXPECT_TRUE(plain->NavigateTo(site->Url(path)));
    EXPECT_EQ(site->Hits(path), 1);
    EXPECT_EQ(rig.log, std::vector<std::string>{RetryMessage(1)});
    EXPECT_EQ(plain->RetryCount, 0);
}

TEST_F(BrowserWait, TheAnswerToAFormIsNeverAskedForAgain) {
    for (const std::string kind : {"shown", "blank", "drop"}) {
        SCOPED_TRACE(kind);
        rig.log.clear();
        ASSERT_TRUE(session->NavigateTo(site->Url("/form/" + kind)));
        session->browser().Click(session->browser().ElementByNameOrId("go"));
        EXPECT_FALSE(session->WaitIE(true));
        EXPECT_THROW(session->browser().Reload(), BrowserError);
        // Nor does a step back from a later page send the form again.
        ASSERT_TRUE(session->NavigateTo(site->Url("/good")));
        session->NavigateBegin();
        session->browser().GoBack();
        EXPECT_FALSE(session->WaitIE(true));
        EXPECT_EQ(rig.log, (std::vector<std::string>{kLostAnswerMessage, kLostAnswerMessage}));
        EXPECT_EQ(site->Hits("/answer/" + kind), 1);
    }
    // The page a redirect after the form leads to is fetched by address.
    ASSERT_TRUE(session->NavigateTo(site->Url("/form/redirect")));
    session->browser().Click(session->browser().ElementByNameOrId("go"));
    EXPECT_TRUE(session->WaitIE(true));
    EXPECT_EQ(site->Hits("/flaky/blank/1/redirected"), 2);
}

TEST_F(BrowserWait, PageThatNeverFinishesStopsTheBrowserAtTheDeadline) {
    session->WaitTimeoutSeconds = 2;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session->NavigateTo(site->Url("/slow")));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 2.7);
    EXPECT_LT(seconds, 8.0);
    EXPECT_EQ(rig.LogCount("[テスト口座] [TimeOut] 2 秒経過しても反応がないので、タイムアウトします"), 1);
    EXPECT_FALSE(session->browser().Busy());
    EXPECT_EQ(session->RetryCount, 0);
}

TEST_F(BrowserWait, ConfirmDuringReloadIsAnsweredLoggedAndCounted) {
    EXPECT_TRUE(session->NavigateTo(site->Url("/flaky/shown/1/confirm1")));
    EXPECT_EQ(Answer(), "true");
    ASSERT_EQ(rig.watchdogLog.size(), 4u);
    EXPECT_TRUE(rig.watchdogLog[0].starts_with("[Bt32770] 確認ウィンドウが発生. (Handle = "));
    EXPECT_TRUE(rig.watchdogLog[1].starts_with("[Bt32770] [0] Hwnd="));
    EXPECT_TRUE(rig.watchdogLog[1].ends_with(", Button, OK"));
    EXPECT_TRUE(rig.watchdogLog[2].ends_with(", Button, キャンセル"));
    EXPECT_EQ(rig.watchdogLog[3], "[Bt32770] OK ボタンをクリック (1/10回目)");
    EXPECT_EQ(rig.watchdog.Attempts(), 1);
    EXPECT_FALSE(rig.watchdog.Enabled());
}

TEST_F(BrowserWait, EleventhDialogOfARunEndsTheProgram) {
    EXPECT_TRUE(session->NavigateTo(site->Url("/flaky/shown/1/confirm11")));
    EXPECT_EQ(rig.programEnds, 1);
    EXPECT_EQ(rig.watchdog.Attempts(), 11);
    const auto clicks = std::count_if(rig.watchdogLog.begin(), rig.watchdogLog.end(),
                                      [](const std::string& line) { return line.ends_with("/10回目)"); });
    EXPECT_EQ(clicks, 10);
    EXPECT_EQ(rig.watchdogLog.back(), "[Bt32770] 確認ウィンドウが出現する状況を一向に改善できません。"
                                      "いったん強制終了し、少し時間をおいて再起動します");
}

TEST_F(BrowserWait, DialogsOutsideReloadsAreAnsweredAndOnlyNoted) {
    EXPECT_TRUE(session->NavigateTo(site->Url("/dialogs")));
    EXPECT_EQ(Answer(), "true,3");
    EXPECT_TRUE(rig.watchdogLog.empty());
    EXPECT_EQ(rig.watchdogDetail.size(), 3u);
    EXPECT_EQ(rig.watchdog.Attempts(), 0);
}

} // namespace
