// The real `pellago --status` on program folders written from files: it
// answers without a window or a running program, in text and in JSON, with
// the monitoring exit code.

#include "support/StatusFolder.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>

namespace {

struct StatusRun {
    int exitCode = -1;
    std::string output;
};

StatusRun RunStatus(const std::string& home, const QStringList& extra)
{
    QProcess process;
    process.start(QString::fromStdString(testsupport::BinDir() + "pellago"),
                  QStringList{"--status", "--home", QString::fromStdString(home)} + extra);
    if (!process.waitForFinished(30000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString()};
}

TEST(StatusCommand, AnswersFromTheFolderAlone)
{
    using namespace std::chrono;
    const DateTime started = ToLocal(NowPoint() - minutes(65));
    const DateTime succeeded = ToLocal(NowPoint() - minutes(60));
    statusfolder::RunState state;
    state.log = {{started, "■ 自動売買を実行します"}, {succeeded, "■ 自動売買は正常に終了しました"}};
    if (started.month != succeeded.month)
        state.log.erase(state.log.begin()); // one log file a month

    testsupport::ScratchDir ready;
    statusfolder::WriteFolder(ready.path(), "pellago.ini", state);
    const StatusRun json = RunStatus(ready.path(), {"--json"});
    ASSERT_EQ(json.exitCode, 0) << json.output;
    const nlohmann::json report = nlohmann::json::parse(json.output);
    EXPECT_EQ(report["exitCode"], 0);
    EXPECT_EQ(report["lastRun"]["lastSuccess"], FormatTimeStamp(succeeded));
    EXPECT_EQ(report["accounts"][0]["positions"][0]["target"], 10);

    testsupport::ScratchDir unlicensed;
    state.licensed = false;
    statusfolder::WriteFolder(unlicensed.path(), "pellago.ini", state);
    const StatusRun text = RunStatus(unlicensed.path(), {});
    EXPECT_EQ(text.exitCode, 3) << text.output;
    EXPECT_NE(text.output.find("ソフトウェア使用許諾に同意していません"), std::string::npos) << text.output;
}

} // namespace
