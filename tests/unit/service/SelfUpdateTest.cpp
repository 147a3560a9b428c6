// The decisions of the update check, the start-up report after a hand-over,
// the helper list walk and the demo-mode rule, in a scratch program folder.
// Nothing here reaches the network: every path that would download stops
// before it or points at a closed loopback port.

#include "ServiceFixture.h"

#include "app/HelperFiles.h"
#include "app/IniFile.h"
#include "app/NoticeMail.h"
#include "app/SelfUpdate.h"
#include "app/SignalReception.h"
#include "base/TextCodec.h"
#include "support/UpdateKeys.h"

#include <pugixml.hpp>

using servicetest::ProgramFolderTest;
using testsupport::Logged;
using testsupport::LoggedLine;

namespace {

const char* const kClosedPort = "http://127.0.0.1:9/Pellago.bin";

std::string TemplateWithVersion(const std::string& version, const std::string& url = kClosedPort)
{
    return "<T><Accounts/><Pellago><Version>" + version + "</Version><URL>" + url + "</URL></Pellago></T>";
}

ServiceSettings Mode(int updateMode, bool mailReports)
{
    ServiceSettings s;
    s.updateMode = updateMode;
    s.mailReports = mailReports;
    s.autoTradeTimerEnabled = true;
    return s;
}

} // namespace

// Updates need a trusted key; the test key stands in for the build's.
class UpdateCheck : public ProgramFolderTest {
protected:
    void SetUp() override { testsupport::TestUpdateKey(); }
};

TEST_F(UpdateCheck, SameVersionIsLatestAndNothingIsDownloaded)
{
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.0271"));
    EXPECT_FALSE(CheckForUpdate(Mode(0, false), true, false));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] お使いのPellago ver. 1.0271 は最新のversionです"));
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/Pellago.bin")));
    EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "CheckVersion"), std::nullopt);
}

TEST_F(UpdateCheck, MissingOrUnusableVersionRecordIsReported)
{
    const std::string line =
        "[AutoUpdate] AccountTemplate.xml には、version情報かURLが記載されていないため、versionの確認が出来ません";
    for (const std::string& body : {std::string("<T><Accounts/></T>"), TemplateWithVersion(""),
                                    TemplateWithVersion("1.03", ""), TemplateWithVersion("new")}) {
        ActivityMemo().clear();
        Write("Setting/AccountTemplate.xml", body);
        EXPECT_FALSE(CheckForUpdate(Mode(0, false), false, true)) << body;
        EXPECT_TRUE(LoggedLine(line)) << body;
    }
}

TEST_F(UpdateCheck, ModeOneAnnouncesByMailOnEveryAutomaticCheck)
{
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.03"));
    EXPECT_FALSE(CheckForUpdate(Mode(1, true), true, false));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] お使いのPellagoより新しい1.03 が公開されています"));
    auto mails = QueuedMails();
    ASSERT_EQ(mails.size(), 1u);
    std::string text;
    ASSERT_TRUE(LoadTextFile(mails[0], text));
    EXPECT_EQ(text, "お使いのver. 1.0271 より新しい\r\nver. 1.03 が公開されました。\r\n====================\r\n"
                    "ユーザータブの「手動でアップデート」ボタンより\r\nいつでも、最新のver. 1.03 にアップデートできます\r\n"
                    "ぜひアップデートください\r\n新しいver. 1.03 が公開されました\r\n");
    // Stored in Shift-JIS.
    EXPECT_NE(Read(mails[0].substr(Path("").size())).find(Utf8ToCp932("ぜひ")), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/Pellago.bin")));
    EXPECT_FALSE(Replacing);
}

TEST_F(UpdateCheck, ModeOneWithoutMailLogsTheThreeErrorLines)
{
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.03"));
    EXPECT_FALSE(CheckForUpdate(Mode(1, false), true, false));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] ■Error！ ユーザー・タブの自動アップデート欄で「メール報告する」が選択されていますが"));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] メールを使用する設定に変更するか、自動アップデートの設定で「メール報告なし」を選択してください"));
    EXPECT_TRUE(QueuedMails().empty());
}

