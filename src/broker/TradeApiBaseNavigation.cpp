// The session's use of its browser: start-up, navigation, link clicks, the
// browser's events and the one wait every page goes through.
#include "broker/TradeApiBase.h"

#include "base/AkUnit.h"
#include "broker/PageChecks.h"
#include "broker/SessionTimings.h"

#include <chrono>
#include <functional>

namespace {

// Broker sites serve their handheld pages to this signature.
const char* const kHandheldUserAgent = "Mozilla/5.0 (PDA; NF34PPC/1.0; like Gecko) NetFront/3.4";

using SteadyClock = std::chrono::steady_clock;

void Settle(int milliseconds) {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
    while (SteadyClock::now() < end) PumpMessages(0);
}

std::string TrueFalse(bool value) { return value ? "True" : "False"; }

// Text after the last "/", query included.
std::string LastSegment(const std::string& address) {
    const auto slash = address.rfind('/');
    return slash == std::string::npos ? address : address.substr(slash + 1);
}

bool Matches(const std::string& text, const std::string& wanted, bool exact) {
    return exact ? EqualsNoCase(text, wanted) : ContainsNoCase(text, wanted);
}

// The first anchor of the document that satisfies the test, or -1.
ElementHandle FindAnchor(Browser& browser, const std::function<bool(ElementHandle)>& test) {
    for (ElementHandle anchor : browser.ElementsByTag("a"))
        if (test(anchor)) return anchor;
    return -1;
}

} // namespace

bool TTradeApiBase::OpenBrowser() {
    WebBrowser = Browsers->CreateBrowser(BrowserPlacement{Host, AccountName});
    BrowserEvents events;
    events.onDownloadBegin = [this] { BrowserDownloadBegin(); };
    events.onDownloadComplete = [this] { BrowserDownloadComplete(); };
    events.onDocumentComplete = [this](const std::string&) { BrowserDocumentComplete(); };
    WebBrowser->SetEvents(std::move(events));
    DownloadComplete = true;
    WebBrowser->SetUserAgent(kHandheldUserAgent);
    if (Proxy.UseProxy) {
        if (Proxy.Server.empty())
            Log("IEのProxy設定を使用して接続します");
        else
            Log("Proxy " + Proxy.Server + " を使用して接続します");
        const bool applied = WebBrowser->SetProxy(BrowserProxy{true, Proxy.Server});
        Log(std::string("Proxyのセットに") + (applied ? "成功" : "失敗"));
    }
    NavigateTo("about:blank");
    return WaitIE(true);
}

bool TTradeApiBase::WaitIE(bool waitForAddressChange) {
    DetailLog("WaitIE IN");
    AnswerLost = false;
    try {
        if (!WebBrowser) return false;
        Browser& browser = *WebBrowser;
        DetailLog("start wait");
        Settle(SettleMilliseconds);
        DetailLog("start wait ok");
        const int pollMs = DefaultSessionTimings().PollMilliseconds;

        const auto deadline = SteadyClock::now() + std::chrono::seconds(WaitTimeoutSeconds);
        const auto inTime = [&] { return SteadyClock::now() <= deadline; };

        DetailLog("download complete wait...");
        while (!DownloadComplete && inTime()) {
            PumpMessages(pollMs);
            DetailLog("not Download complete");
        }
        if (waitForAddressChange) {
            DetailLog("LocationURL Change Wait...");
            while (EqualsNoCase(browser.LocationUrl(), URLBeforeNavigate) && inTime()) {
                PumpMessages(pollMs);
                DetailLog("LocationURL : " + browser.LocationUrl() + " = " + URLBeforeNavigate);
            }
        }
        DetailLog("readState wait...");
        while (browser.ReadyState() != "complete" && inTime()) {
            PumpMessages(pollMs);
            DetailLog("IE.Document.ReadyState = " + browser.ReadyState());
        }
        DetailLog("busy wait...");
        while (browser.Busy() && inTime()) {
            PumpMessages(pollMs);
            DetailLog("IE.Busy (LocationURL): " + browser.LocationUrl());
        }

        if (!inTime()) {
            browser.Stop();
            Log("[TimeOut] " + std::to_string(WaitTimeoutSeconds) + " 秒経過しても反応がないので、タイムアウトします");
            DetailLog(PageDump(browser.BodyInnerHtml()));
            return false;
        }
        DetailLog(PageDump(browser.DocumentInnerHtml()));
        if (!IsServerErrorPage(browser.BodyInnerHtml(), browser.LocationUrl())) {
            RetryCount = 0;
            return true;
        }
        // Asking again for the answer to a form sends the form again: an
        // order would be executed once more for every reload.
        if (browser.AnswersFormPost()) {
            AnswerLost = true;
            Log("送信したフォームの応答ページを表示できません。二重送信を避けるため再読込みせずに処理を抜けます"
                "（成否は後で確認します）");
            return false;
        }
        return ReloadErrorPage(waitForAddressChange);
    } catch (...) {
        return false;
    }
}

