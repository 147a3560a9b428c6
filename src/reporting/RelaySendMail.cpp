#include "reporting/RelaySendMail.h"

#include "base/AkUnit.h"
#include "base/Log.h"
#include "reporting/MailRoute.h"

#include <chrono>

namespace {

const char* const kRelayUserAgent = "Mozilla/5.0 (PDA; NF34PPC/1.0; like Gecko) NetFront/3.4";
const char* const kDoneText = "正常に終了しました";
// A page that is still loading after this has failed; the wait must end.
constexpr auto kIdleLimit = std::chrono::seconds(30);

// Pump, sleep 200 ms, ask whether the browser is busy; until it is not.
bool WaitIdleOnce(Browser& browser)
{
    const auto deadline = std::chrono::steady_clock::now() + kIdleLimit;
    do
        PumpFor(200);
    while (browser.Busy() && std::chrono::steady_clock::now() < deadline);
    return !browser.Busy();
}

bool WaitUntilIdle(Browser& browser) { return WaitIdleOnce(browser) && WaitIdleOnce(browser); }

void FillIn(Browser& browser, const std::string& field, const std::string& value)
{
    browser.SetValue(browser.ElementByNameOrId(field), value);
}

TMailResult SubmitRelayForm(const TRelayRoute& route, const std::string& subject, const std::string& senderAddress,
                            const std::string& recipients, const std::string& body)
{
    if (!route.Browsers) {
        LogRouteFailure("Relay", "ブラウザーを用意できません");
        return TMailResult::Failed;
    }
    const std::unique_ptr<Browser> browser = route.Browsers->CreateBrowser({route.Host, "Pellago"});
    browser->SetUserAgent(kRelayUserAgent);
    if (route.Proxy.use && !browser->SetProxy(route.Proxy))
        AddDetailLog("[Relay] Proxy " + route.Proxy.server + " を設定できません");
    browser->Navigate("about:blank");
    WaitUntilIdle(*browser);
    browser->Navigate(route.PageUrl);
    const std::vector<ElementHandle> forms = WaitUntilIdle(*browser) ? browser->Forms() : std::vector<ElementHandle>{};
    if (forms.empty()) {
        LogRouteFailure("Relay", route.PageUrl + " を表示できません");
        return TMailResult::Unreachable;
    }
    FillIn(*browser, "sender", senderAddress);
    FillIn(*browser, "email", recipients);
    FillIn(*browser, "msubject", subject);
    FillIn(*browser, "message", body);
    browser->SubmitForm(forms.front());
    WaitUntilIdle(*browser);
    PumpFor(1000);
    WaitUntilIdle(*browser);
    if (ContainsNoCase(browser->BodyInnerHtml(), kDoneText))
        return TMailResult::Sent;
    LogRouteFailure("Relay", "送信完了の応答がありません: " + browser->LocationUrl());
    return TMailResult::Failed;
}

} // namespace

TMailResult RelaySendMail(const TRelayRoute& route, const std::string& subject, const std::string& senderAddress,
                          const std::string& recipients, const std::string& body)
{
    return RunMailRoute("Relay", [&] { return SubmitRelayForm(route, subject, senderAddress, recipients, body); });
}
