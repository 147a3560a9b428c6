// Pure rules of the service code: endpoint configuration, command lines,
// file names from the service, line ends, INI values, received mail.

#include "ServiceFixture.h"

#include "app/HelperFiles.h"
#include "app/IniFile.h"
#include "app/MailMessage.h"
#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/RetryPolicy.h"
#include "app/ServiceEndpoints.h"
#include "app/SignalFiles.h"
#include "base/TextCodec.h"

#include <filesystem>

using servicetest::ProgramFolderTest;
using testsupport::Logged;
using testsupport::LoggedLine;

TEST(ServiceEndpoints, ConfigurationOverlaysDefaults)
{
    ServiceEndpoints defaults = DefaultServiceEndpoints();
    ServiceEndpoints e = ParseServiceEndpoints("# demo\n web_base = http://127.0.0.1:8080/ \r\n"
                                               "mail_port=1110\nmail_port = 99999\nunknown = x\nnot a setting\n");
    EXPECT_EQ(e.webBase, "http://127.0.0.1:8080");
    EXPECT_EQ(e.mailPort, 1110); // an out-of-range port is ignored
    EXPECT_EQ(e.mailHost, defaults.mailHost);
    EXPECT_EQ(ServiceUrl(e, "/demo_signal.xml"), "http://127.0.0.1:8080/demo_signal.xml");
    EXPECT_EQ(SignalMailboxUser(e, "user1"), "user1" + defaults.mailboxSuffix);
}

TEST(SplitCommandLine, ReadsWhatQuoteArgBuilds)
{
    struct Case {
        std::string line;
        std::vector<std::string> arguments;
    };
    const std::vector<Case> cases = {
        {QuoteArg("/a b/ReExe.exe") + " " + QuoteArg("/a b/pellago auto 3") + " " + QuoteArg("540"),
         {"/a b/ReExe.exe", "/a b/pellago auto 3", "540"}},
        {QuoteArg("/bin/replace.exe") + " " + QuoteArg("12") + " " + QuoteArg(""), {"/bin/replace.exe", "12", ""}},
        {QuoteArg("x") + QuoteArg("TPellagoForm") + QuoteArg("10"), {"x", "TPellagoForm", "10"}},
        {"plain  words\tand \"a \"\"quote\"\"\"", {"plain", "words", "and", "a \"quote\""}},
        {"   ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

// ReExe gets the whole restart command as one argument and splits it again:
// a headless program with its own folder comes back headless in that folder.
TEST(SplitCommandLine, RestartCommandSurvivesTheTripThroughReExe)
{
    SetExecutablePath("/opt/my programs/pellago");
    SetRestartOptions({"--home", "/srv/p \"x\"", "--headless"});
    const std::vector<std::string> reexe = SplitCommandLine(retry::ReExeCommandLine(3, 540000));
    SetRestartOptions({});
    ASSERT_EQ(reexe.size(), 3u);
    EXPECT_EQ(reexe[2], "540");
    EXPECT_EQ(SplitCommandLine(reexe[1]), (std::vector<std::string>{"/opt/my programs/pellago", "auto", "3", "--home",
                                                                   "/srv/p \"x\"", "--headless"}));
    EXPECT_EQ(retry::ReExeCommandLine(3, 540000),
              QuoteArg(ProgramFolder() + "Bin/ReExe.exe") + " " + QuoteArg("\"/opt/my programs/pellago\" auto 3") +
                  " " + QuoteArg("540"));
}

TEST(SignalFiles, OnlyBareFileNamesAreAccepted)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"0105.xml", true},       {"シグナル.xml", true},   {"a b.xml", true},
        {"", false},              {".", false},             {"..", false},
        {"../0105.xml", false},   {"..\\0105.xml", false},  {"sub/0105.xml", false},
        {"/etc/passwd", false},   {"a..b.xml", false},      {"a:b.xml", false},
        {"a*.xml", false},        {"a?.xml", false},        {"a\"b", false},
        {"a<b", false},           {"a|b", false},           {"0105.xml\r\n", false},
        {std::string("a\0b", 3), false}, {std::string(256, 'a'), false},
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(IsSafeFileName(name), safe) << name;
}

TEST(SignalFiles, LinesAreReEndedWithCrLf)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb\n\nc", "a\r\nb\r\n\r\nc\r\n"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(WithCrLfLineEnds(in), out);
}

TEST_F(ProgramFolderTest, RefusedNameWritesNothingAndLogsALine)
{
    Write("AutoTrade/SignalLog/2024/.keep", "");
    const std::string folder = Path("AutoTrade/SignalLog/2024/");
    EXPECT_EQ(StoreSignalFile(folder, "../../escape.xml", "<x/>"), StoreResult::RefusedName);
    EXPECT_FALSE(std::filesystem::exists(Path("AutoTrade/escape.xml")));
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_NE(Logged()[0].find("../../escape.xml"), std::string::npos);

    EXPECT_EQ(StoreSignalFile(folder, "0105.xml", "<x>\n</x>"), StoreResult::Stored);
    EXPECT_EQ(Read("AutoTrade/SignalLog/2024/0105.xml"), "<x>\r\n</x>\r\n");
}