bool TTradeApiBase::ReloadErrorPage(bool waitForAddressChange) {
    ++RetryCount;
    Log("サーバー障害でページを表示できません.再読込みします (Retry=" + std::to_string(RetryCount) + "/" +
        std::to_string(RetryLimit) + ")");
    if (RetryCount > RetryLimit) {
        // RetryCount stays above the limit: later error pages fail at once
        // until a good page resets it.
        Log("サーバー障害でretry Limit を超えました。処理を抜けます");
        return false;
    }
    if (!OnReloading) {
        RetryCount = 0;
        return true;
    }
    bool firstReload = false;
    bool reloaded = false;
    {
        ReloadingScope reloading(OnReloading);
        DownloadComplete = false;
        WebBrowser->Reload();
        PumpMessages(DefaultSessionTimings().ReloadPauseMilliseconds);
        firstReload = RetryCount < 2;
        reloaded = WaitIE(waitForAddressChange);
    }
    if (!reloaded) return false;
    if (firstReload) Log("再読込みに成功");
    RetryCount = 0;
    return true;
}

bool TTradeApiBase::NavigateBegin() {
    DetailLog("[NavigateBegin]");
    DownloadComplete = false;
    DownloadCount = 0;
    try {
        URLBeforeNavigate = WebBrowser ? WebBrowser->LocationUrl() : std::string();
        return true;
    } catch (...) {
        return false;
    }
}

bool TTradeApiBase::NavigateAndWait(const std::string& address, const std::string& logName) {
    const bool same = EqualsNoCase(address, WebBrowser->LocationUrl());
    DetailLog(logName + " に移動");
    NavigateBegin();
    WebBrowser->DeleteCacheEntry(address);
    WebBrowser->Navigate(address);
    return WaitIE(!same);
}

bool TTradeApiBase::NavigateTo(const std::string& address) {
    try {
        return WebBrowser && NavigateAndWait(address, address);
    } catch (...) {
        return false;
    }
}

bool TTradeApiBase::NavigateToPage(const std::string& page) {
    try {
        if (!WebBrowser) return false;
        NavigateAndWait(BaseURL + page, page);
        return ContainsNoCase(WebBrowser->LocationUrl(), page);
    } catch (...) {
        return false;
    }
}

bool TTradeApiBase::FollowFoundLink(ElementHandle anchor, const std::string& foundMessage) {
    const std::string target = WebBrowser->Href(anchor);
    const bool deleted = WebBrowser->DeleteCacheEntry(target);
    DetailLog(foundMessage + TrueFalse(deleted) + "。移動します(現：" + WebBrowser->LocationUrl() + " → 次：" +
              target + ")");
    WebBrowser->Click(anchor);
    return WaitIE(true);
}

bool TTradeApiBase::ClickLinkByText(const std::string& text, bool exact) {
    DetailLog("Text=" + text + " を探索");
    try {
        if (WebBrowser) {
            Browser& browser = *WebBrowser;
            const ElementHandle anchor = FindAnchor(
                browser, [&](ElementHandle a) { return Matches(browser.InnerHtml(a), text, exact); });
            if (anchor >= 0)
                return FollowFoundLink(anchor, "Text=" + text +
                                                   (exact ? " を完全一致で発見。CashDelete="
                                                          : " を部分一致で発見。CashDelete="));
        }
    } catch (...) {
        return false;
    }
    DetailLog(text + " への移動に失敗しました");
    return false;
}

bool TTradeApiBase::ClickLinkByAccessKey(int key) {
    const std::string number = std::to_string(key);
    DetailLog("AccesKey=" + number + " を探索");
    try {
        if (WebBrowser) {
            Browser& browser = *WebBrowser;
            const ElementHandle anchor = FindAnchor(
                browser, [&](ElementHandle a) { return EqualsNoCase(browser.AccessKey(a), number); });
            if (anchor >= 0) return FollowFoundLink(anchor, "AccesKey=" + number + " を発見。CashDelete=");
        }
    } catch (...) {
        return false;
    }
    DetailLog(number + " への移動に失敗しました");
    return false;
}

bool TTradeApiBase::ClickMatchingLink(const std::string& description,
                                     const std::function<bool(ElementHandle)>& matches) {
    DetailLog(description + " へ移動");
    try {
        if (WebBrowser) {
            const ElementHandle anchor = FindAnchor(*WebBrowser, matches);
            if (anchor >= 0) {
                WebBrowser->Click(anchor);
                return WaitIE(true);
            }
        }
    } catch (...) {
        return false;
    }
    DetailLog(description + " への移動に失敗しました");
    return false;
}

bool TTradeApiBase::ClickLink(const std::string& text, const std::string& target, bool targetBySegment,
                              bool textExact, bool targetExact) {
    return ClickMatchingLink(text + " & " + target, [&](ElementHandle a) {
        if (!text.empty() && !Matches(WebBrowser->InnerHtml(a), text, textExact)) return false;
        if (target.empty()) return true;
        const std::string href = WebBrowser->Href(a);
        return Matches(targetBySegment ? LastSegment(href) : href, target, targetExact);
    });
}

void TTradeApiBase::BrowserDownloadBegin() { DetailLog("[DownloadBegin]"); }

void TTradeApiBase::BrowserDownloadComplete() {
    ++DownloadCount;
    DetailLog("[DownloadComplete] " + std::to_string(DownloadCount));
    DownloadComplete = true;
}

void TTradeApiBase::BrowserDocumentComplete() { DetailLog("Complete document was loaded"); }
