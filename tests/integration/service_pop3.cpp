// The signal mailbox over POP3 against a real dovecot on loopback, started
// by the test with a private configuration; a connection dropped in the
// middle of a message against a small scripted server.

#include "Dovecot.h"
#include "ServiceKit.h"

#include "app/SignalFiles.h"
#include "app/SignalReception.h"
#include "base/TextCodec.h"

#include <QProcess>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

using servicekit::LogDump;
using servicekit::Logged;
using servicekit::LoggedLine;

namespace fs = std::filesystem;

using dovecotkit::Dovecot;
using dovecotkit::kPassword;
using dovecotkit::kUser;

namespace {

std::string Signal(const std::string& name, const std::string& extra = "")
{
    return "<Signal>\r\n<FileName>" + name + "</FileName>\r\n<HoldPositionSummary/>" + extra + "\r\n</Signal>\r\n";
}

std::string PlainMail(const std::string& subject, const std::string& body)
{
    return "From: signal@pellago.example\r\nTo: " + kUser + "\r\nSubject: " + subject +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" + body;
}

// "テスト" in ISO-2022-JP, and the subject "0106.xml" as an encoded word.
const std::string kJisTest = "\x1b$B%F%9%H\x1b(B";

std::string JisMail()
{
    return "From: signal@pellago.example\r\nTo: " + kUser +
           "\r\nSubject: =?ISO-2022-JP?B?MDEwNi54bWw=?=\r\nMIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" +
           Signal("0106.xml", "<Comment>" + kJisTest + "</Comment>");
}

} // namespace

class SignalMailbox : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dovecot.Started()) << dovecot.Log();
        folder.PointServiceAt("http://127.0.0.1:9", dovecot.Port());
        settings.loginId = "user1";
        settings.password = settings.passwordConfirm = kPassword;
        signalFolder = SignalFolderFor(Now());
    }

    servicekit::ProgramFolder folder;
    Dovecot dovecot{folder.Path("dovecot")};
    ServiceSettings settings;
    std::string signalFolder;
};

TEST_F(SignalMailbox, WaitingSignalsAreStoredConvertedAndDeletedAndReportedOnce)
{
    dovecot.Deliver(1, PlainMail("0105.xml", Signal("0105.xml")));
    dovecot.Deliver(2, JisMail());
    dovecot.Deliver(3, PlainMail("0107.xml", Signal("0107.xml")));

    ASSERT_TRUE(CheckSignal(settings)) << LogDump() << dovecot.Log();
    EXPECT_EQ(testsupport::ReadFileBytes(signalFolder + "0105.xml"), Signal("0105.xml"));
    EXPECT_EQ(testsupport::ReadFileBytes(signalFolder + "0107.xml"), Signal("0107.xml"));
    // The ISO-2022-JP body is kept in Shift-JIS.
    EXPECT_EQ(testsupport::ReadFileBytes(signalFolder + "0106.xml"),
              Signal("0106.xml", "<Comment>" + Utf8ToCp932("テスト") + "</Comment>"));
    EXPECT_EQ(dovecot.Waiting(), 0);
    EXPECT_TRUE(LoggedLine("■ 新しいシグナルを受信しました"));

    ActivityMemo().clear();
    EXPECT_FALSE(CheckSignal(settings));
    EXPECT_FALSE(CheckSignal(settings));
    ASSERT_EQ(Logged().size(), 1u) << LogDump();
    EXPECT_EQ(Logged()[0], "シグナルチェックを正常に終えました。新しいシグナルはありません");
    EXPECT_NE(ActivityMemo().lines()[0].find(" ～ "), std::string::npos);
}

TEST_F(SignalMailbox, MailWithUnusableSubjectStaysWhileTheOthersArrive)
{
    dovecot.Deliver(1, PlainMail("0108.xml", Signal("0108.xml")));
    dovecot.Deliver(2, PlainMail("../../evil.xml", Signal("evil.xml")));
    EXPECT_TRUE(CheckSignal(settings)) << LogDump();
    EXPECT_TRUE(fs::exists(signalFolder + "0108.xml"));
    EXPECT_FALSE(fs::exists(folder.Path("AutoTrade/evil.xml")));
    EXPECT_FALSE(fs::exists(folder.Path("evil.xml")));
    EXPECT_EQ(dovecot.Waiting(), 1);
    EXPECT_TRUE(LoggedLine("シグナルのファイル名 \"../../evil.xml\" は使用できないため保存しません"));
}

TEST_F(SignalMailbox, LogInTestTellsRightFromWrongPassword)
{
    EXPECT_EQ(TestSignalMailbox("127.0.0.1", dovecot.Port(), kUser, kPassword), "ログインに成功しました");
    EXPECT_EQ(SignalLoginTest(settings), "ログインに成功しました");
    EXPECT_TRUE(LoggedLine("シグナルサーバーにログイン中..."));

    // Failed log-ins last: the server slows down later ones from the same address.
    EXPECT_EQ(TestSignalMailbox("127.0.0.1", dovecot.Port(), kUser, "wrong"),
              "Error! シグナルサーバーに繋がりません。\r\nユーザーネーム、パスワードを再確認の上\r\n"
              "何度お試し頂いても繋がらない場合は\r\n「シグナルを迂回して受信」にチェックを入れお試し下さい");

}

TEST(SignalMailboxUnreachable, CheckFailsWithTheFailureText)
{
    servicekit::ProgramFolder folder;
    folder.PointServiceAt("http://127.0.0.1:9", 9); // nothing listens there
    ServiceSettings settings;
    settings.loginId = "user1";
    settings.passwordConfirm = "secret";
    EXPECT_FALSE(CheckSignal(settings));
    EXPECT_TRUE(LoggedLine("シグナルチェック時に異常が発生しました。"));
    EXPECT_TRUE(LoggedLine("それでも繋がらなければ、OSの再起動をしてみてください"));
}

TEST(SignalMailboxDrop, ConnectionLostInAMessageStoresNothingHalfWritten)
{
    servicekit::ProgramFolder folder;
    servicekit::ScriptPeer server(folder.Path("pop3.py"), servicekit::kDroppingPop3Script, {});
    ASSERT_GT(server.Port(), 0);
    const std::string signalFolder = folder.Path("AutoTrade/SignalLog/");
    SignalFetch fetch = FetchSignalMail("127.0.0.1", server.Port(), kUser, kPassword, signalFolder);
    EXPECT_TRUE(fetch.ok);
    EXPECT_FALSE(fetch.isNew);
    EXPECT_TRUE(fs::is_empty(signalFolder));
}
