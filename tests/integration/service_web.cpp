// Signal reception from the web host, the template fetch with the helper
// list, and the downloads, against pellago-sim; the proxy option against a
// forward proxy on loopback.

#include "ServiceKit.h"

#include "app/Download.h"
#include "app/SignalFiles.h"
#include "app/SignalReception.h"
#include "app/TemplateFetch.h"
#include "base/TextCodec.h"
#include "support/SimServer.h"

#include <algorithm>
#include <filesystem>

using servicekit::LogDump;
using servicekit::Logged;
using servicekit::LoggedLine;

namespace {

std::string SignalXml(const std::string& fileName, const std::string& extra = "")
{
    return "<Signal>\n<FileName>" + fileName + "</FileName>\n<HoldPositionSummary><USDJPY>"
           "<Breakout UseSystemCount=\"3\" PositionCount=\"1\"/></USDJPY></HoldPositionSummary>" + extra +
           "\n</Signal>\n";
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
        if (entry.is_regular_file())
            names.push_back(std::filesystem::relative(entry.path(), folder).string());
    return names;
}

} // namespace

class ServiceWeb : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Running());
        folder.PointServiceAt(sim.Url(""));
        signalFolder = SignalFolderFor(Now());
        std::filesystem::create_directories(signalFolder);
    }

    void PublishDemoSignal(const std::string& body) { ASSERT_TRUE(sim.Post("/_control/service/demo_signal", body).ok()); }

    testsupport::SimServer sim;
    servicekit::ProgramFolder folder;
    std::string signalFolder;
};

TEST_F(ServiceWeb, DemoSignalIsStoredOnceAndRepeatsCollapse)
{
    std::string status;
    std::vector<std::string> brokers;
    ServiceHooks hooks;
    hooks.setStatusText = [&](const std::string& text) { status = text; };
    hooks.templateFetched = [&](const std::vector<std::string>& names) { brokers = names; };
    SetServiceHooks(hooks);
    PublishDemoSignal(SignalXml("0105.xml"));
    ServiceSettings demo;
    demo.demoMode = true;

    ASSERT_TRUE(CheckSignal(demo)) << LogDump();
    EXPECT_EQ(folder.Read(signalFolder.substr(folder.Path("").size()) + "0105.xml"),
              WithCrLfLineEnds(SignalXml("0105.xml")));
    EXPECT_TRUE(LoggedLine("■ 新しいシグナルを受信しました // DemoSignal"));
    EXPECT_TRUE(LoggedLine("シグナルチェックを正常に終えました"));
    EXPECT_NE(status.find(" // ■ 新しいシグナルを受信しました // DemoSignal"), std::string::npos);
    // A new signal refreshes the template (and creates the account document)
    // and runs the version check.
    EXPECT_TRUE(folder.Exists("Setting/AccountTemplate.xml"));
    EXPECT_TRUE(folder.Exists("Setting/Account.xml"));
    EXPECT_EQ(brokers, (std::vector<std::string>{"LionFX", "外為オンライン", "FXブロードネット", "コスモ"}));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] お使いのPellago ver. 1.0271 は最新のversionです"));
    EXPECT_FALSE(SignalCheckBusy);

    EXPECT_FALSE(CheckSignal(demo));
    EXPECT_FALSE(CheckSignal(demo));
    const std::string repeat = "シグナルチェックを正常に終えました。新しいシグナルはありません // DemoSignal";
    int lines = 0;
    for (const auto& line : Logged())
        lines += line.find(repeat) != std::string::npos;
    EXPECT_EQ(lines, 1) << LogDump();
    EXPECT_NE(ActivityMemo().lines().back().find(" ～ "), std::string::npos);
}

TEST_F(ServiceWeb, WebRouteFollowsTheReferenceOfTheSubscriber)
{
    ASSERT_TRUE(sim.Put("/_control/service/signals/0107.xml", SignalXml("0107.xml")).ok());
    ASSERT_TRUE(sim.Post("/_control/service/subscribers",
                         R"({"id":"user1","password":"p@ss","signal":"0107.xml"})").ok());
    ServiceSettings web;
    web.webRoute = true;
    web.loginId = "user1";
    web.password = web.passwordConfirm = "p@ss";

    EXPECT_TRUE(CheckSignal(web)) << LogDump();
    EXPECT_TRUE(std::filesystem::exists(signalFolder + "0107.xml"));
    // The same file again is rewritten but not new.
    EXPECT_FALSE(CheckSignal(web));
    EXPECT_TRUE(LoggedLine("シグナルチェックを正常に終えました。新しいシグナルはありません"));

    EXPECT_EQ(SignalLoginTest(web), "ログインに成功しました");
    web.password = web.passwordConfirm = "wrong";
    EXPECT_EQ(SignalLoginTest(web), "Error! シグナルサーバーに繋がりません。\r\nユーザーネーム、パスワードを再確認してください");
    EXPECT_EQ(folder.messages.back(), "Error! シグナルサーバーに繋がりません。\r\nユーザーネーム、パスワードを再確認してください");
}