TEST_F(ProgramFolderTest, ServicePathsStayInsideTheProgramFolder)
{
    EXPECT_EQ(ProgramFileFromService("Bin\\ReExe.exe"), Path("Bin/ReExe.exe"));
    EXPECT_EQ(ProgramFileFromService("Bin/replace.exe"), Path("Bin/replace.exe"));
    for (const std::string bad : {"..\\pellago", "/bin/sh", "Bin/../../x", "", "Bin\\a:b"})
        EXPECT_EQ(ProgramFileFromService(bad), "") << bad;
}

TEST_F(ProgramFolderTest, IniValuesAreWrittenInPlaceAndReadBack)
{
    const std::string ini = Path("pellago.ini");
    Write("pellago.ini", "[Main]\nEdit1=user\n\n[AutoTrade]\nURetryCount=2\n");
    EXPECT_TRUE(WriteIniString(ini, "AutoUpdate", "CheckVersion", "1"));
    EXPECT_TRUE(WriteIniString(ini, "Main", "CheckBox1", "0"));
    EXPECT_TRUE(WriteIniString(ini, "autotrade", "uretrycount", "3"));
    EXPECT_EQ(ReadIniString(ini, "AutoUpdate", "CheckVersion"), "1");
    EXPECT_EQ(ReadIniString(ini, "Main", "Edit1"), "user");
    EXPECT_EQ(ReadIniString(ini, "Main", "CheckBox1"), "0");
    EXPECT_EQ(ReadIniString(ini, "AutoTrade", "URetryCount"), "3");
    EXPECT_EQ(ReadIniString(ini, "AutoTrade", "Missing"), std::nullopt);
    EXPECT_EQ(ReadIniString(Path("none.ini"), "Main", "Edit1"), std::nullopt);
    // One key per line, each section once.
    std::string text = ToLowerAscii(Read("pellago.ini"));
    EXPECT_EQ(text.find("[autotrade]"), text.rfind("[autotrade]"));
    EXPECT_EQ(text.find("uretrycount"), text.rfind("uretrycount"));
}

namespace {

std::string Base64(const std::string& bytes)
{
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int value = 0, bits = -6;
    for (unsigned char c : bytes) {
        value = (value << 8) + c;
        bits += 8;
        while (bits >= 0) {
            out += table[(value >> bits) & 0x3F];
            bits -= 6;
        }
    }
    if (bits > -6)
        out += table[((value << 8) >> (bits + 8)) & 0x3F];
    while (out.size() % 4)
        out += '=';
    return out;
}

// "シグナル" in ISO-2022-JP.
const std::string kJisSignal = "\x1b$B%7%0%J%k\x1b(B";

} // namespace

TEST(ReceivedMail, SubjectsAndBodiesAreDecoded)
{
    struct Case {
        std::string raw;
        std::string subject;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"Subject: 0105.xml\r\nFrom: a@b\r\n\r\n<s>\r\n..dot\r\n", "0105.xml", "<s>\r\n..dot\r\n"},
        {"Subject: =?ISO-2022-JP?B?" + Base64(kJisSignal) + "?=.xml\r\n\r\nx", "シグナル.xml", "x"},
        {"Subject: =?UTF-8?Q?a=E3=81=82_b?=\r\n\r\nx", "aあ b", "x"},
        {"Subject: =?utf-8?B?" + Base64("01") + "?=\r\n =?utf-8?B?" + Base64("05.xml") + "?=\r\n\r\nx", "0105.xml", "x"},
        {"subject: 0106.xml\nContent-Transfer-Encoding: base64\n\n" + Base64("<a>1</a>"), "0106.xml", "<a>1</a>"},
        {"Subject: q\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\na=3Db=\r\nc", "q", "a=bc"},
        {"Subject: m\r\nContent-Type: multipart/mixed; boundary=\"XX\"\r\n\r\npreamble\r\n--XX\r\n"
         "Content-Type: application/octet-stream\r\n\r\nbin\r\n--XX\r\nContent-Type: text/plain\r\n\r\n<doc/>\r\n--XX--\r\n",
         "m", "<doc/>"},
    };
    for (const auto& c : cases) {
        ReceivedMail mail = ParseReceivedMail(c.raw);
        EXPECT_EQ(mail.subject, c.subject) << c.raw;
        EXPECT_EQ(mail.body, c.body) << c.raw;
    }
}

TEST(ReceivedMail, CharsetOfTheBodyIsReported)
{
    auto mail = ParseReceivedMail("Subject: s\r\nContent-Type: text/plain; charset=\"ISO-2022-JP\"\r\n\r\n" + kJisSignal);
    EXPECT_EQ(mail.charset, "iso-2022-jp");
    EXPECT_EQ(mail.body, kJisSignal);
    EXPECT_EQ(JapaneseBytesToUtf8(kJisSignal), "シグナル");
    EXPECT_EQ(JapaneseBytesToUtf8(Utf8ToCp932("シグナル")), "シグナル");
}
