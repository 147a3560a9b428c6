// The browser layer's costs: one NavigateTo + WaitIE on a loopback page, and
// fifty sessions created and destroyed in a row (browser processes left
// behind, memory growth). bench/browser_bench.sh runs it and checks the limits.
#include "base/AkUnit.h"
#include "broker/TradeApiBase.h"
#include "broker/web/QtBrowserFactory.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace {

class LoopbackSite {
public:
    LoopbackSite() {
        server_.Get("/page", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html><body><div>口座資産</div><a href=\"/page\">next</a></body></html>",
                                 "text/html; charset=utf-8");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackSite() {
        server_.stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

// Logs on by loading its log-in page; the figures are fixed.
class BenchSession : public TTradeApiBase {
public:
    using TTradeApiBase::TTradeApiBase;
    bool LogOn(const std::string&, const std::string&) override {
        Balance = BalancePL = 1;
        return NavigateTo(LoginURL);
    }
    bool LogOff() override { return true; }
    bool OpenPosition(const std::string&, bool, int, pugi::xml_node, pugi::xml_node, const std::string&,
                      double) override {
        return false;
    }
    bool ClosePosition(const TTicket&, int) override { return false; }
    bool EnumTicket(TTicketArray&) override { return false; }
};

TSessionPtr<BenchSession> OpenSession(BrowserFactory& factory, const std::string& loginUrl) {
    TSessionSettings settings;
    settings.AccountName = "bench";
    settings.LoginURL = loginUrl;
    settings.MinLotSize = "1";
    settings.MaxLotSize = "100";
    settings.AccountBaseUnitSize = "10000";
    settings.AccountBaseCurrency = "JPY";
    settings.Browsers = &factory;
    return TTradeApiBase::Create<BenchSession>(settings);
}

// Parent of every process, from /proc.
std::map<int, int> ParentsOfAll() {
    std::map<int, int> parents;
    DIR* proc = opendir("/proc");
    if (!proc) return parents;
    while (dirent* entry = readdir(proc)) {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 0) continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // The fields after the command name in parentheses: state, parent.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        std::string state;
        int parent = 0;
        rest >> state >> parent;
        parents[pid] = parent;
    }
    closedir(proc);
    return parents;
}

std::vector<int> Descendants() {
    const std::map<int, int> parents = ParentsOfAll();
    std::vector<int> found{static_cast<int>(getpid())};
    for (std::size_t i = 0; i < found.size(); ++i)
        for (const auto& [pid, parent] : parents)
            if (parent == found[i]) found.push_back(pid);
    found.erase(found.begin());
    return found;
}

long ResidentKb(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Memory of the program and its browser processes together.
long TotalResidentKb() {
    long total = ResidentKb(getpid());
    for (int pid : Descendants()) total += ResidentKb(pid);
    return total;
}

// Renderers of closed sessions end shortly after; give them time to go.
std::size_t SettledProcessCount(std::size_t expected) {
    for (int i = 0; i < 50 && Descendants().size() > expected; ++i) PumpFor(100);
    return Descendants().size();
}

LoopbackSite* site = nullptr;
QtBrowserFactory* factory = nullptr;

void BM_NavigateToAndWaitIE(benchmark::State& state) {
    auto session = OpenSession(*factory, site->Url("/page"));
    if (!session->Active) state.SkipWithError("session did not start");
    for (auto _ : state)
        if (!session->NavigateTo(site->Url("/page"))) state.SkipWithError("navigation failed");
}
BENCHMARK(BM_NavigateToAndWaitIE)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(15);

void BM_FiftySessionsInARow(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        // Warm-up: the engine's own processes and caches come with the first sessions.
        for (int i = 0; i < 3; ++i) OpenSession(*factory, site->Url("/page"));
        PumpFor(2000);
        const std::size_t processesBefore = Descendants().size();
        const long memoryBefore = TotalResidentKb();
        state.ResumeTiming();
        int active = 0;
        for (int i = 0; i < 50; ++i) active += OpenSession(*factory, site->Url("/page"))->Active;
        state.PauseTiming();
        const std::size_t processesAfter = SettledProcessCount(processesBefore);
        const long memoryAfter = TotalResidentKb();
        state.counters["active_sessions"] = active;
        state.counters["processes_left_behind"] =
            static_cast<double>(processesAfter) - static_cast<double>(processesBefore);
        state.counters["memory_before_mb"] = memoryBefore / 1024.0;
        state.counters["memory_after_mb"] = memoryAfter / 1024.0;
        state.counters["memory_growth_pct"] = 100.0 * (memoryAfter - memoryBefore) / memoryBefore;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FiftySessionsInARow)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    SetMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    benchmark::Initialize(&argc, argv);
    LoopbackSite loopback;
    QtBrowserFactory browsers;
    site = &loopback;
    factory = &browsers;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