TEST_F(UpdateCheck, ModeTwoSkipsAutomaticChecksButNotManualOnes)
{
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.03"));
    EXPECT_FALSE(CheckForUpdate(Mode(2, false), true, false));
    EXPECT_EQ(Logged(), std::vector<std::string>{"[AutoUpdate] 自動アップデートのチェックは行いません"});

    // Manual: announced, marked pending, then the download fails (closed port).
    ActivityMemo().clear();
    EXPECT_FALSE(CheckForUpdate(Mode(2, false), false, true));
    EXPECT_TRUE(LoggedLine("新しいver. 1.03 にアップデートします"));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] 最新version 1.03 のダウンロードに失敗"));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] 今回は処理を中止し、次回実行時に再度アップデートを行います"));
    EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "CheckVersion"), "1");
    EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "BeforeVersion"), "1.0271");
    EXPECT_FALSE(Replacing);
}

TEST_F(UpdateCheck, NothingHappensDuringATradeRunOrWithoutTemplate)
{
    TradeRunning = true;
    EXPECT_FALSE(CheckForUpdate(Mode(0, false), false, true));
    EXPECT_TRUE(Logged().empty());
    TradeRunning = false;

    ServiceSettings manual = Mode(0, false);
    manual.autoTradeTimerEnabled = false;
    EXPECT_FALSE(CheckForUpdate(manual, false, true));
    EXPECT_EQ(messages, std::vector<std::string>{"まだシグナルを一度も取得していないため,アップデートの確認は行えません"});
    EXPECT_TRUE(LoggedLine("[AutoUpdate] まだシグナルを一度も取得していないため,アップデートの確認は行えません"));
}

TEST_F(UpdateCheck, StartupCheckSetsVersionCheckedUnlessItHandsOver)
{
    StartupVersionCheck(Mode(0, false));
    EXPECT_FALSE(VersionChecked); // terms not accepted
    TermsAccepted = true;
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.0271"));
    StartupVersionCheck(Mode(0, false));
    EXPECT_TRUE(LoggedLine("起動時versionチェックを行います"));
    EXPECT_TRUE(VersionChecked);
}

TEST_F(UpdateCheck, ReplacementTimeOutResumesTheCycle)
{
    Replacing = true;
    OnReplaceWaitTimeout();
    EXPECT_FALSE(Replacing);
    EXPECT_TRUE(VersionChecked);
    EXPECT_TRUE(LoggedLine("Updateはダウンロードまで成功しましたが、置き換えに失敗しました。"));
    EXPECT_TRUE(LoggedLine("次回シグナル受信時にまたリトライし、今回は通常の処理に戻ります"));
}

TEST_F(UpdateCheck, StartupReportsTheOutcomeOnce)
{
    struct Case {
        double running;
        bool mail;
        std::string subject;   // mail route
        std::string firstLine; // of the body
    };
    const std::vector<Case> cases = {
        {1.03, true, "ver. 1.03へのアップデートに成功", "Pellagoは、正常にver. 1.0271 から ver.1.03にアップデートしました"},
        {1.0271, true, "アップデートに失敗", "Pellagoはアップデートに失敗し、現在 ver.1.0271のままです"},
        {1.03, false, "", "Pellagoは、正常にver. 1.0271 から ver.1.03にアップデートしました"},
    };
    for (const auto& c : cases) {
        ActivityMemo().clear();
        for (const auto& file : QueuedMails())
            std::filesystem::remove(file);
        VersionChecked = false;
        MarkUpdatePending();
        EXPECT_TRUE(ReportUpdateOutcome(c.mail, c.running));
        EXPECT_TRUE(VersionChecked);
        EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "CheckVersion"), "0");
        EXPECT_TRUE(LoggedLine("今回はアップデート直後のため、起動時versionチェックをスルーします"));
        if (c.mail) {
            auto mails = QueuedMails();
            ASSERT_EQ(mails.size(), 1u);
            std::string text;
            ASSERT_TRUE(LoadTextFile(mails[0], text));
            EXPECT_EQ(text.rfind(c.firstLine, 0), 0u) << text;
            EXPECT_NE(text.find("\r\n" + c.subject + "\r\n"), std::string::npos) << text;
        } else {
            EXPECT_TRUE(LoggedLine(c.firstLine));
            EXPECT_TRUE(QueuedMails().empty());
        }
        EXPECT_FALSE(ReportUpdateOutcome(c.mail, c.running)); // reported once
    }
}

