#pragma once
// A minisign key pair made with the minisign tool for this test process (no
// secret is ever committed), trusted by the program under test through
// PELLAGO_TEST_UPDATE_KEY and used by pellago-sim through
// PELLAGO_SIM_UPDATE_KEY. Qt-free, for the unit tests too.

#include "support/ScratchFiles.h"

#include <cstdlib>
#include <string>

namespace testsupport {

struct TestKeyPair {
    std::string publicKeyLine; // the base64 line
    std::string secretKeyPath;
    std::string keyId; // the id minisign names in the public key's comment, 16 digits

};

inline std::string ShellWord(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Made once; PELLAGO_TEST_UPDATE_KEY is set for this process and its children.
inline const TestKeyPair& TestUpdateKey()
{
    static ScratchDir folder;
    static const TestKeyPair pair = [] {
        TestKeyPair made{"", folder.file("update.key")};
        const std::string publicPath = folder.file("update.pub");
        const std::string command = "minisign -G -W -p " + ShellWord(publicPath) + " -s " +
                                    ShellWord(made.secretKeyPath) + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            std::string text = ReadFileBytes(publicPath);
            const std::size_t line = text.find('\n');
            made.publicKeyLine = text.substr(line + 1, text.find('\n', line + 1) - line - 1);
            made.keyId = text.substr(text.rfind(' ', line) + 1, line - text.rfind(' ', line) - 1);
            made.keyId.insert(0, made.keyId.size() < 16 ? 16 - made.keyId.size() : 0, '0'); // printed unpadded
        }
        setenv("PELLAGO_TEST_UPDATE_KEY", made.publicKeyLine.c_str(), 1);
        return made;
    }();
    return pair;
}

// Signs `file` into `file`.minisig with the test key; legacy: the "Ed" form.
inline bool SignWithTestKey(const std::string& file, const std::string& trustedComment, bool legacy = false)
{
    const std::string command = "minisign -S " + std::string(legacy ? "-l " : "") + "-s " +
                                ShellWord(TestUpdateKey().secretKeyPath) + " -m " + ShellWord(file) + " -t " +
                                ShellWord(trustedComment) + " </dev/null >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace testsupport
