#pragma once
// Shared set-up of the service integration tests: a scratch program folder
// wired to the Qt event loop, the activity memo read back, and small
// loopback peers started as child processes (a forward proxy, a POP3 server
// that drops the connection) from Python scripts the tests write.

#include "base/AkUnit.h"
#include "support/ScratchProgram.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace servicekit {

using testsupport::LogDump;
using testsupport::Logged;
using testsupport::LoggedLine;

// The scratch program folder, with waits pumping the Qt event loop.
class ProgramFolder : public testsupport::ScratchProgramFolder {
public:
    ProgramFolder()
    {
        std::filesystem::create_directories(Path("AutoTrade/SignalLog"));
        SetMessagePump([] { QCoreApplication::processEvents(); });
    }
    ~ProgramFolder() { SetMessagePump(nullptr); }

    void PointServiceAt(const std::string& webBase, int mailPort = 9) const
    {
        Write("service.conf", "web_base = " + webBase + "\nmail_host = 127.0.0.1\nmail_port = " +
                                  std::to_string(mailPort) + "\nmailbox_suffix = _signal@pellago.example\n");
    }
};

// A Python script run as a child process that prints its port first.
class ScriptPeer {
public:
    ScriptPeer(const std::string& scriptPath, const std::string& script, const std::vector<std::string>& args)
    {
        testsupport::WriteFileBytes(scriptPath, script);
        QStringList arguments{QString::fromStdString(scriptPath)};
        for (const auto& arg : args)
            arguments << QString::fromStdString(arg);
        process_ = std::make_unique<QProcess>();
        process_->start("python3", arguments);
        testsupport::WaitUntil([&] { return process_->canReadLine() || process_->state() == QProcess::NotRunning; },
                               10000);
        port_ = process_->readLine().trimmed().toInt();
    }
    ~ScriptPeer()
    {
        process_->kill();
        process_->waitForFinished(3000);
    }
    int Port() const { return port_; }

private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
};

// A forward HTTP proxy that writes each requested URL, one per line, to a log file.
inline const char* const kProxyScript = R"PY(
import sys, urllib.request, urllib.error
from http.server import ThreadingHTTPServer, BaseHTTPRequestHandler
log = sys.argv[1]
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
class Proxy(BaseHTTPRequestHandler):
    def do_GET(self):
        with open(log, "a") as f:
            f.write(self.path + "\n")
        try:
            with opener.open(self.path, timeout=10) as answer:
                status, body = answer.status, answer.read()
        except urllib.error.HTTPError as error:
            status, body = error.code, error.read()
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = ThreadingHTTPServer(("127.0.0.1", 0), Proxy)
print(server.server_address[1], flush=True)
server.serve_forever()
)PY";

// A POP3 server with two waiting messages that hangs up in the middle of
// sending the newest one.
inline const char* const kDroppingPop3Script = R"PY(
import socket
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(4)
print(listener.getsockname()[1], flush=True)
while True:
    conn, _ = listener.accept()
    f = conn.makefile("rb")
    conn.sendall(b"+OK ready\r\n")
    for raw in f:
        cmd = raw.strip().upper()
        if cmd.startswith(b"CAPA"):
            conn.sendall(b"+OK\r\nUSER\r\n.\r\n")
        elif cmd.startswith(b"USER") or cmd.startswith(b"PASS") or cmd.startswith(b"NOOP"):
            conn.sendall(b"+OK\r\n")
        elif cmd == b"LIST":
            conn.sendall(b"+OK 2 messages\r\n1 120\r\n2 120\r\n.\r\n")
        elif cmd.startswith(b"RETR"):
            conn.sendall(b"+OK\r\nSubject: 0110.xml\r\n\r\n<Signal><FileName>0110.xml</Fil")
            conn.shutdown(socket.SHUT_RDWR)
            break
        elif cmd.startswith(b"QUIT"):
            conn.sendall(b"+OK\r\n")
            break
        else:
            conn.sendall(b"-ERR\r\n")
    conn.close()
)PY";

} // namespace servicekit
