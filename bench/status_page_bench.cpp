// The main status page for 20 accounts and a 3000-day balance history:
// built from the files and drawn with its four charts.
//   BM_BuildAndDrawCharts  the page text plus every chart rendered to PNG, as
//                          the chart scheme handler answers it (the 150 ms median);
//   BM_ShowInStatusView    the same page shown in the status view of the real
//                          engine, until every chart image has arrived;
//   BM_EngineRoundTrip     one empty script answered by the engine, the unit
//                          the in-engine figure is made of on a busy machine.
// bench/status_page_bench.sh runs it and checks the limit.
#include "reporting/HtmlReadme.h"
#include "reporting/ui/ChartRenderer.h"
#include "reporting/ui/ChartSchemeHandler.h"
#include "reporting/ui/StatusView.h"
#include "support/StatusFixtures.h"

#include <QApplication>
#include <QBuffer>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <benchmark/benchmark.h>

namespace {

constexpr int kAccounts = 20;
constexpr int kDays = 3000;

statusfixture::Program* program = nullptr;

void WriteProgram(statusfixture::Program& folder)
{
    const char* pairs[] = {"USDJPY", "EURJPY", "GBPJPY", "EURUSD", "GBPUSD", "EURGBP"};
    const char* systems[] = {"Breakout", "Swing", "Trend"};
    std::vector<statusfixture::System> signal;
    for (const char* pair : pairs)
        for (int s = 0; s < 3; ++s) {
            statusfixture::System system{pair, systems[s], s - 1, 3, {}};
            for (int a = 1; a <= kAccounts; ++a) system.leverages[std::to_string(a)] = "1.5";
            signal.push_back(system);
        }
    std::vector<statusfixture::Account> accounts;
    for (int a = 1; a <= kAccounts; ++a) {
        statusfixture::Account account;
        account.name = "口座" + std::to_string(a);
        account.unique = std::to_string(a);
        account.holdPosition = "<Summary><USDJPY><OpenRate>151.2</OpenRate><Trend>Buy</Trend><Units>3</Units></USDJPY>"
                               "</Summary><Currency><USDJPY><Position><OpenRate>151.2</OpenRate><Trend>Buy</Trend>"
                               "<Units>3</Units></Position></USDJPY></Currency>";
        accounts.push_back(account);
    }
    folder.WriteAccounts(accounts, signal);
    folder.WriteSignal(statusfixture::SignalXml(signal));
    folder.WriteHistory(statusfixture::HistoryText(kDays));
}

// The chart addresses of a page, as its img elements carry them.
std::vector<QString> ChartUrls(const std::string& page)
{
    std::vector<QString> urls;
    for (size_t at = page.find("<img src=\""); at != std::string::npos; at = page.find("<img src=\"", at + 1)) {
        const size_t start = at + 10;
        urls.push_back(QString::fromStdString(page.substr(start, page.find('"', start) - start)));
    }
    return urls;
}

void BM_BuildAndDrawCharts(benchmark::State& state)
{
    for (auto _ : state) {
        const std::string page = MainStatusPageHtml(program->Context(900)).value();
        for (const QString& url : ChartUrls(page)) {
            QBuffer png;
            png.open(QIODevice::WriteOnly);
            RenderChart(QUrlQuery(QUrl(url))).save(&png, "PNG");
            benchmark::DoNotOptimize(png.size());
        }
    }
}
BENCHMARK(BM_BuildAndDrawCharts)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(15);

// The page shows these charts, and every one of them has arrived.
// The status view in the real engine, its first document loaded.
struct EngineView {
    QWebEngineView view;
    StatusView status{&view};
    EngineView()
    {
        view.resize(900, 700);
        view.show();
        status.InitStatusDocument();
        status.ShowBody(QStringLiteral("<p>ready</p>"));
        for (int i = 0; i < 300; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QVariant Evaluate(const QString& script)
    {
        bool answered = false;
        QVariant result;
        view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
            result = value;
            answered = true;
        });
        while (!answered) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return result;
    }
    // The page shows these charts, and every one of them has arrived.
    bool ChartsArrived(const QString& firstChart)
    {
        return Evaluate(QStringLiteral("(function(){var im=document.images;return im.length==4&&"
                                       "im[0].getAttribute('src')=='%1'&&"
                                       "Array.from(im).every(function(i){return i.complete&&i.naturalWidth>0;});})()")
                            .arg(firstChart))
            .toBool();
    }
};

void BM_ShowInStatusView(benchmark::State& state)
{
    EngineView engine;
    int width = 900;
    for (auto _ : state) {
        // A new width each time: new chart addresses, so every chart is drawn again.
        const std::string page = MainStatusPageHtml(program->Context(++width)).value();
        engine.status.ShowBody(QString::fromStdString(page));
        const QString first = ChartUrls(page).front();
        while (!engine.ChartsArrived(first)) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
}
BENCHMARK(BM_ShowInStatusView)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(30);

// What one question to the engine costs on this machine: the in-engine figure
// holds a few of them (the body, the chart requests, the check that they arrived).
void BM_EngineRoundTrip(benchmark::State& state)
{
    EngineView engine;
    for (auto _ : state) benchmark::DoNotOptimize(engine.Evaluate(QStringLiteral("1")));
}
BENCHMARK(BM_EngineRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(10);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ChartSchemeHandler::RegisterChartScheme();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    testsupport::ScratchDir dir;
    statusfixture::Program folder(dir.path());
    WriteProgram(folder);
    program = &folder;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
