// pellago --accept-terms on a terminal: the shipped text is shown, and only
// a yes records the consent.

#include "ServiceFixture.h"

#include "app/Terms.h"

#include <sstream>

using servicetest::ProgramFolderTest;

class TermsOnTerminal : public ProgramFolderTest {};

TEST_F(TermsOnTerminal, OnlyAYesRecordsTheConsent)
{
    struct Case {
        bool text;          // license.txt in the program folder
        std::string answer; // what the user types
        int exitCode;
        bool marker;
        std::string shown;  // a part of the output
    };
    const std::vector<Case> cases = {
        {false, "yes\n", 1, false, "ソフトウェア使用許諾の文書を読み込めません"},
        {true, "no\n", 1, false, "同意されなかったため、終了します"},
        {true, "", 1, false, "(yes/no)"},
        {true, " Y \n", 0, true, "使用許諾の本文"},
        {true, "yes\n", 0, true, "同意を記録しました"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(Path("AutoTrade/Licensed"));
        std::filesystem::remove(Path("license.txt"));
        if (c.text)
            Write("license.txt", "使用許諾の本文\r\n第1条\r\n");
        std::istringstream in(c.answer);
        std::ostringstream out;
        EXPECT_EQ(AcceptTermsOnTerminal(in, out), c.exitCode) << c.answer;
        EXPECT_EQ(Exists("AutoTrade/Licensed"), c.marker) << c.answer;
        EXPECT_NE(out.str().find(c.shown), std::string::npos) << out.str();
    }
    // Asked again once accepted: nothing to decide.
    std::istringstream none;
    std::ostringstream out;
    EXPECT_EQ(AcceptTermsOnTerminal(none, out), 0);
}
