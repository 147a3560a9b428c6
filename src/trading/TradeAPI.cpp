#include "trading/TradeAPI.h"

#include "base/AkUnit.h"
#include "base/Angou.h"
#include "documents/AccountDocument.h"
#include "documents/AccountTotals.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"
#include "trading/Sizing.h"

#include <sstream>
#include <stdexcept>

namespace {

constexpr int kAttempts = 4;
const std::string kRule(46, '-');

std::string Num(long long n) { return std::to_string(n); }

void CopyTodayToYesterday(pugi::xml_node account) {
    pugi::xml_node today = ChildNode(account, "Today");
    pugi::xml_node yesterday = ChildNode(account, "Yesterday");
    for (const char* name : {"Balance", "BalancePL", "PL", "PositionCount"})
        SetChildValue(yesterday, name, ChildValue(today, name));
}

} // namespace

TTradeAPI::TTradeAPI(const bool& cancelFlag, bool realMode, SessionLog activityLog,
                     SessionLog detailLog)
    : CancelFlag(cancelFlag),
      RealMode(realMode),
      ActivityLog(std::move(activityLog)),
      DetailLog(std::move(detailLog)) {}

void TTradeAPI::AddTradeLog(const std::string& text) {
    Lines.push_back(text);
    if (ActivityLog) ActivityLog(text);
}

void TTradeAPI::AddTradeDetailLog(const std::string& text) {
    if (DetailLog) DetailLog(text);
}

void TTradeAPI::AppendTradeLogOnly(const std::string& text) { Lines.push_back(text); }

int CountErrorLines(const std::vector<std::string>& tradeLog) {
    int count = 0;
    for (const std::string& entry : tradeLog) {
        std::istringstream lines(entry);
        std::string line;
        while (std::getline(lines, line))
            if (ContainsNoCase(line, "error")) ++count;
    }
    return count;
}

bool TTradeAPI::UpdateAccount(pugi::xml_document* signal, pugi::xml_document& accounts,
                              const std::string& accountPath, TUpdateMode mode,
                              const TSessionEnvironment& environment) {
    ErrorCount = 0;
    AddTradeLog(kRule);
    AddTradeLog("[UpdateAccount] 処理開始");
    pugi::xml_node accountList = AccountsElement(accounts);
    pugi::xml_node signalSummary;
    if (mode == TUpdateMode::Trade) {
        // Without a signal every position would look out of scope and be closed.
        if (!signal) throw std::invalid_argument("a trade run needs a signal document");
        signalSummary = HoldPositionSummaryOf(*signal);
    }

    bool allAccountsOk = true;
    for (pugi::xml_node account : ChildElements(accountList)) {
        const AccountResult result =
            UpdateOneAccount(account, accounts, accountPath, signalSummary, mode, environment);
        if (result == AccountResult::Cancelled) return false;
        allAccountsOk = allAccountsOk && result == AccountResult::Ok;
    }

    ErrorCount += CountErrorLines(Lines);
    if (ErrorCount == 0)
        AddTradeLog("[重要] トレードログ内に、エラーはありません");
    else
        AddTradeLog("[重要] トレードログ内にて、エラーが" + Num(ErrorCount) + "件以上あります");
    UpdateAccountSummary(accounts, Now());
    const bool ok = ErrorCount == 0 && (mode != TUpdateMode::Trade || allAccountsOk);
    AddTradeLog(kRule);
    return ok;
}

TTradeAPI::AccountResult TTradeAPI::UpdateOneAccount(pugi::xml_node account,
                                                     pugi::xml_document& accounts,
                                                     const std::string& accountPath,
                                                     pugi::xml_node signalSummary, TUpdateMode mode,
                                                     const TSessionEnvironment& environment) {
    const std::string name = AccountName(account);
    if (!ChildBoolean(account, "Enabled")) {
        AddTradeLog(name + "はEnabledが有効になっておりません。次の口座へ移ります");
        return AccountResult::Ok;
    }
    // An amount that would size every order wrongly: no log-on, no trade.
    const TradeLogFunction log = [this](const std::string& text) { AddTradeLog(text); };
    // A mode that does not read is left to the sizing, which ends the run on it.
    if (mode == TUpdateMode::Trade && IsTrueText(ChildValue(account, "VirtualBalanceMode")) &&
        !VirtualFunds(account, log))
        return AccountResult::Failed;

    if (SelectBrokerFamily(name) == TBrokerFamily::None)
        AddTradeLog("[" + name + "] 口座名「" + name +
                    "」から証券会社を判別できません。口座名には 外為オンライン、FXブロードネット、LionFX、コスモ "
                    "のいずれかを含めてください");

    bool accountOk = false;
    for (int k = 1; k <= kAttempts && !accountOk; ++k) {
        // Read at every attempt: a password rotated by an earlier attempt is
        // the one in force now, and logging on with the old one first would
        // report a change again and rotate the roles back.
        const TSessionSettings settings = SessionSettingsFor(account, environment);
        const AttemptResult result =
            Attempt(k, settings, account, accounts, accountPath, signalSummary, mode, environment);
        if (result == AttemptResult::Cancelled) return AccountResult::Cancelled;
        accountOk = result == AttemptResult::Done;
    }
    if (Cancelled()) {
        LogCancel();
        return AccountResult::Cancelled;
    }
    if (mode == TUpdateMode::Trade && !accountOk)
        AddTradeLog("[" + name + "] [重要] Error! " + name +
                    "の処理は3回リトライしましたがポジションの調整が完了できませんでした。次の口座の処理へ進みます(" +
                    name + "への処理は後ほど再実行されます)");
    return accountOk ? AccountResult::Ok : AccountResult::Failed;
}