TEST_F(UpdateCheck, RolledBackVersionIsSkippedUntilANewerOneIsAnnounced)
{
    WriteIniString(SettingsIniPath(), "AutoUpdate", "PendingVersion", "1.04");
    MarkUpdatePending();
    Write("Bin/update-rolled-back", "");
    EXPECT_TRUE(ReportUpdateOutcome(false));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] 新しいver. 1.04 が起動しなかったため、replace.exe が元のプログラムに戻しました"));
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/update-rolled-back")));

    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.04"));
    EXPECT_FALSE(CheckForUpdate(Mode(0, false), true, false));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] ver. 1.04 は以前のアップデートで起動できなかったため、アップデートしません"));
    EXPECT_FALSE(LoggedLine("[AutoUpdate] 最新version 1.04 のダウンロードに失敗"));
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.05"));
    EXPECT_FALSE(CheckForUpdate(Mode(0, false), true, false));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] 最新version 1.05 のダウンロードに失敗")); // tried: closed port
}

TEST_F(ProgramFolderTest, NoticeMailsNeverShareAFileAndRunTheSender)
{
    int passes = 0;
    SetMailSenderPass([&] { ++passes; EXPECT_FALSE(MailQueueBusy); });
    std::string first = QueueNoticeMail("件名1", "本文");
    std::string second = QueueNoticeMail("件名2", "本文");
    SetMailSenderPass(nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(QueuedMails().size(), 2u);
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(first.rfind(Path("MailTemp/"), 0), 0u);
    EXPECT_EQ(first.substr(first.size() - 4), ".log");
}

TEST_F(ProgramFolderTest, HelperWhoseSignatureCannotBeReadIsNeitherKeptAsCurrentNorFetched)
{
    testsupport::TestUpdateKey();
    Write("Bin/ReExe.exe", "12345");
    pugi::xml_document doc;
    doc.load_string(("<Bin><File><Path>Bin\\ReExe.exe</Path><URL>" + std::string(kClosedPort) +
                     "</URL><Size>5</Size></File>"
                     "<File><Path>Bin\\replace.exe</Path><URL>" + kClosedPort + "</URL><Size>x</Size></File></Bin>")
                        .c_str());
    UpdateHelperFiles(doc.document_element());
    EXPECT_EQ(Read("Bin/ReExe.exe"), "12345");
    // The listed size no longer vouches for a helper; only its signature does.
    EXPECT_FALSE(LoggedLine("[Bin] お使いの ReExe.exe は最新のファイルです"));
    const std::string missing = std::string(" を拒否しました: 署名ファイル (") + kClosedPort + ".minisig) がありません";
    EXPECT_TRUE(LoggedLine("[Bin] ReExe.exe" + missing));
    EXPECT_TRUE(LoggedLine("[Bin] replace.exe" + missing));
    EXPECT_EQ(QueuedMails().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/replace.exe")));
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/replace.bin")));
}

TEST_F(ProgramFolderTest, WithoutATrustedKeyHelpersAndProgramAreNeverUpdated)
{
    testsupport::TestUpdateKey();
    const std::string key = std::getenv("PELLAGO_TEST_UPDATE_KEY");
    unsetenv("PELLAGO_TEST_UPDATE_KEY");
    pugi::xml_document doc;
    doc.load_string("<Bin><A><Path>Bin/ReExe.exe</Path><URL>u</URL><Size>5</Size></A></Bin>");
    UpdateHelperFiles(doc.document_element());
    Write("Setting/AccountTemplate.xml", TemplateWithVersion("1.03"));
    EXPECT_FALSE(CheckForUpdate(Mode(0, false), false, true));
    setenv("PELLAGO_TEST_UPDATE_KEY", key.c_str(), 1);
    EXPECT_TRUE(LoggedLine("[Bin] このPellagoには更新用の署名鍵が組み込まれていないため、補助プログラムの更新は行いません"));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] このPellagoには更新用の署名鍵が組み込まれていないため、アップデートは行いません"));
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/ReExe.exe")));
    EXPECT_FALSE(std::filesystem::exists(Path("Bin/Pellago.bin")));
}

TEST_F(ProgramFolderTest, HelperPathOutsideTheProgramFolderIsRefused)
{
    testsupport::TestUpdateKey();
    pugi::xml_document doc;
    doc.load_string("<Bin><A><Path>..\\..\\evil.exe</Path><URL>http://127.0.0.1:9/x</URL><Size>1</Size></A></Bin>");
    UpdateHelperFiles(doc.document_element());
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_NE(Logged()[0].find("..\\..\\evil.exe"), std::string::npos);
}

TEST_F(ProgramFolderTest, DemoModeRule)
{
    bool asked = false;
    bool answer = false;
    ServiceHooks hooks;
    hooks.askOkCancel = [&](const std::string& caption, const std::string&) {
        asked = true;
        EXPECT_EQ(caption, "ご注意！");
        return answer;
    };
    SetServiceHooks(hooks);

    DemoModeDecision declined = DemoModeRule(true, true, true, 180000);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(declined.uncheck);

    asked = false;
    answer = true;
    DemoModeDecision on = DemoModeRule(true, true, true, 180000);
    EXPECT_FALSE(on.uncheck);
    EXPECT_FALSE(on.loginControlsEnabled);
    EXPECT_EQ(on.interval, 600000);

    asked = false;
    DemoModeDecision quiet = DemoModeRule(true, false, true, 180000); // no log-in data: no question
    EXPECT_FALSE(asked);
    EXPECT_EQ(quiet.interval, 600000);

    DemoModeDecision off = DemoModeRule(false, true, true, 5000); // first-tick interval stays
    EXPECT_FALSE(asked);
    EXPECT_TRUE(off.loginControlsEnabled);
    EXPECT_EQ(off.interval, std::nullopt);
    EXPECT_EQ(DemoModeRule(false, true, true, 600000).interval, 180000);
}

TEST_F(ProgramFolderTest, LoginTestWithDifferentPasswordsOnlyShowsTheMessage)
{
    ServiceSettings s;
    s.loginId = "id";
    s.password = "a";
    s.passwordConfirm = "b";
    EXPECT_EQ(SignalLoginTest(s), "");
    EXPECT_EQ(messages, std::vector<std::string>{"パスワード欄と、パスワード(確認)欄との値が一致しません。\r\n再入力してください"});
    EXPECT_TRUE(Logged().empty());
}

// Without its log-in the check fails, naming the setting, never blaming the network.
TEST_F(ProgramFolderTest, SignalCheckWithoutItsLogInNamesTheMissingSetting)
{
    struct Case {
        const char* loginId;
        const char* password;
        const char* confirm;
        bool webRoute;
        bool demo;
        const char* missing;
    };
    const Case cases[] = {
        {"", "pw", "pw", false, false, "ログインID"},         {"id", "pw", "", false, false, "パスワード(確認)"},
        {"id", "", "pw", true, false, "パスワード"},          {"id", "", "pw", false, false, ""},
        {"", "", "", false, true, ""},
    };
    for (const Case& c : cases) {
        ServiceSettings s;
        s.loginId = c.loginId;
        s.password = c.password;
        s.passwordConfirm = c.confirm;
        s.webRoute = c.webRoute;
        s.demoMode = c.demo;
        EXPECT_EQ(MissingSignalSetting(s), c.missing) << c.loginId << "/" << c.password << "/" << c.confirm;
    }
    ServiceSettings none;
    EXPECT_EQ(CheckSignalNow(none), SignalCheck::Failed);
    ASSERT_FALSE(Logged().empty());
    EXPECT_NE(Logged().back().find("「ログインID」が未設定です"), std::string::npos);
    EXPECT_EQ(Logged().back().find("ネットワーク"), std::string::npos);
}

TEST_F(ProgramFolderTest, SignalCheckDoesNotRunTwiceAtOnce)
{
    SignalCheckBusy = true;
    ServiceSettings demo;
    demo.demoMode = true;
    EXPECT_FALSE(CheckSignal(demo));
    EXPECT_TRUE(Logged().empty());
    EXPECT_TRUE(SignalCheckBusy); // the running check still owns the flag
}
