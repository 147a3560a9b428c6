// The report mail of a trade run: its sections from the run's log and the
// documents, the files it leaves (queue, mail log, run record), and which
// mail of the mail log counts as the latest.

#include "app/ProcessState.h"
#include "reporting/LatestMail.h"
#include "reporting/MailQueue.h"
#include "reporting/ReportLists.h"
#include "reporting/ReportMail.h"
#include "support/ScratchProgram.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

namespace {

// A yen account of 1,000,000 with leverage 2 on USDJPY/Breakout, 1000
// units a lot, holding 10 lots long at 150.25 from the last check.
const char* const kAccounts = R"(<root>
  <AccountSummary><Today><Balance>1000000</Balance><BalancePL>1234567</BalancePL><PL>-50000</PL></Today></AccountSummary>
  <Portfolio><Group Name="USDJPY"><Item Name="Breakout" RealModel="1" DemoModel="1"><UN77 Visible="False">2</UN77></Item></Group></Portfolio>
  <Accounts><Account Name="LionFX口座">
    <AccountBaseCurrency>JPY</AccountBaseCurrency><AccountBaseUnitSize>1000</AccountBaseUnitSize><MinLotSize>1</MinLotSize>
    <AutoModelCase>False</AutoModelCase><VirtualBalanceMode>False</VirtualBalanceMode>
    <Today><Balance>1000000</Balance><BalancePL>1234567</BalancePL><PL>234567</PL></Today>
    <Status><HoldPosition LatestDateTime="2024/11/05 7:03:12"><Summary><USDJPY><OpenRate>150.25</OpenRate><Trend>Buy</Trend><Units>10</Units></USDJPY><EURJPY/></Summary>
      <Currency><Other/><USDJPY><Position><OpenRate>150.25</OpenRate><Trend>Buy</Trend><Units>10</Units></Position></USDJPY><EURJPY/></Currency></HoldPosition></Status>
    <UniqueNumber Visible="False">77</UniqueNumber>
  </Account></Accounts></root>)";

const char* const kSignal = R"(<Signal><HoldPositionSummary>
  <USDJPY><Breakout UseSystemCount="2" PositionCount="1"/></USDJPY><EURJPY><Swing UseSystemCount="3" PositionCount="0"/></EURJPY>
</HoldPositionSummary></Signal>)";

const std::vector<std::string> kTradeLog = {"[2024/11/05 7:03:12]　[重要] 自動売買は正常に終了しました", "Error! x"};

class ReportMail : public ::testing::Test {
protected:
    void SetUp() override
    {
        program.Write("Setting/Account.xml", kAccounts);
        program.Write("AutoTrade/SignalLog/2024/1105.xml", kSignal);
        sources = {program.Path("Setting/Account.xml"), program.Path("AutoTrade/SignalLog/2024/1105.xml"), false};
    }

    testsupport::ScratchProgramFolder program;
    TReportSources sources;
};

TEST_F(ReportMail, SectionsCarryTheImportantLinesTheErrorsAndThePositions)
{
    const TReportSections sections = BuildReportSections(kTradeLog, TReportOptions{}, sources);
    EXPECT_EQ(sections.ImportantLog, "■ 重要なログ抽出結果\r\n\r\n[重要] 自動売買は正常に終了しました\r\n");
    EXPECT_EQ(sections.ErrorTotal, "■ エラー総数\r\n\r\nerrorは1個です\r\n[1] Error! x\r\n");
    EXPECT_EQ(sections.Lines.back(), "■ERROR■Error! x");
    EXPECT_EQ(sections.AccountStatus, "■ 口座状況(総合)\r\n\r\n[評価資産] 123万4567円\r\n[含み益] -5万0円\r\n\r\n"
                                      "■ 各口座状況\r\n\r\n[LionFX口座] 123万4567円\r\n");
    EXPECT_EQ(sections.SignalList, "■ シグナル一覧\r\n\r\n[USDJPY] Breakout … Buy 0.5 倍\r\n[EURJPY] Swing … ノーポジション\r\n");
    // 1,000,000 x (1/2 x 2) / 100 = 10000 units, 10 lots of 1000.
    EXPECT_EQ(sections.SignalPositions,
              "■ シグナルポジション一覧 (適用シグナル 1105.xml)\r\n\r\n[LionFX口座] 2024/11/05 7:03:12\r\n"
              "USDJPY　…　Buy 10 lot (signal : 100万0円 x 1 = 10000 Units)\r\n"
              "USDJPY　…　Buy 10 lot　(server : 平均 150.25 で保有中)\r\n"
              "EURJPY　…　ノーポジション (signal : 100万0円 x 0 = 0 Units)\r\nEURJPY　…　ノーポジション\r\n");
    EXPECT_EQ(sections.AllPositions, "■全ポジション一覧\r\n\r\n[LionFX口座]\r\nUSDJPY 150.25 Buy , 10\r\n\r\n");
}

