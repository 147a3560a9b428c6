// `pellago --status` on program folders left by a successful run, a failed
// run with a retry pending, a folder idle for days, and one not set up: the
// text, the JSON keys and the monitoring exit code.

#include "app/ProcessState.h"
#include "app/StatusOutput.h"
#include "support/StatusFolder.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>

namespace {

using statusfolder::LogLine;
using testsupport::MakeDateTime;

const std::string kStart = "■ 自動売買を実行します";
const std::string kSuccess = "■ 自動売買は正常に終了しました";
const std::string kMismatch = "[重要] アカウントのポジションに不一致があります。再実行推奨です";
const std::string kRetry = "■ 今回、自動売買が不完全な形で終了したため、3分後に再実行します";

struct Case {
    const char* name;
    DateTime now;
    statusfolder::RunState state;
    StatusCode code;
    std::vector<std::string> textParts;
    std::string lastSuccess; // "" for null
    std::string nextRun;     // "" for null
    std::size_t errorCount;
};

statusfolder::RunState Run(std::string latestTrade, std::string retryCount, std::vector<LogLine> log)
{
    return {true, true, std::move(latestTrade), std::move(retryCount), std::move(log)};
}

std::vector<Case> Cases()
{
    const DateTime friday = MakeDateTime(2024, 1, 5, 12, 0);
    return {
        {"succeeded", friday,
         Run("1", "0", {{MakeDateTime(2024, 1, 5, 7, 0), kStart}, {MakeDateTime(2024, 1, 5, 7, 5), kSuccess}}),
         StatusCode::Ok,
         {"結果 : 正常に終了しました", "最後に正常終了 : 2024/01/05 7:05:00", "USDJPY … シグナル Buy 10 lot / 保有 Sell 3 lot"},
         "2024/01/05 7:05:00", "", 0},
        {"failed, retry pending", friday,
         Run("0", "1",
             {{MakeDateTime(2024, 1, 4, 7, 5), kSuccess}, {MakeDateTime(2024, 1, 5, 7, 0), kStart},
              {MakeDateTime(2024, 1, 5, 7, 4), "[LionFX] Error! ログインに失敗しました"},
              {MakeDateTime(2024, 1, 5, 7, 5), kMismatch}, {MakeDateTime(2024, 1, 5, 7, 5), kRetry}}),
         StatusCode::RunFailed,
         {"結果 : 正常に終了できませんでした (再実行待ち)", "次回の再実行 : 2024/01/05 7:08:00",
          "エラー : 2024/01/05 7:05:00 " + kMismatch},
         "2024/01/04 7:05:00", "2024/01/05 7:08:00", 2},
        {"stale for two market days", friday,
         Run("1", "0", {{MakeDateTime(2024, 1, 3, 7, 5), kSuccess}}), StatusCode::Stale,
         {"最後に正常終了 : 2024/01/03 7:05:00"}, "2024/01/03 7:05:00", "", 0},
        {"a weekend is not stale", MakeDateTime(2024, 1, 8, 6, 0),
         Run("1", "0", {{MakeDateTime(2024, 1, 5, 7, 5), kSuccess}}), StatusCode::Ok, {}, "2024/01/05 7:05:00", "", 0},
        {"no terms accepted", friday, {false, true, "1", "0", {{MakeDateTime(2024, 1, 5, 7, 5), kSuccess}}},
         StatusCode::NotSetUp, {"ソフトウェア使用許諾に同意していません"}, "2024/01/05 7:05:00", "", 0},
        {"no account", friday, {true, false, "1", "0", {}}, StatusCode::NotSetUp,
         {"口座が登録されていません", "結果 : 記録がありません", "最後に正常終了 : 記録がありません"}, "", "", 0},
    };
}

std::string Stem() { return std::filesystem::path(SettingsIniPath()).filename().string(); }

TEST(StatusReport, FoldersAfterRuns)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        testsupport::ScratchDir dir;
        testsupport::PinnedClock clock(c.now.year, c.now.month, c.now.day, c.now.hour, c.now.minute);
        SetProgramFolder(dir.path());
        statusfolder::WriteFolder(dir.path(), Stem(), c.state);

        const StatusReport report = ReadStatusReport();
        EXPECT_EQ(StatusCodeOf(report), c.code);
        const std::string text = StatusText(report);
        EXPECT_NE(text.find("プログラムフォルダ : " + dir.path()), std::string::npos) << text;
        EXPECT_NE(text.find("送信待ち : 1通"), std::string::npos) << text;
        EXPECT_NE(text.find("最後のメール : 2024/01/05 7:05:00 Pellago 自動売買レポート"), std::string::npos) << text;
        for (const std::string& part : c.textParts)
            EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;

        const nlohmann::json json = nlohmann::json::parse(StatusJson(report));
        std::set<std::string> keys;
        for (const auto& [key, value] : json.items())
            keys.insert(key);
        EXPECT_EQ(keys, (std::set<std::string>{"version", "folder", "termsAccepted", "lastRun", "signalFile",
                                               "latestUpdate", "accounts", "mail", "exitCode"}));
        EXPECT_EQ(json["exitCode"], static_cast<int>(c.code));
        const nlohmann::json& run = json["lastRun"];
        EXPECT_EQ(run["lastSuccess"], c.lastSuccess.empty() ? nlohmann::json() : nlohmann::json(c.lastSuccess));
        EXPECT_EQ(run["nextRun"], c.nextRun.empty() ? nlohmann::json() : nlohmann::json(c.nextRun));
        EXPECT_EQ(run["errors"].size(), c.errorCount);
        EXPECT_EQ(json["signalFile"], "AutoTrade/SignalLog/2024/0105.xml");
        EXPECT_EQ(json["mail"]["queued"], 1);
        if (c.state.withAccount) {
            const nlohmann::json& position = json["accounts"][0]["positions"][0];
            EXPECT_EQ(position["pair"], "USDJPY");
            EXPECT_EQ(position["target"], 10);
            EXPECT_EQ(position["held"], -3);
        }
    }
}

} // namespace
