#include "base/AkUnit.h"
#include "base/TextCodec.h"
#include "unit/UnitFixtures.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using testsupport::ScratchDir;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

class AkFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUserMessageSink([this](const std::string& text, const std::string&) { messages.push_back(text); });
    }
    void TearDown() override { SetUserMessageSink({}); }

    ScratchDir dir;
    std::vector<std::string> messages;
};

TEST_F(AkFiles, SaveTextFileWritesCp932WithCrLf)
{
    struct Case {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb\n\nc", "a\r\nb\r\n\r\nc\r\n"},
        {"", ""},
        {"円", "\x89\x7E\r\n"},
        {"€x", "?x\r\n"},
    };
    const std::string path = dir.file("t.txt");
    for (const auto& c : cases) {
        ASSERT_TRUE(SaveTextFile(path, c.text));
        EXPECT_EQ(ReadFileBytes(path), c.bytes) << c.text;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AkFiles, LoadTextFileDecodesAndReEndsLines)
{
    struct Case {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"\x93\xFA\x96\x7B\r\nx", "日本\r\nx\r\n"}, // CP932 on disk
        {"日本\nx\n", "日本\r\nx\r\n"},             // UTF-8 stays
        {"", ""},
    };
    const std::string path = dir.file("in.txt");
    for (const auto& c : cases) {
        WriteFileBytes(path, c.bytes);
        std::string text = "stale";
        ASSERT_TRUE(LoadTextFile(path, text));
        EXPECT_EQ(text, c.text);
    }
    std::string text;
    EXPECT_FALSE(LoadTextFile(dir.file("missing.txt"), text));
    EXPECT_TRUE(messages.empty()) << "a missing file is not worth a message";
}

TEST_F(AkFiles, FailuresShowTheirMessages)
{
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_FALSE(SaveTextFile(dir.file("folder"), "x"));
    EXPECT_FALSE(SaveTextFile(dir.file("no/such/file.txt"), "x"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], dir.file("folder") + "\rへのテキストの保存に失敗しました。\r処理を中断します");
    EXPECT_EQ(messages[1], dir.file("no/such/file.txt") + "\rへのテキストの保存に失敗しました。\r処理を中断します");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
}

