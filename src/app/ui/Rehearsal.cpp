#include "app/ui/Rehearsal.h"

#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "base/CurlTransfer.h"
#include "helpers/DemoAccount/DemoAccount.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kPassword = "rehearsal";
constexpr const char* kDeposit = "3000000";
constexpr const char* kLeverage = "2";

struct RehearsalAccount {
    const char* label;     // the service template's entry
    const char* family;    // the simulator's broker site
    const char* id;
    const char* positions; // held before the run, so the trade also closes
};

const std::vector<RehearsalAccount>& Accounts()
{
    static const std::vector<RehearsalAccount> accounts = {
        {"LionFX", "lionfx", "rehearsal-lionfx", "[]"},
        {"外為オンライン", "ocbc", "rehearsal-ocbc",
         R"([{"pair":"USDJPY","side":"sell","lots":1},{"pair":"AUDJPY","side":"buy","lots":2}])"},
        {"コスモ", "cosmo", "rehearsal-cosmo", R"([{"pair":"EURJPY","side":"buy","lots":5}])"},
    };
    return accounts;
}

void Say(const std::string& line) { std::printf("%s\n", line.c_str()); std::fflush(stdout); }

QString Beside(const char* program)
{
    return QFileInfo(QString::fromStdString(ExecutablePath())).absolutePath() + "/" + program;
}

// Under XDG_RUNTIME_DIR (gone at log-out), else in the user's cache; a fresh
// folder each time, never the program folder of a real installation.
QString NewRehearsalFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QFileInfo(base).isWritable())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(base);
    QTemporaryDir folder(base + "/pellago-rehearsal-XXXXXX");
    if (!folder.isValid())
        return {};
    folder.setAutoRemove(false);
    return folder.path();
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The market trades from Sunday 22:00 to Friday 20:00 UTC; outside that the
// rehearsal's clock goes back to a trading day, so it shows a trade any day.
long long MarketClockOffset()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const int weekday = now.date().dayOfWeek();
    const int hour = now.time().hour();
    constexpr long long day = 86400;
    if (weekday == 6)
        return -2 * day;
    if (weekday == 7 && hour < 22)
        return -3 * day;
    if (weekday == 5 && hour >= 20)
        return -day;
    return 0;
}

bool Request(const std::string& method, const std::string& url, const std::string& body, std::string& answer)
{
    CurlEasy easy;
    if (!easy)
        return false;
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_CUSTOMREQUEST, method.c_str());
    if (method != "GET") {
        curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, body.c_str());
    }
    curl_easy_setopt(easy.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &answer);
    const CURLcode result = curl_easy_perform(easy.get());
    curl_slist_free_all(headers);
    return result == CURLE_OK;
}

class Simulator {
public:
    ~Simulator()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished();
    }

    // Starts it on a free loopback port and reads that port from its first line.
    bool start()
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(Beside("pellago-sim"), {"--listen", "127.0.0.1:0"});
        QByteArray line;
        while (process_.waitForReadyRead(10000)) {
            line += process_.readAll();
            const qsizetype at = line.indexOf("listening 127.0.0.1:");
            const qsizetype end = line.indexOf('\n', at);
            if (at >= 0 && end > at) {
                base_ = "http://127.0.0.1:" + line.mid(at + 20, end - at - 20).trimmed().toStdString();
                return true;
            }
        }
        return false;
    }

    bool control(const std::string& path, const std::string& body)
    {
        std::string answer;
        return Request("POST", base_ + "/_control/" + path, body, answer);
    }

    std::string net(const RehearsalAccount& account)
    {
        std::string answer;
        if (!Request("GET", base_ + "/_control/accounts/" + account.family + "/" + account.id + "/net", "", answer))
            return "(読めません)";
        return answer;
    }

    const std::string& base() const { return base_; }

private:
    QProcess process_;
    std::string base_;
};

bool OpenAccountsAtSimulator(Simulator& simulator)
{
    if (!simulator.control("prices", R"({"moving":false})"))
        return false;
    for (const RehearsalAccount& account : Accounts()) {
        const std::string body = std::string(R"({"family":")") + account.family + R"(","id":")" + account.id +
                                 R"(","password":")" + kPassword + R"(","deposit":)" + kDeposit +
                                 R"(,"positions":)" + account.positions + "}";
        if (!simulator.control("accounts", body))
            return false;
    }
    return true;
}

// service.conf at the simulator, demo mode on, terms accepted, and the
// three accounts registered as the account screen registers them.
bool PrepareProgramFolder(const QString& home, const Simulator& simulator, std::string& error)
{
    const QByteArray service = "web_base = " + QByteArray::fromStdString(simulator.base()) +
                               "\nmail_host = 127.0.0.1\nmail_port = 9\n";
    if (!WriteFile(home + "/service.conf", service) || !WriteFile(home + "/pellago.ini", "[Main]\r\nCheckBox10=1\r\n") ||
        !WriteFile(home + "/AutoTrade/Licensed", "")) {
        error = "プログラムフォルダを作れません: " + home.toStdString();
        return false;
    }
    SetProgramFolder(home.toStdString());
    for (const RehearsalAccount& account : Accounts())
        if (!AddDemoAccount({account.label, account.id, kPassword, kLeverage}, error))
            return false;
    return true;
}

int RunProgram(const QString& home, const StartOptions& options)
{
    QStringList arguments{"--home", home, "auto"};
    if (options.headless)
        arguments << "--headless";
    if (options.once)
        arguments << "--once";
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("PELLAGO_HOME");
    environment.insert(kRehearsalVariable, "1");
    if (const long long offset = MarketClockOffset(); offset != 0)
        environment.insert("PELLAGO_TEST_CLOCK_OFFSET", QString::number(offset));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QString::fromStdString(ExecutablePath()), arguments);
    if (!program.waitForStarted() || !program.waitForFinished(-1))
        return 1;
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : 1;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "pellago --rehearse: %s\n", message.c_str());
    return 1;
}

} // namespace

int RunRehearsal(const StartOptions& options)
{
    const QString folder = NewRehearsalFolder();
    if (folder.isEmpty())
        return Fail("リハーサル用のフォルダを作れません");
    Simulator simulator;
    if (!simulator.start())
        return Fail("pellago-sim を起動できません: " + Beside("pellago-sim").toStdString());
    Say("リハーサル: pellago-sim が " + simulator.base() + " で動作中です");
    if (!OpenAccountsAtSimulator(simulator))
        return Fail("pellago-sim にデモ口座を作れません");
    const QString home = folder + "/program";
    std::string error;
    if (!PrepareProgramFolder(home, simulator, error))
        return Fail(error);
    Say("リハーサル: プログラムフォルダ " + home.toStdString() + " (Demoモード、デモ口座 3 つ) で自動売買を 1 回実行します");
    const int exitCode = RunProgram(home, options);
    for (const RehearsalAccount& account : Accounts())
        Say(std::string("リハーサル: [") + account.label + "] シミュレーターの建玉 " + simulator.net(account));
    Say("リハーサル: 終了しました (終了コード " + std::to_string(exitCode) + ")。pellago-sim を止めます");
    return exitCode;
}

bool StartRehearsalProgram() { return LaunchArguments({ExecutablePath(), "--rehearse"}) != 0; }
