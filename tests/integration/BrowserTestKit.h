#pragma once
// Shared pieces of the browser tests: a loopback web site whose pages the
// test defines and whose requests it counts, and a broker session that logs
// on by reading its figures off a page of that site.

#include "base/AkUnit.h"
#include "broker/DialogWatchdog.h"
#include "broker/SessionTimings.h"
#include "broker/TradeApiBase.h"
#include "broker/web/QtBrowserFactory.h"

#include <QCoreApplication>
#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace browsertest {

inline std::string Page(const std::string& body, const std::string& head = "") {
    return "<html><head><meta charset=\"utf-8\">" + head + "</head><body>" + body + "</body></html>";
}

// A web site on 127.0.0.1 served from its own thread. Routes are added
// before Start(); every request is counted by path and its user agent kept.
class TestSite {
public:
    TestSite() {
        server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
            std::lock_guard<std::mutex> lock(mutex_);
            ++hits_[request.path];
            userAgents_.push_back(request.get_header_value("User-Agent"));
            return httplib::Server::HandlerResponse::Unhandled;
        });
    }
    ~TestSite() { Stop(); }

    httplib::Server& server() { return server_; }

    // Serves the same HTML for every request to the path.
    void Html(const std::string& path, const std::string& html) {
        server_.Get(path, [html](const httplib::Request&, httplib::Response& response) {
            response.set_content(html, "text/html; charset=utf-8");
        });
    }

    void Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        // The socket listens from the bind on; early requests wait in its queue.
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    void Stop() {
        if (!thread_.joinable()) return;
        // A stop that comes before the accept loop runs would be lost.
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server_.stop();
        thread_.join();
    }

    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    int Hits(const std::string& path) const {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = hits_.find(path);
        return found == hits_.end() ? 0 : found->second;
    }
    std::vector<std::string> UserAgents() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return userAgents_;
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, int> hits_;
    std::vector<std::string> userAgents_;
};

// Logs on by loading LoginURL and reading the figures "balance" and
// "balancepl" off the page; logging off is only recorded.
class PageSession : public TTradeApiBase {
public:
    using TTradeApiBase::TTradeApiBase;

    bool LogOn(const std::string&, const std::string&) override {
        if (!NavigateTo(LoginURL)) return false;
        try {
            Balance = std::stod(WebBrowser->InnerText(WebBrowser->ElementByNameOrId("balance")));
            BalancePL = std::stod(WebBrowser->InnerText(WebBrowser->ElementByNameOrId("balancepl")));
            return true;
        } catch (...) {
            return false;
        }
    }
    bool LogOff() override {
        ++logOffs;
        return true;
    }
    bool OpenPosition(const std::string&, bool, int, pugi::xml_node, pugi::xml_node, const std::string&,
                      double) override {
        return false;
    }
    bool ClosePosition(const TTicket&, int) override { return false; }
    bool EnumTicket(TTicketArray&) override { return false; }

    Browser& browser() { return *WebBrowser; }
    int logOffs = 0;
};

// Pages settle in 20 ms and are read every 10 ms instead of 0.7 s and
// 0.3 s, for as long as it lives: for suites about what a session does, not
// how long it waits (the page wait's own suite keeps the real settle).
// Sessions take the timings when they are made, so it must come first.
class ShortPageSettle {
public:
    ShortPageSettle() : saved_(DefaultSessionTimings()) {
        TSessionTimings shortened = saved_;
        shortened.SettleMilliseconds = 20;
        shortened.PollMilliseconds = 10;
        SetDefaultSessionTimings(shortened);
    }
    ~ShortPageSettle() { SetDefaultSessionTimings(saved_); }
    ShortPageSettle(const ShortPageSettle&) = delete;
    ShortPageSettle& operator=(const ShortPageSettle&) = delete;

private:
    TSessionTimings saved_;
};

inline const char* LoginPage() {
    return "<html><body><div id=balance>1000000</div><div id=balancepl>1020000</div></body></html>";
}

// What a test needs around a session: the pump, the logs, the watchdog and
// a factory whose browsers answer dialogs through it.
class SessionRig {
public:
    SessionRig()
        : watchdog(DialogWatchdog::Actions{[this](const std::string& t) { watchdogLog.push_back(t); },
                                           [this](const std::string& t) { watchdogDetail.push_back(t); },
                                           [this] { ++programEnds; }}),
          factory([this](const BrowserDialog& dialog) { return watchdog.Answer(dialog); }) {
        SetMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    }

    TSessionSettings Settings(const std::string& loginUrl) {
        TSessionSettings settings;
        settings.UserName = "user";
        settings.Password = "pass";
        settings.AccountName = "テスト口座";
        settings.LoginURL = loginUrl;
        settings.MinLotSize = "1";
        settings.MaxLotSize = "100";
        settings.AccountBaseUnitSize = "10000";
        settings.AccountBaseCurrency = "JPY";
        settings.OnLog = [this](const std::string& t) { log.push_back(t); };
        settings.OnDetailLog = [this](const std::string& t) { detail.push_back(t); };
        settings.OnReloading = [this](bool on) { watchdog.SetEnabled(on); };
        settings.Browsers = &factory;
        return settings;
    }

    TSessionPtr<PageSession> Open(const std::string& loginUrl) {
        return TTradeApiBase::Create<PageSession>(Settings(loginUrl));
    }

    int LogCount(const std::string& line) const {
        int count = 0;
        for (const std::string& entry : log) count += entry == line;
        return count;
    }
    // The detail log, for failure messages.
    std::string DetailText() const {
        std::string text;
        for (const std::string& entry : detail) text += entry + "\n";
        return text;
    }
    bool DetailContains(const std::string& part) const {
        for (const std::string& entry : detail)
            if (entry.find(part) != std::string::npos) return true;
        return false;
    }

    std::vector<std::string> log;
    std::vector<std::string> detail;
    std::vector<std::string> watchdogLog;
    std::vector<std::string> watchdogDetail;
    int programEnds = 0;
    DialogWatchdog watchdog;
    QtBrowserFactory factory;
};

} // namespace browsertest
