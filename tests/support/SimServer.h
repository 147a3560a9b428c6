#pragma once
// A pellago-sim child process for tests: started from BinDir() on a free
// loopback port, ended with the object. Its control API is reached with
// plain HTTP calls that return the answer's status and body. It signs the
// files it publishes with the test update key (support/UpdateKeys.h), which
// this process and the programs it starts then trust.

#include <QProcess>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// One open position of the simulator's book.
struct SimPosition {
    long long id = 0;
    std::string ticket;
    std::string pair;
    bool buy = true;
    int lots = 0;
    double rate = 0;
};

struct SimFigures {
    double deposit = 0;
    double valuation = 0;
};

struct SimReply {
    int status = 0; // 0: no answer at all
    std::string body;
    bool ok() const { return status >= 200 && status < 300; }
};

class SimServer {
public:
    // stateFile empty: the simulator keeps its state in memory only.
    explicit SimServer(const std::string& stateFile = "");
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:PORT" + path.
    std::string Url(const std::string& path) const;

    SimReply Get(const std::string& path) const;
    SimReply Post(const std::string& path, const std::string& json) const;
    SimReply Put(const std::string& path, const std::string& json) const;
    SimReply Delete(const std::string& path) const;

    // --- The book, by family ("lionfx") and account id --------------------
    // account: the JSON of POST /_control/accounts.
    bool CreateAccount(const std::string& accountJson) const;
    // positions: a JSON array of {"pair","side","lots"[,"rate"]}.
    bool SetPositions(const std::string& family, const std::string& id, const std::string& positionsJson) const;
    std::vector<SimPosition> Positions(const std::string& family, const std::string& id) const;
    // Non-zero net lots per pair (positive long).
    std::map<std::string, int> NetLots(const std::string& family, const std::string& id) const;
    SimFigures Figures(const std::string& family, const std::string& id) const;
    int ExecutionCount(const std::string& family, const std::string& id) const;
    // A counter of /_control/stats ("orders/lionfx", "pages/lionfx", ...).
    long long Counter(const std::string& name) const;
    // fault: the JSON of POST /_control/faults.
    bool AddFault(const std::string& faultJson) const;

    // Ends the process at once (as a crash would) and waits for it.
    void Kill();

private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
};

} // namespace testsupport