TSessionSettings TTradeAPI::SessionSettingsFor(pugi::xml_node account,
                                              const TSessionEnvironment& environment) {
    TSessionSettings s;
    s.UserName = AngouDecodeText(ChildValue(account, "UserName"));
    const std::string password = AngouDecodeText(ChildValue(account, "Password"));
    pugi::xml_node sub = ChildNode(account, "SubPassword");
    if (IsTextElement(sub)) {
        const std::string subPassword = AngouDecodeText(NodeText(sub));
        const bool first = EqualsNoCase(ChildValue(account, "NowPassword"), "Password");
        s.Password = first ? password : subPassword;
        s.SubPassword = first ? subPassword : password;
    } else {
        s.Password = password;
    }
    s.AccountBaseCurrency = ChildValue(account, "AccountBaseCurrency");
    s.AccountBaseUnitSize = ChildValue(account, "AccountBaseUnitSize");
    s.MinLotSize = ChildValue(account, "MinLotSize");
    s.MaxLotSize = ChildValue(account, "MaxLotSize");
    s.Slippage = ChildValue(account, "Slippage");
    s.LoginURL = "http" + AngouDecodeText(ChildValue(account, "LOU"));
    s.AccountName = AccountName(account);
    s.Proxy = environment.Proxy;
    s.OnLog = [this](const std::string& text) { AddTradeLog(text); };
    s.OnDetailLog = [this](const std::string& text) { AddTradeDetailLog(text); };
    s.OnReloading = environment.Watchdog;
    s.CancelFlag = &CancelFlag;
    s.Browsers = environment.Browsers;
    s.Host = environment.Host;
    return s;
}

TTradeAPI::AttemptResult TTradeAPI::Attempt(int k, const TSessionSettings& settings,
                                            pugi::xml_node account, pugi::xml_document& accounts,
                                            const std::string& accountPath,
                                            pugi::xml_node signalSummary, TUpdateMode mode,
                                            const TSessionEnvironment& environment) {
    const std::string& name = settings.AccountName;
    const std::string tag = "[" + name + "] ";
    if (Cancelled()) {
        LogCancel();
        return AttemptResult::Cancelled;
    }
    AddTradeLog(tag + name + "を立ち上げます(" + Num(k) + "回目)");
    TSessionPtr<> session =
        environment.Adapters ? environment.Adapters->Create(name, settings) : nullptr;
    if (!session) {
        // A log-on test that never reached a broker must not pass.
        if (mode == TUpdateMode::LogOnTest) ++ErrorCount;
        return AttemptResult::Retry;
    }

    if (!session->Active) {
        if (mode == TUpdateMode::LogOnTest) ++ErrorCount;
        AddTradeLog(tag + "ログイン及び口座情報取得に失敗しました。(" + Num(k) + "回目)");
        if (Cancelled()) {
            LogCancel();
            return AttemptResult::Cancelled;
        }
        if (k < kAttempts) AddTradeLog(tag + "一旦ログアウトしたのちリトライします(" + Num(k) + "回目)");
        return AttemptResult::Retry;
    }

    if (session->PasswordChanged) RotatePassword(account, accounts, accountPath, name);
    if (mode == TUpdateMode::Trade) CopyTodayToYesterday(account);
    if (!session->UpdateAccountInfo(ChildNode(account, "Today")))
        AddTradeLog(name + ".Error! 口座情報の更新に失敗しました");
    if (mode == TUpdateMode::LogOnTest) return AttemptResult::Done;

    if (Cancelled()) {
        LogCancel();
        return AttemptResult::Cancelled;
    }
    if (ChildBoolean(account, "VirtualBalanceMode"))
        AddTradeLog(tag + "仮想資産 = " +
                    FormatMoney(FormatDecimal(ChildDecimal(account, "VirtualBalance") + session->Balance),
                                "JPY", false));
    if (AdjustAccount(*session, accounts, accountPath, account, signalSummary))
        return AttemptResult::Done;
    if (k < kAttempts) {
        AddTradeLog(tag + "ポジション調整は完了していませんが不具合のためトレードを停止しました。");
        AddTradeLog(tag + "一旦ログアウトしたのちリトライします(" + Num(k) + "回目)");
    }
    return AttemptResult::Retry;
}

void TTradeAPI::RotatePassword(pugi::xml_node account, const pugi::xml_document& accounts,
                               const std::string& accountPath, const std::string& name) {
    pugi::xml_node now = ChildNode(account, "NowPassword");
    SetNodeText(now, ContainsNoCase(NodeText(now), "Sub") ? "Password" : "SubPassword");
    // The broker already runs on the new password: losing this change would
    // lock the account out at the next run, so a failed save is an error.
    if (::SaveAccountDocument(accounts, accountPath))
        AddTradeLog("[" + name + "] Passwordの変更を正常に保存しました");
    else
        AddTradeLog("[" + name + "] Error! Passwordの変更を保存できませんでした");
}
