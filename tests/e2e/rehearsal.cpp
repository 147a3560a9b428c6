// `pellago --rehearse --headless --once` as a user runs it: the simulator
// starts beside the program, one trade at the three demo accounts reaches the
// targets the program computed, and the user's own program folder is left
// byte for byte as it was.

#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::ScratchDir;
using testsupport::WriteFileBytes;

namespace {

using Lots = std::map<std::string, int>; // pair -> lots, long positive

std::map<std::string, std::string> FolderContents(const std::string& folder)
{
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        contents[entry.path().string()] = entry.is_regular_file() ? ReadFileBytes(entry.path().string()) : "<dir>";
    return contents;
}

// The last computed target of each account and pair, zero targets left out
// as the simulator leaves out flat pairs.
std::map<std::string, Lots> Targets(const std::string& output)
{
    std::map<std::string, Lots> targets;
    const std::regex line(R"(\[([^\]]+)\] (\w+) SignalLots = (-?\d+) Lot)");
    for (std::sregex_iterator it(output.begin(), output.end(), line), end; it != end; ++it)
        targets[(*it)[1]][(*it)[2]] = std::stoi((*it)[3]);
    for (auto& [account, lots] : targets)
        std::erase_if(lots, [](const auto& entry) { return entry.second == 0; });
    return targets;
}

std::map<std::string, Lots> SimulatorPositions(const std::string& output)
{
    std::map<std::string, Lots> positions;
    const std::regex line(R"(リハーサル: \[([^\]]+)\] シミュレーターの建玉 (\{[^\n]*\}))");
    for (std::sregex_iterator it(output.begin(), output.end(), line), end; it != end; ++it) {
        const QJsonObject net = QJsonDocument::fromJson(QByteArray::fromStdString((*it)[2])).object();
        Lots& lots = positions[(*it)[1]];
        for (auto pair = net.begin(); pair != net.end(); ++pair)
            lots[pair.key().toStdString()] = pair.value().toInt();
    }
    return positions;
}

TEST(Rehearsal, TradesAtTheSimulatorAndLeavesTheUsersFolderAlone)
{
    ScratchDir scratch;
    const std::string user = scratch.file("user/");
    WriteFileBytes(user + "pellago.ini", "[Main]\r\nCheckBox10=0\r\nEdit3=smtp.example.jp\r\n");
    WriteFileBytes(user + "service.conf", "web_base = http://127.0.0.1:9\n");
    fs::create_directories(user + "Setting");
    WriteFileBytes(user + "Setting/Account.xml", "<root><Accounts/></root>");
    fs::create_directories(scratch.file("run"));
    const auto before = FolderContents(user);

    QProcess rehearsal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(scratch.path()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(scratch.file("run")));
    environment.insert("PELLAGO_HOME", QString::fromStdString(user));
    rehearsal.setProcessEnvironment(environment);
    rehearsal.start(QString::fromStdString(testsupport::BinDir() + "pellago"), {"--rehearse", "--headless", "--once"});
    ASSERT_TRUE(rehearsal.waitForFinished(300000));
    const std::string output = rehearsal.readAllStandardOutput().toStdString();

    EXPECT_EQ(rehearsal.exitCode(), 0) << output;
    const auto targets = Targets(output);
    EXPECT_EQ(targets.size(), 3u) << output;
    EXPECT_EQ(SimulatorPositions(output), targets) << output;
    EXPECT_NE(output.find("プログラムフォルダ " + scratch.file("run/pellago-rehearsal-")), std::string::npos) << output;
    EXPECT_EQ(FolderContents(user), before);
    EXPECT_NE(output.find(" - リハーサル (ペーパートレード)"), std::string::npos)
        << "the program does not say it is a rehearsal: " << output;
}

} // namespace
