// pellago-report-text BugReport.atf [OUT]
// Writes the text of a problem report file (UTF-8, CR LF line ends as the
// program wrote them) to OUT, or to standard output.

#include "app/ReportScramble.h"
#include "base/AkUnit.h"
#include "base/PrivateFiles.h"
#include "base/TextCodec.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: pellago-report-text BugReport.atf [OUT]\n");
        return 2;
    }
    std::string scrambled;
    if (!ReadFileBytes(argv[1], scrambled)) {
        std::fprintf(stderr, "pellago-report-text: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string text = Cp932ToUtf8(UnscrambleBytes(scrambled));
    if (argc == 2) {
        std::cout << text;
        return std::cout.flush() ? 0 : 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        std::fprintf(stderr, "pellago-report-text: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
