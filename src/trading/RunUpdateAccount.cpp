#include "trading/RunUpdateAccount.h"

#include "base/AkUnit.h"
#include "reporting/BalanceHistory.h"
#include "documents/AccountDocument.h"
#include "documents/SignalDocument.h"

#include <algorithm>
#include <filesystem>

namespace {

// Shows the cancel button for the run and hides it on every way out.
class CancelButtonShown {
public:
    explicit CancelButtonShown(const std::function<void(bool)>& show) : Show(show) {
        if (Show) Show(true);
    }
    ~CancelButtonShown() {
        if (Show) Show(false);
    }
    CancelButtonShown(const CancelButtonShown&) = delete;
    CancelButtonShown& operator=(const CancelButtonShown&) = delete;

private:
    const std::function<void(bool)>& Show;
};

void Log(const TRunUpdateAccountSetup& setup, const std::string& text) {
    if (setup.ActivityLog) setup.ActivityLog(text);
}

bool DiscardBadSignal(const std::string& signalPath, const TRunUpdateAccountSetup& setup) {
    Log(setup, "SignalFile=\"" + signalPath + "\" のデータが正しくありません");
    Log(setup, "一度破棄し、後ほど再実行します");
    std::error_code ignored;
    std::filesystem::remove(signalPath, ignored);
    return false;
}

// A missing snapshot costs the balance charts one day; the run itself is
// recorded in the account document, so it still counts as done.
void SaveDailySnapshot(const pugi::xml_document& accounts, const std::string& snapshotPath,
                       const TRunUpdateAccountSetup& setup) {
    if (SaveAccountDocument(accounts, snapshotPath)) return;
    std::error_code ignored;
    const std::string folder = std::filesystem::path(snapshotPath).parent_path().string();
    const std::string reason = std::filesystem::is_directory(folder, ignored)
                                   ? "フォルダー " + folder + " に書き込めません"
                                   : "フォルダー " + folder + " を作成できません";
    Log(setup, "[警告] 本日の口座スナップショット " + snapshotPath + " を保存できませんでした(" + reason +
                   ")。残高の履歴とグラフにはこの日の分が載りません");
}

void ReplaceChild(pugi::xml_node target, pugi::xml_node source, const char* name)
{
    const pugi::xml_node value = source.child(name);
    if (!value || !target) return;
    target.remove_child(name);
    target.append_copy(value);
}

} // namespace

bool KeepLogOnTestBalances(pugi::xml_document& tested, const std::string& accountPath, const SessionLog& log)
{
    pugi::xml_document stored;
    if (!LoadAccountDocument(stored, accountPath)) return false;
    const std::vector<pugi::xml_node> read = AccountElements(tested);
    const std::vector<pugi::xml_node> accounts = AccountElements(stored);
    for (size_t i = 0; i < std::min(read.size(), accounts.size()); ++i)
        if (AccountName(read[i]) == AccountName(accounts[i])) ReplaceChild(accounts[i], read[i], "Today");
    ReplaceChild(AccountSummaryElement(stored), AccountSummaryElement(tested), "Today");
    if (!SaveAccountDocument(stored, accountPath)) {
        if (log) log("[Error!] 口座情報 " + accountPath + " を保存できませんでした");
        return false;
    }
    TRunUpdateAccountSetup setup;
    setup.ActivityLog = log;
    SaveDailySnapshot(stored, DailySnapshotPath(Now()), setup);
    ExtractAccountBalance();
    return true;
}

std::string DailySnapshotPath(const DateTime& day) {
    EnsureDir(ProgramPath("AutoTrade/"));
    EnsureDir(AccountLogFolder());
    const std::string yearFolder = AccountLogFolder() + ZeroPad(day.year, 4) + "/";
    EnsureDir(yearFolder);
    return yearFolder + MonthDayString(true, day) + ".xml";
}

bool RunUpdateAccount(const std::string& signalPath, const std::string& accountPath,
                      const TRunUpdateAccountSetup& setup) {
    bool noCancel = false;
    bool& cancel = setup.CancelFlag ? *setup.CancelFlag : noCancel;
    cancel = false;
    CancelButtonShown cancelButton(setup.ShowCancelButton);
    const std::string snapshotPath = DailySnapshotPath(Now());
    TTradeAPI api(cancel, setup.RealMode, setup.ActivityLog, setup.DetailLog);

    pugi::xml_document signal;
    if (!LoadSignalDocument(signalPath, signal)) return DiscardBadSignal(signalPath, setup);

    bool result = false;
    try {
        pugi::xml_document accounts;
        if (!LoadAccountDocument(accounts, accountPath)) {
            Log(setup, "[Error!] " + accountPath + " を読み込めませんでした");
            return false;
        }
        UseSystemCountToMaxPosi(signal, accounts, setup.ActivityLog);
        if (setup.ResetWatchdogClicks) setup.ResetWatchdogClicks();
        api.AddTradeDetailLog("■■UpdateAccount Start");
        result = api.UpdateAccount(&signal, accounts, accountPath, TUpdateMode::Trade, setup.Sessions);
        api.AddTradeDetailLog("■■UpdateAccount End");
        api.AppendTradeLogOnly(result ? "[重要] 自動売買は正常に終了しました"
                                      : "[重要] アカウントのポジションに不一致があります。再実行推奨です");

        api.AddTradeDetailLog("■■AccountXML.Save & ExtractAccountBalance");
        // The run's record is the document: a run whose result is not on disk
        // has not finished.
        if (!SaveAccountDocument(accounts, accountPath)) {
            Log(setup, "[Error!] 口座情報 " + accountPath + " を保存できませんでした");
            return false;
        }
        SaveDailySnapshot(accounts, snapshotPath, setup);
        ExtractAccountBalance();
        if (setup.ReportMail && !cancel) setup.ReportMail->ComposeReportMail(api.TradeLog());
    } catch (const std::exception& error) {
        // A broken document or value ends the run; what was saved stays saved.
        Log(setup, std::string("[Error!] 自動売買を中断しました: ") + error.what());
    }
    return result;
}
