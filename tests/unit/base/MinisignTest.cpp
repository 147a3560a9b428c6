// Signatures made by the minisign tool at test time, checked by the
// program's verifier: what it accepts and every way a file or its signature
// can be wrong.

#include "base/Minisign.h"
#include "support/UpdateKeys.h"

#include <gtest/gtest.h>

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

struct Case {
    const char* what;
    bool legacy;
    std::string (*spoil)(const std::string& signature, const std::string& file); // edits the file or returns a new signature
    bool accepted;
    const char* errorPart;
};

std::string Untouched(const std::string& signature, const std::string&) { return signature; }

std::string ContentChanged(const std::string& signature, const std::string& file)
{
    WriteFileBytes(file, ReadFileBytes(file) + "!");
    return signature;
}

std::string CommentChanged(const std::string& signature, const std::string&)
{
    std::string changed = signature;
    const std::size_t at = changed.find("pellago 1.03");
    changed.replace(at, 12, "pellago 1.99");
    return changed;
}

std::string OtherKey(const std::string&, const std::string& file)
{
    testsupport::ScratchDir other;
    EXPECT_TRUE(testsupport::SignWithKey(testsupport::MakeKeyPair(other.path()), file, "pellago 1.03 Pellago.bin"));
    return ReadFileBytes(file + ".minisig");
}

std::string Garbage(const std::string&, const std::string&) { return "untrusted comment: x\nnot base64\n"; }

} // namespace

TEST(Minisign, AcceptsOnlyTheTrustedKeysSignatureOfTheUnchangedFile)
{
    const auto key = ParseMinisignKey(testsupport::TestUpdateKey().publicKeyLine);
    ASSERT_TRUE(key);
    EXPECT_EQ(MinisignFingerprint(*key), testsupport::TestUpdateKey().keyId);
    const std::vector<Case> cases = {
        {"prehashed", false, Untouched, true, ""},
        {"legacy", true, Untouched, true, ""},
        {"changed after signing", false, ContentChanged, false, "署名後に変更"},
        {"legacy changed after signing", true, ContentChanged, false, "署名後に変更"},
        {"trusted comment edited", false, CommentChanged, false, "コメント"},
        {"another key", false, OtherKey, false, "以外の鍵"},
        {"not a signature", false, Garbage, false, "形式"},
    };
    testsupport::ScratchDir folder;
    for (const auto& c : cases) {
        const std::string file = folder.file("Pellago.bin");
        WriteFileBytes(file, std::string("\x7f" "ELF program bytes\0\1\2", 22));
        ASSERT_TRUE(testsupport::SignWithKey(testsupport::TestUpdateKey(), file, "pellago 1.03 Pellago.bin", c.legacy)) << c.what;
        const std::string signature = c.spoil(ReadFileBytes(file + ".minisig"), file);
        const SignatureCheck check = CheckFileSignature(*key, signature, file);
        EXPECT_EQ(check.ok, c.accepted) << c.what << ": " << check.error;
        if (c.accepted)
            EXPECT_EQ(check.trustedComment, "pellago 1.03 Pellago.bin") << c.what;
        else
            EXPECT_NE(check.error.find(c.errorPart), std::string::npos) << c.what << ": " << check.error;
        // The comment alone holds exactly when nothing but the content changed.
        EXPECT_EQ(CheckTrustedComment(*key, signature).ok, c.accepted || c.spoil == ContentChanged) << c.what;
    }
    EXPECT_FALSE(ParseMinisignKey("RWQ not a key"));
}
