// Loading documents by their bytes and saving them so that a failed save
// never costs the previous file.

#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

using testsupport::ScratchDir;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

const std::string kAccountUtf8 = "\xE5\x8F\xA3\xE5\xBA\xA7"; // 口座
const std::string kAccountCp932 = "\x8C\xFB\x8D\xC0";
const std::string kAccountEucJp = "\xB8\xFD\xBA\xC2";

TEST(XmlFile, DecodesByDeclarationOrByBytes)
{
    struct Case {
        const char* label;
        std::string bytes;
    };
    const Case cases[] = {
        {"utf-8, no declaration", "<r>" + kAccountUtf8 + "</r>"},
        {"utf-8 with bom", "\xEF\xBB\xBF<r>" + kAccountUtf8 + "</r>"},
        {"cp932, no declaration", "<r>" + kAccountCp932 + "</r>"},
        {"declared Shift_JIS", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r>" + kAccountCp932 + "</r>"},
        {"declared EUC-JP", "<?xml version='1.0' encoding='EUC-JP'?>\n<r>" + kAccountEucJp + "</r>"},
        {"declared utf-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>" + kAccountUtf8 + "</r>"},
    };
    for (const Case& c : cases) {
        pugi::xml_document doc;
        ASSERT_TRUE(ParseXmlBytes(c.bytes, doc)) << c.label;
        EXPECT_EQ(NodeText(doc.document_element()), kAccountUtf8) << c.label;
    }
}

TEST(XmlFile, RefusesMalformedOrMisdeclaredBytes)
{
    const std::string cases[] = {
        "<r><a></r>",
        "",
        "plain text",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>" + kAccountCp932 + "</r>",
        "<?xml version=\"1.0\" encoding=\"no-such-code\"?><r/>",
    };
    for (const std::string& bytes : cases) {
        pugi::xml_document doc;
        std::string error;
        EXPECT_FALSE(ParseXmlBytes(bytes, doc, &error)) << bytes;
        EXPECT_FALSE(error.empty()) << bytes;
    }
}

TEST(XmlFile, MissingOrBrokenFileFailsTheLoad)
{
    ScratchDir dir;
    pugi::xml_document doc;
    EXPECT_FALSE(LoadXmlFile(dir.file("none.xml"), doc));
    WriteFileBytes(dir.file("broken.xml"), "<root><Accounts>");
    EXPECT_FALSE(LoadXmlFile(dir.file("broken.xml"), doc));
}

TEST(XmlFile, SavedDocumentIsUtf8AndReloadsTheSame)
{
    ScratchDir dir;
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r Name=\"" + kAccountCp932 +
                                  "\"><v>1</v></r>",
                              doc));
    ASSERT_TRUE(SaveXmlFile(doc, dir.file("a.xml")));
    const std::string saved = ReadFileBytes(dir.file("a.xml"));
    EXPECT_EQ(saved.find("Shift_JIS"), std::string::npos) << "the declaration must not lie about the bytes";
    EXPECT_NE(saved.find(kAccountUtf8), std::string::npos);

    pugi::xml_document again;
    ASSERT_TRUE(LoadXmlFile(dir.file("a.xml"), again));
    EXPECT_EQ(AttributeValue(again.document_element(), "Name"), kAccountUtf8);
    EXPECT_EQ(XmlText(again), saved);
}

TEST(XmlFile, LookupCreationSurvivesSaveAndReload)
{
    ScratchDir dir;
    const std::string path = dir.file("Account.xml");
    WriteFileBytes(path, R"(<root><Accounts><A Name="LionFX"><Password>p</Password></A></Accounts></root>)");

    pugi::xml_document doc;
    ASSERT_TRUE(LoadAccountDocument(doc, path));
    ChildNode(AccountAt(doc, 0), "SubPassword");
    ASSERT_TRUE(SaveAccountDocument(doc, path));

    pugi::xml_document reloaded;
    ASSERT_TRUE(LoadAccountDocument(reloaded, path));
    pugi::xml_node subPassword = AccountAt(reloaded, 0).child("SubPassword");
    EXPECT_TRUE(subPassword);
    EXPECT_EQ(NodeText(subPassword), "");
}

// Caps the size of files this process may write, so a save fails half-way
// through its bytes just as it would on a full disk.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit capped = previous_;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(XmlFile, SaveThatFailsHalfWayKeepsThePreviousFile)
{
    ScratchDir dir;
    const std::string path = dir.file("Account.xml");
    const std::string previous = "<root><Accounts/></root>";
    WriteFileBytes(path, previous);

    pugi::xml_document big;
    pugi::xml_node accounts = big.append_child("root").append_child("Accounts");
    for (int i = 0; i < 20000; ++i) SetChildValue(accounts.append_child("A"), "UserName", "scrambled-login-data");
    ASSERT_GT(XmlText(big).size(), 200000u);

    bool saved = true;
    {
        FileSizeCap cap(64 * 1024);
        saved = SaveAccountDocument(big, path);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFileBytes(path), previous);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no scratch file is left behind";
}

} // namespace