TEST_F(ReportMail, WithoutAccountsOrSignalTheListsSaySo)
{
    program.Write("Setting/Account.xml", "<root><AccountSummary/><Portfolio/><Accounts/></root>");
    sources.SignalPath.clear();
    const TReportSections sections = BuildReportSections({}, TReportOptions{}, sources);
    EXPECT_TRUE(sections.AccountStatus.ends_with("■ 各口座状況\r\n\r\n")) << sections.AccountStatus;
    EXPECT_EQ(sections.SignalPositions, "■ シグナルポジション一覧 (適用シグナル )\r\nまだ自動売買を一度も実行しておりません");
    EXPECT_EQ(sections.SignalList, "■ シグナル一覧\r\n\r\nまだシグナルを一度も受信しておりません");
    EXPECT_EQ(sections.AllPositions, "■全ポジション一覧\r\n\r\n口座がまだ登録されておりません");
}

TEST_F(ReportMail, ComposingWritesTheQueueTheMailLogAndTheRunRecord)
{
    testsupport::PinnedClock clock(2024, 11, 5, 7, 3, 12);
    TReportOptions options;
    options.WholeLog = true;
    const std::string queued = ComposeReportMail(kTradeLog, options, sources, MailQueueBusy);
    ASSERT_FALSE(queued.empty());
    EXPECT_FALSE(MailQueueBusy);
    const std::string name = "2024年11月5日7時3分12.0秒のログ.log";
    EXPECT_EQ(queued, MailTempFolder() + name);
    EXPECT_EQ(program.Read("MailLog/" + name), program.Read("MailTemp/" + name));

    std::string subject;
    std::string body;
    ASSERT_TRUE(LoadMailFile(queued, subject, body));
    EXPECT_EQ(subject, "11月5日の自動売買ログ");
    EXPECT_TRUE(body.starts_with("■ エラー総数\r\n")) << body;
    EXPECT_TRUE(body.ends_with("■ すべてのログ\r\n\r\n" + kTradeLog[0] + "\r\n■ERROR■Error! x\r\n\r\n")) << body;
    std::string runRecord;
    ASSERT_TRUE(LoadTextFile(program.Path("AutoTradeLog.Log"), runRecord));
    EXPECT_TRUE(runRecord.starts_with("■ エラー総数\r\n")) << runRecord;
    EXPECT_TRUE(runRecord.ends_with("抽出結果\r\n\r\n[重要] 自動売買は正常に終了しました\r\n\r\n" + kTradeLog[0] +
                                    "\r\n■ERROR■Error! x\r\n"))
        << runRecord;

    // Every section off: the subject alone.
    const TReportOptions none{false, false, false, false, false, false, false};
    EXPECT_EQ(ReportMailText(BuildReportSections(kTradeLog, none, sources), none, "件名"), "件名\r\n");
}

TEST_F(ReportMail, TheLatestMailIsTheLastWrittenNotTheLastInTextOrder)
{
    testsupport::PinnedClock clock(2024, 11, 10, 9, 0, 0);
    EXPECT_EQ(LatestMailLogFile(), "");
    program.Write("MailLog/2024年11月5日7時3分12.345秒のログ.log", "a\r\n件名\r\n");
    program.Write("MailLog/2024年11月10日8時0分0.0秒のログ.log", "b\r\n件名\r\n");
    EXPECT_EQ(LatestMailLogFile(), program.Path("MailLog/2024年11月10日8時0分0.0秒のログ.log"));

    const std::string eml = WriteTempMailEml(LatestMailLogFile(), "a@example.test", false);
    const std::string text = program.Read("TempMail.eml");
    EXPECT_EQ(eml, program.Path("TempMail.eml"));
    EXPECT_NE(text.find("Date: Sun, 10 Nov 2024 08:00:00 +0000\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Subject: =?ISO-2022-JP?B?"), std::string::npos) << text;
    EXPECT_NE(text.find("charset=ISO-2022-JP"), std::string::npos) << text;
}

} // namespace