TEST_F(ServiceWeb, ManualReceiveAsksWhetherToTradeNow)
{
    bool answer = true;
    ServiceHooks hooks;
    hooks.askOkCancel = [&](const std::string& caption, const std::string& text) {
        EXPECT_EQ(caption, "確認");
        EXPECT_EQ(text, "■ 新しいシグナルを受信しました。\r\n引き続き自動売買を行いますか?");
        return answer;
    };
    SetServiceHooks(hooks);
    ServiceSettings demo;
    demo.demoMode = true;
    int forced = 0;

    PublishDemoSignal(SignalXml("0401.xml"));
    EXPECT_TRUE(ReceiveSignalByHand(demo, [&] { ++forced; }));
    EXPECT_EQ(forced, 1);
    EXPECT_TRUE(LoggedLine("シグナル受信中..."));

    answer = false;
    PublishDemoSignal(SignalXml("0402.xml"));
    EXPECT_TRUE(ReceiveSignalByHand(demo, [&] { ++forced; }));
    EXPECT_EQ(forced, 1);
    EXPECT_EQ(folder.messages.back(), "後ほど、「強制的に自動売買を実行」を行ってください。\r\n"
                                      "行わない場合、次回シグナルを受信した時にまとめて自動売買を行います");

    EXPECT_FALSE(ReceiveSignalByHand(demo, [&] { ++forced; })); // nothing new: no question
    EXPECT_EQ(forced, 1);
}

TEST_F(ServiceWeb, BadAnswersFailTheCheckAndWriteNothing)
{
    struct Case {
        std::string name;
        std::string fault; // JSON of a fault on /demo_signal.xml, or ""
        std::string body;  // the demo signal published
    };
    const std::vector<Case> cases = {
        {"HTTP 500", R"({"path":"/demo_signal.xml","status":500})", SignalXml("0201.xml")},
        {"redirect loop", R"({"path":"/demo_signal.xml","redirectLoop":true})", SignalXml("0202.xml")},
        {"not XML", "", "this is no signal"},
        {"no FileName", "", "<Signal><HoldPositionSummary/></Signal>"},
        {"path in FileName", "", SignalXml("../../../escape.xml")},
        {"absolute FileName", "", SignalXml("/tmp/escape.xml")},
    };
    ServiceSettings demo;
    demo.demoMode = true;
    for (const auto& c : cases) {
        ActivityMemo().clear();
        ASSERT_TRUE(sim.Delete("/_control/service/faults/demo_signal.xml").ok());
        if (!c.fault.empty())
            ASSERT_TRUE(sim.Post("/_control/service/faults", c.fault).ok());
        PublishDemoSignal(c.body);
        EXPECT_FALSE(CheckSignal(demo)) << c.name;
        EXPECT_TRUE(LoggedLine("シグナルチェック時に異常が発生しました。")) << c.name << LogDump();
        EXPECT_EQ(FilesIn(folder.Path("AutoTrade")), std::vector<std::string>{}) << c.name;
        EXPECT_FALSE(std::filesystem::exists("/tmp/escape.xml")) << c.name;
    }
}

TEST_F(ServiceWeb, SignalWithDeclarationAndShiftJisIsStoredAsReceived)
{
    std::string body = Utf8ToCp932("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n" +
                                   SignalXml("0301.xml", "<Comment>日本語</Comment>"));
    PublishDemoSignal(body);
    SignalFetch fetch = FetchSignalDocument(signalFolder, sim.Url("/demo_signal.xml"), false);
    EXPECT_TRUE(fetch.ok);
    EXPECT_TRUE(fetch.isNew);
    EXPECT_EQ(testsupport::ReadFileBytes(signalFolder + "0301.xml"), WithCrLfLineEnds(body));
}

