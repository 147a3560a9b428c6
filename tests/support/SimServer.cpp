#include "support/SimServer.h"

#include "support/TestSupport.h"
#include "support/UpdateKeys.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <httplib.h>

#include <csignal>
#include <sys/prctl.h>

namespace testsupport {

namespace {

SimReply ReplyOf(const httplib::Result& result)
{
    if (!result)
        return {};
    return {result->status, result->body};
}

QJsonDocument JsonOf(const SimReply& reply)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(reply.body));
}

std::string AccountPath(const std::string& family, const std::string& id)
{
    return "/_control/accounts/" + family + "/" + id;
}

} // namespace

SimServer::SimServer(const std::string& stateFile) : process_(std::make_unique<QProcess>())
{
    QStringList args{"--listen", "127.0.0.1:0"};
    if (!stateFile.empty())
        args << "--state" << QString::fromStdString(stateFile);
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELLAGO_SIM_UPDATE_KEY", QString::fromStdString(TestUpdateKey().secretKeyPath));
    process_->setProcessEnvironment(environment);
    // A test that crashes must not leave its simulator holding ctest's output.
    process_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_->start(QString::fromStdString(BinDir() + "pellago-sim"), args);
    if (!process_->waitForStarted(10000))
        return;
    QElapsedTimer timer;
    timer.start();
    while (!process_->canReadLine() && timer.elapsed() < 10000)
        process_->waitForReadyRead(200);
    const QString line = QString::fromUtf8(process_->readLine()).trimmed();
    const QString prefix = "listening 127.0.0.1:";
    if (line.startsWith(prefix))
        port_ = line.mid(prefix.size()).toInt();
}

SimServer::~SimServer() { Kill(); }

void SimServer::Kill()
{
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(10000);
    }
    port_ = 0;
}

std::string SimServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

SimReply SimServer::Get(const std::string& path) const
{
    httplib::Client client("127.0.0.1", port_);
    return ReplyOf(client.Get(path.c_str()));
}

SimReply SimServer::Post(const std::string& path, const std::string& json) const
{
    httplib::Client client("127.0.0.1", port_);
    return ReplyOf(client.Post(path.c_str(), json, "application/json"));
}

SimReply SimServer::Put(const std::string& path, const std::string& json) const
{
    httplib::Client client("127.0.0.1", port_);
    return ReplyOf(client.Put(path.c_str(), json, "application/json"));
}

SimReply SimServer::Delete(const std::string& path) const
{
    httplib::Client client("127.0.0.1", port_);
    return ReplyOf(client.Delete(path.c_str()));
}

bool SimServer::CreateAccount(const std::string& accountJson) const
{
    return Post("/_control/accounts", accountJson).ok();
}

bool SimServer::SetPositions(const std::string& family, const std::string& id, const std::string& positionsJson) const
{
    return Put(AccountPath(family, id) + "/positions", positionsJson).ok();
}

std::vector<SimPosition> SimServer::Positions(const std::string& family, const std::string& id) const
{
    std::vector<SimPosition> positions;
    for (const QJsonValue& item : JsonOf(Get(AccountPath(family, id) + "/positions")).array()) {
        const QJsonObject o = item.toObject();
        positions.push_back({o["id"].toInteger(), o["ticket"].toString().toStdString(),
                             o["pair"].toString().toStdString(), o["side"].toString() == "buy", o["lots"].toInt(),
                             o["rate"].toDouble()});
    }
    return positions;
}

std::map<std::string, int> SimServer::NetLots(const std::string& family, const std::string& id) const
{
    std::map<std::string, int> net;
    const QJsonObject o = JsonOf(Get(AccountPath(family, id) + "/net")).object();
    for (auto it = o.begin(); it != o.end(); ++it)
        net[it.key().toStdString()] = it.value().toInt();
    return net;
}

SimFigures SimServer::Figures(const std::string& family, const std::string& id) const
{
    const QJsonObject figures = JsonOf(Get(AccountPath(family, id))).object()["figures"].toObject();
    return {figures["deposit"].toDouble(), figures["valuation"].toDouble()};
}

int SimServer::ExecutionCount(const std::string& family, const std::string& id) const
{
    return JsonOf(Get(AccountPath(family, id))).object()["executionCount"].toInt();
}

long long SimServer::Counter(const std::string& name) const
{
    return JsonOf(Get("/_control/stats")).object()["counters"].toObject()[QString::fromStdString(name)].toInteger();
}

bool SimServer::AddFault(const std::string& faultJson) const
{
    return Post("/_control/faults", faultJson).ok();
}

} // namespace testsupport
