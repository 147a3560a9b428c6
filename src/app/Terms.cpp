#include "app/Terms.h"

#include "app/ProcessState.h"
#include "base/AkUnit.h"

#include <filesystem>
#include <istream>
#include <ostream>

namespace fs = std::filesystem;

namespace {

const char* const kTermsFile = "license.txt";

bool IsYes(const std::string& answer)
{
    const std::string trimmed = Trim(answer);
    return EqualsNoCase(trimmed, "yes") || EqualsNoCase(trimmed, "y") || trimmed == "はい";
}

// The command that accepts the terms for this program folder.
std::string AcceptCommand()
{
    std::string command = ExecutablePath();
    const auto& options = RestartOptions();
    for (std::size_t i = 0; i + 1 < options.size(); ++i)
        if (options[i] == "--home")
            command += " --home " + options[i + 1];
    return command + " --accept-terms";
}

} // namespace

std::string TermsMarkerPath() { return ProgramPath("AutoTrade/Licensed"); }

bool TermsAcceptedBefore() { return fs::exists(TermsMarkerPath()); }

bool RecordTermsAccepted()
{
    EnsureDir(ProgramPath("AutoTrade"));
    CreateEmptyTextFile(TermsMarkerPath());
    return TermsAcceptedBefore();
}

std::string TermsTextPath()
{
    const std::string own = ProgramPath(kTermsFile);
    if (fs::exists(own))
        return own;
    const fs::path shipped = fs::path(ExecutablePath()).parent_path() / kTermsFile;
    return fs::exists(shipped) ? shipped.string() : own;
}

bool LoadTermsText(std::string& text, std::string& error)
{
    const std::string path = TermsTextPath();
    if (LoadTextFile(path, text))
        return true;
    error = "ソフトウェア使用許諾の文書を読み込めません: " + path;
    return false;
}

std::string HeadlessTermsHint()
{
    return "ソフトウェア使用許諾への同意がまだないため、自動売買は行いません。端末で「" + AcceptCommand() +
           "」を実行し、使用許諾を読んで同意してください";
}

int AcceptTermsOnTerminal(std::istream& in, std::ostream& out)
{
    if (TermsAcceptedBefore()) {
        out << "ソフトウェア使用許諾には同意済みです (" << TermsMarkerPath() << ")\n";
        return 0;
    }
    std::string text;
    std::string error;
    if (!LoadTermsText(text, error)) {
        out << error << "\n";
        return 1;
    }
    out << ReplaceAll(text, "\r\n", "\n") << "\n\n"
        << "以上のソフトウェア使用許諾に同意しますか？ (yes/no): " << std::flush;
    std::string answer;
    if (!std::getline(in, answer) || !IsYes(answer)) {
        out << "\n同意されなかったため、終了します\n";
        return 1;
    }
    if (!RecordTermsAccepted()) {
        out << "同意を記録できませんでした: " << TermsMarkerPath() << "\n";
        return 1;
    }
    out << "同意を記録しました (" << TermsMarkerPath() << ")\n";
    return 0;
}