TEST_F(ServiceWeb, TemplateFetchKeepsHelpersCurrentAndRefusesBadTemplates)
{
    ASSERT_TRUE(sim.Put("/_control/service/files/Bin/ReExe.exe", "helper version 1").ok());
    ASSERT_TRUE(FetchAccountTemplate()) << LogDump();
    EXPECT_EQ(folder.Read("Bin/ReExe.exe"), "helper version 1");
    auto perms = std::filesystem::status(folder.Path("Bin/ReExe.exe")).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
    EXPECT_TRUE(LoggedLine("[Bin] ReExe.exe がローカルに存在しないためダウンロードします"));
    EXPECT_TRUE(LoggedLine("[Bin] ReExe.exe の置換に成功"));
    EXPECT_TRUE(LoggedLine("取得に成功しました"));
    EXPECT_NE(folder.Read("Setting/Account.xml").find("Breakout"), std::string::npos);

    // The signed hash decides: the same content is kept, another is fetched.
    ActivityMemo().clear();
    ASSERT_TRUE(FetchAccountTemplate());
    EXPECT_TRUE(LoggedLine("[Bin] お使いの ReExe.exe は最新のファイルです"));
    ASSERT_TRUE(sim.Put("/_control/service/files/Bin/ReExe.exe", "helper version 2!").ok());
    ASSERT_TRUE(FetchAccountTemplate());
    EXPECT_TRUE(LoggedLine("[Bin] 新しいReExe.exe が公開されているため更新します"));
    EXPECT_EQ(folder.Read("Bin/ReExe.exe"), "helper version 2!");

    const std::string kept = folder.Read("Setting/AccountTemplate.xml");
    const std::string failed = "Webから業者リスト/ポートフォリオリストを取得しようとしましたが失敗しました。";
    ASSERT_TRUE(sim.Put("/_control/service/account_template", "<broken").ok());
    ActivityMemo().clear();
    EXPECT_FALSE(FetchAccountTemplate());
    EXPECT_TRUE(LoggedLine(failed));
    ASSERT_TRUE(sim.Delete("/_control/service/account_template").ok());
    ASSERT_TRUE(sim.Post("/_control/service/faults", R"({"path":"/account_template.xml","status":500})").ok());
    ActivityMemo().clear();
    EXPECT_FALSE(FetchAccountTemplate());
    EXPECT_TRUE(LoggedLine(failed));
    EXPECT_EQ(folder.Read("Setting/AccountTemplate.xml"), kept);
}

TEST_F(ServiceWeb, FailedDownloadLeavesTheOldFileWhole)
{
    folder.Write("Bin/Pellago.bin", "old program");
    EXPECT_FALSE(DownloadToFile(sim.Url("/files/Pellago.bin"), folder.Path("Bin/Pellago.bin"))); // 404
    ASSERT_TRUE(sim.Put("/_control/service/files/Pellago.bin", "new program").ok());
    ASSERT_TRUE(sim.Post("/_control/service/faults", R"({"path":"/files/Pellago.bin","redirectLoop":true})").ok());
    EXPECT_FALSE(DownloadToFile(sim.Url("/files/Pellago.bin"), folder.Path("Bin/Pellago.bin")));
    EXPECT_EQ(folder.Read("Bin/Pellago.bin"), "old program");
    ASSERT_TRUE(sim.Delete("/_control/service/faults/files/Pellago.bin").ok());
    EXPECT_TRUE(DownloadToFile(sim.Url("/files/Pellago.bin"), folder.Path("Bin/Pellago.bin")));
    EXPECT_EQ(folder.Read("Bin/Pellago.bin"), "new program");
    EXPECT_EQ(FilesIn(folder.Path("Bin")), std::vector<std::string>{"Pellago.bin"}); // no temporary left
}

TEST_F(ServiceWeb, ProxyOptionRoutesEveryDownload)
{
    const std::string proxyLog = folder.Path("proxy.log");
    servicekit::ScriptPeer proxy(folder.Path("proxy.py"), servicekit::kProxyScript, {proxyLog});
    ASSERT_GT(proxy.Port(), 0);
    ASSERT_TRUE(sim.Put("/_control/service/files/Pellago.bin", "program").ok());
    TProxySetting setting{true, "127.0.0.1:" + std::to_string(proxy.Port())};
    SetProxySettingProvider([&] { return setting; });

    std::string text;
    EXPECT_TRUE(FetchText(sim.Url("/demo_signal.xml"), text));
    EXPECT_NE(text.find("<FileName>"), std::string::npos);
    EXPECT_TRUE(DownloadToFile(sim.Url("/files/Pellago.bin"), folder.Path("Bin/Pellago.bin")));
    EXPECT_FALSE(FetchText(sim.Url("/files/missing"), text)); // the proxy passes the 404 on
    EXPECT_EQ(folder.Read("proxy.log"), sim.Url("/demo_signal.xml") + "\n" + sim.Url("/files/Pellago.bin") + "\n" +
                                            sim.Url("/files/missing") + "\n");

    setting.UseProxy = false;
    EXPECT_TRUE(FetchText(sim.Url("/demo_signal.xml"), text));
    const std::string seen = folder.Read("proxy.log");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), '\n'), 3);
}
