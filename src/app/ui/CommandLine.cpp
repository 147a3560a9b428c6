#include "app/ui/CommandLine.h"

#include "base/AkUnit.h"

bool ParseCommandLine(const std::vector<std::string>& args, StartOptions& options, std::string& error)
{
    options = StartOptions();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--once") {
            options.once = true;
        } else if (arg == "--accept-terms") {
            options.acceptTerms = true;
        } else if (arg == "--status") {
            options.status = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--rehearse") {
            options.rehearse = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--home") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--home needs a folder";
                return false;
            }
            options.home = args[++i];
        } else if (arg.rfind("--home=", 0) == 0 && arg.size() > 7) {
            options.home = arg.substr(7);
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return false;
        } else {
            options.arguments.push_back(arg);
        }
    }
    if (options.json && !options.status) {
        error = "--json needs --status";
        return false;
    }
    return true;
}

std::string UsageText()
{
    return "使い方: pellago [auto] [--home DIR] [--headless] [--once] [--accept-terms] [--status [--json]] [--rehearse] [--help] [--version]\n"
           "  auto            自動売買モードで起動します\n"
           "  --home DIR      DIR をプログラムフォルダにします (既定: 環境変数 PELLAGO_HOME、なければ実行ファイルのフォルダ)\n"
           "  --headless      ウィンドウを出さずに動作し、動作ログを標準出力にも書きます\n"
           "  --once          最初の自動売買が終わったら終了します (成功なら終了コード 0)\n"
           "  --accept-terms  ソフトウェア使用許諾を表示し、端末で同意を確認します\n"
           "  --status        前回の自動売買・ポジション・メールの状況を表示します (実行中でも使えます)\n"
           "  --json          --status の内容を JSON で出力します\n"
           "  --rehearse      pellago-sim とデモ口座を使う別のフォルダでペーパートレードを 1 回試します\n"
           "                  (--headless --once と組み合わせられます。あなたの設定と口座には触れません)\n"
           "  --help          この説明を表示します\n"
           "  --version       バージョンと、アップデートに信頼する署名鍵を表示します\n";
}

bool IsAutoArgument(const std::string& argument) { return EqualsNoCase(argument, "auto"); }
