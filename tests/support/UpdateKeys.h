#pragma once
// Minisign key pairs made with the minisign tool at test time (no secret is
// ever committed). The process's test key is trusted by the program under
// test through PELLAGO_TEST_UPDATE_KEY and used by pellago-sim through
// PELLAGO_SIM_UPDATE_KEY. Qt-free, for the unit tests too.

#include "support/ScratchFiles.h"

#include <algorithm>
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

// minisign -G -W into `folder` (update.pub, update.key).
inline TestKeyPair MakeKeyPair(const std::string& folder)
{
    TestKeyPair made{"", folder + "update.key", ""};
    const std::string publicPath = folder + "update.pub";
    const std::string command = "minisign -G -W -p " + ShellWord(publicPath) + " -s " +
                                ShellWord(made.secretKeyPath) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return made;
    const std::string text = ReadFileBytes(publicPath);
    const std::size_t line = text.find('\n');
    const std::size_t id = text.rfind(' ', line) + 1;
    made.publicKeyLine = text.substr(line + 1, text.find('\n', line + 1) - line - 1);
    made.keyId = std::string(16 - std::min<std::size_t>(16, line - id), '0') + text.substr(id, line - id);
    return made;
}

// Made once; PELLAGO_TEST_UPDATE_KEY is set for this process and its children.
inline const TestKeyPair& TestUpdateKey()
{
    static ScratchDir folder;
    static const TestKeyPair pair = [] {
        TestKeyPair made = MakeKeyPair(folder.path());
        setenv("PELLAGO_TEST_UPDATE_KEY", made.publicKeyLine.c_str(), 1);
        return made;
    }();
    return pair;
}

// Signs `file` into `file`.minisig; legacy: the "Ed" form.
inline bool SignWithKey(const TestKeyPair& pair, const std::string& file, const std::string& trustedComment,
                        bool legacy = false)
{
    const std::string command = "minisign -S " + std::string(legacy ? "-l " : "") + "-s " +
                                ShellWord(pair.secretKeyPath) + " -m " + ShellWord(file) + " -t " +
                                ShellWord(trustedComment) + " </dev/null >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace testsupport