TEST_F(AkFiles, AppendLineOnlyToExistingFiles)
{
    const std::string path = dir.file("log.txt");
    EXPECT_FALSE(AppendLine("x", path));
    EXPECT_FALSE(std::filesystem::exists(path));
    EnsureFile(path);
    EXPECT_TRUE(AppendLine("一行目", path));
    EXPECT_TRUE(AppendLine("", path));
    EXPECT_EQ(ReadFileBytes(path), Utf8ToCp932("一行目") + "\r\n\r\n");
    EnsureFile(path); // an existing file is left alone
    EXPECT_EQ(ReadFileBytes(path).size(), 10u);
    CreateEmptyTextFile(path);
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(AkFiles, CreatingInAMissingFolderGivesUpAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    EnsureFile(dir.file("absent/x.log"));
    EnsureDir(dir.file("absent/deeper")); // one level only
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(std::filesystem::exists(dir.file("absent")));
    EnsureDir(dir.file("absent"));
    EnsureDir(dir.file("absent"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("absent")));
}

TEST_F(AkFiles, ListFolderFiltersAndSorts)
{
    for (const char* name : {"A.XML", "b.xml", "c.xml", "Readme", "d.xml.bak", ".xml"})
        WriteFileBytes(dir.file(name), "x");
    std::filesystem::create_directory(dir.file("Zeta"));
    std::filesystem::create_directory(dir.file("alpha.xml"));
    using Names = std::vector<std::string>;
    EXPECT_EQ(ListFolder(dir.path(), "xml", ListMode::Files), (Names{".xml", "b.xml", "c.xml"}));
    EXPECT_EQ(ListFolder(dir.path(), ".xml", ListMode::Files), (Names{".xml", "b.xml", "c.xml"}));
    EXPECT_EQ(ListFolder(dir.path(), "", ListMode::Files),
              (Names{".xml", "A.XML", "b.xml", "c.xml", "d.xml.bak", "Readme"}));
    EXPECT_EQ(ListFolder(dir.path(), "xml", ListMode::Folders), (Names{"alpha.xml", "Zeta"}));
    EXPECT_EQ(ListFolder(dir.path(), "xml", ListMode::Both), (Names{".xml", "alpha.xml", "b.xml", "c.xml", "Zeta"}));
    EXPECT_TRUE(ListFolder(dir.file("missing"), "", ListMode::Both).empty());
}

TEST_F(AkFiles, FileSizeOfWithWildcards)
{
    WriteFileBytes(dir.file("b.log"), "12345");
    WriteFileBytes(dir.file("a.dat"), "1");
    std::filesystem::create_directory(dir.file("c.log"));
    struct Case {
        std::string path;
        std::int64_t size;
    } cases[] = {
        {dir.file("b.log"), 5},  {dir.file("*.log"), 5}, {dir.file("?.dat"), 1},  {dir.file("*"), 1},
        {dir.file("*.txt"), 0},  {dir.file("none"), 0},  {dir.file("c.log"), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileSizeOf(c.path), c.size) << c.path;
}

bool NoTempFilesIn(const std::string& folder)
{
    for (const auto& name : ListFolder(folder, "", ListMode::Both))
        if (name[0] == '.')
            return false;
    return true;
}

TEST_F(AkFiles, SaveFileAtomicallyReplacesWholeFiles)
{
    const std::string path = dir.file("doc.xml");
    ASSERT_TRUE(SaveFileAtomically(path, "old"));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0600));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(SaveFileAtomically(path, "new content"));
    EXPECT_EQ(ReadFileBytes(path), "new content");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    EXPECT_TRUE(NoTempFilesIn(dir.path()));
}

TEST_F(AkFiles, SaveFileAtomicallyLeavesTheOldFileWhenWritingFails)
{
    // The file-size limit binds root too: the write of the big content fails
    // half-way, as on a full disk.
    const std::string path = dir.file("doc.xml");
    ASSERT_TRUE(SaveFileAtomically(path, "old"));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool saved_big = SaveFileAtomically(path, std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved_big);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_TRUE(NoTempFilesIn(dir.path()));

    // A folder standing at the target cannot be replaced either.
    std::filesystem::create_directory(dir.file("sub"));
    WriteFileBytes(dir.file("sub/keep"), "k");
    EXPECT_FALSE(SaveFileAtomically(dir.file("sub"), "x"));
    EXPECT_EQ(ReadFileBytes(dir.file("sub/keep")), "k");
    EXPECT_TRUE(NoTempFilesIn(dir.path()));
}

TEST(AkWaiting, PumpMessagesRunsThePumpNPlusOneTimes)
{
    int pumped = 0;
    SetMessagePump([&] { ++pumped; });
    PumpMessages(0);
    EXPECT_EQ(pumped, 1);
    PumpMessages(3);
    EXPECT_EQ(pumped, 5);
    pumped = 0;
    const auto start = std::chrono::steady_clock::now();
    PumpFor(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_GT(pumped, 1);
    SetMessagePump({});
}

TEST(AkProgram, ProgramPathsHangOffTheFolder)
{
    const std::string before = ProgramFolder();
    SetProgramFolder("/tmp/pellago-home");
    EXPECT_EQ(ProgramFolder(), "/tmp/pellago-home/");
    EXPECT_EQ(ProgramPath("Log/hd"), "/tmp/pellago-home/Log/hd");
    EXPECT_EQ(ProgramPath("Setting\\Account.xml"), "/tmp/pellago-home/Setting/Account.xml");
    SetProgramFolder(before);
    EXPECT_EQ(ProgramFolder(), before);
}

} // namespace
