// Bringing one logged-on account to the signal: read its net lots, compute
// the targets, order the differences pair by pair, then have the adapter
// check every single position and save the account document.

#include "trading/TradeAPI.h"

#include "base/AkUnit.h"
#include "trading/Sizing.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kSaveTries = 10;
// Between orders the broker's site gets time to settle; the window stays live.
constexpr int kPauseAfterOrder = 100;

std::string Num(long long n) { return std::to_string(n); }
std::string Side(bool buy) { return buy ? "Buy" : "Sell"; }

const TUnitSize* FindServerLots(const TUnitSizeArray& server, const std::string& pair) {
    auto it = std::find_if(server.begin(), server.end(),
                           [&](const TUnitSize& u) { return EqualsNoCase(u.Pair, pair); });
    return it == server.end() ? nullptr : &*it;
}

void RemoveChildren(pugi::xml_node node) {
    while (node.first_child()) node.remove_child(node.first_child());
}

} // namespace

bool TTradeAPI::AdjustAccount(TTradeApiBase& api, pugi::xml_document& accounts,
                              const std::string& accountPath, pugi::xml_node account,
                              pugi::xml_node signalSummary) {
    const std::string name = AccountName(account);
    const std::string tag = "[" + name + "] ";
    AddTradeLog(tag + "実際の取引処理を開始します");
    pugi::xml_node portfolio = PortfolioElement(accounts);
    pugi::xml_node holding = ChildPath(account, {"Status", "HoldPosition"});
    pugi::xml_node moved = ChildPath(account, {"Status", "MovedPosition"});
    RemoveChildren(moved);

    TUnitSizeArray server;
    if (!api.EnumUnits(server)) {
        AddTradeLog(tag + "EnumUnitsで何らかのエラーが発生しました。このアカウントを一旦スルーします");
        return false;
    }
    if (Cancelled()) {
        LogCancel();
        return false;
    }
    TUnitSizeArray targets;
    const TradeLogFunction log = [this](const std::string& text) { AddTradeLog(text); };
    if (!ComputeTargets(account, portfolio, signalSummary, api.Balance, RealMode, CancelFlag, log,
                        targets)) {
        LogCancel();
        return false;
    }

    AddTradeLog(tag + "シグナルに従ってポジションを調整します");
    for (const TUnitSize& target : targets) {
        if (Cancelled()) {
            LogCancel();
            return false;
        }
        AdjustPair(api, account, target, server, holding, moved);
    }

    AddTradeLog(tag + "==========");
    AddTradeLog(tag + "シグナルによるポジション調整を終了しました");
    AddTradeLog(tag + "最後に、サーバー上のポジションとシグナルとが一致しているか、個々のポジションから確認します");
    AddTradeLog(tag + "またその時、対象外の通貨でポジションを発見した場合、手仕舞いします");
    const bool matches = api.EnumTicketEx(holding, signalSummary, targets);
    if (matches)
        AddTradeLog(tag + "[重要] " + name + "のLot数は、シグナル指示とサーバー上とが【完全に一致】しています");
    else
        AddTradeLog(tag + "[重要] " + name + "のLot数は、シグナル指示とサーバー上とに【ズレがあります】");
    const bool saved = SaveAccountDocument(accounts, accountPath, name);
    AddTradeLog(tag + "この口座の処理を終えます");
    return matches && saved;
}

void TTradeAPI::AdjustPair(TTradeApiBase& api, pugi::xml_node account, const TUnitSize& target,
                           const TUnitSizeArray& server, pugi::xml_node holding,
                           pugi::xml_node moved) {
    const std::string tag = "[" + AccountName(account) + "] ";
    const std::string& pair = target.Pair;
    AddTradeLog(tag + "==========");
    long long diff = target.Lots;
    if (const TUnitSize* onServer = FindServerLots(server, pair)) {
        AddTradeLog(tag + pair + " ServerLots = " + Num(onServer->Lots) + " Lot");
        diff = static_cast<long long>(target.Lots) - onServer->Lots;
    } else {
        AddTradeLog(tag + pair + " のServerLotsはありません。ServerLots = 0として処理を進めます");
    }
    const bool buy = diff >= 0;
    const long long amount = std::llabs(diff);
    AddTradeLog(tag + pair + " SignalLots = " + Num(target.Lots) + " Lot");
    if (amount == 0) {
        AddTradeLog(tag + pair + " のServerとSignalのLot数は一致しています。次の通貨へ進みます");
        return;
    }
    if (IsTrueText(ChildValue(account, "CounterTradeIsClose")))
        OpenInChunks(api, account, pair, buy, static_cast<int>(amount), holding, moved);
    else
        FixByAdapter(api, account, target, buy, static_cast<int>(amount), holding, moved);
    AddTradeLog(tag + pair + " のトレードを終えました。次の通貨へ進みます");
}

void TTradeAPI::OpenInChunks(TTradeApiBase& api, pugi::xml_node account, const std::string& pair,
                             bool buy, int amount, pugi::xml_node holding, pugi::xml_node moved) {
    const std::string tag = "[" + AccountName(account) + "] ";
    const std::string side = Side(buy);
    AddTradeLog(tag + "新規に、" + pair + " 合計 " + Num(amount) + "Lotを " + side + "Open します");
    while (amount > 0) {
        const int maxLots = ChildInt32(account, "MaxLotSize");
        // An order size below one lot would never finish the amount.
        if (maxLots < 1) {
            AddTradeLog(tag + pair + " Error! MaxLotSize = " + Num(maxLots) +
                        " では発注できません。口座設定を確認してください");
            return;
        }
        const int chunk = std::min(maxLots, amount);
        AddTradeLog(tag + pair + " " + Num(chunk) + " Lotを " + side + "Open");
        if (!api.OpenPosition(pair, buy, chunk, holding, moved, "MergePosition", 0)) {
            AddTradeLog(tag + pair + " " + Num(chunk) + " Lotの " + side +
                        "Openの成否が不明。念のためこの通貨の処理を抜けます（後に実行するEnumTicketExをパスすれば問題ありません)");
            return;
        }
        AddTradeLog(tag + pair + " " + Num(chunk) + " Lotの " + side + "Open に成功");
        PumpMessages(kPauseAfterOrder);
        amount -= chunk;
    }
}

void TTradeAPI::FixByAdapter(TTradeApiBase& api, pugi::xml_node account, const TUnitSize& target,
                             bool buy, int amount, pugi::xml_node holding, pugi::xml_node moved) {
    const std::string tag = "[" + AccountName(account) + "] ";
    const std::string& pair = target.Pair;
    AddTradeLog(tag + "新規に、" + Side(buy) + "方向へ合計 " + Num(amount) + " Lot " +
                "ポジションを動かし、ServerLotsとSignalLotsを一致させます");
    const int maxLots = ChildInt32(account, "MaxLotSize");
    if (!api.FixPosition(pair, buy, holding, moved, maxLots, amount)) {
        AddTradeLog(tag + "[FixPosition] " + pair + " " + Num(amount) +
                    " Lotの部分決済および新規発注の成否が不明。念のためこの通貨の処理を抜けます（後に実行するEnumTicketExをパスすれば問題ありません)");
        return;
    }
    AddTradeLog(tag + "[FixPosition] " + pair + " で、" + Side(target.Lots >= 0) + " " +
                Num(std::llabs(static_cast<long long>(target.Lots))) + " Lotに調整する事に成功");
    PumpMessages(kPauseAfterOrder);
}

bool TTradeAPI::SaveAccountDocument(const pugi::xml_document& accounts,
                                    const std::string& accountPath, const std::string& name) {
    const std::string tag = "[" + name + "] ";
    const std::string of = "/" + Num(kSaveTries) + ")";
    for (int k = 1; k <= kSaveTries; ++k) {
        PumpMessages(10);
        bool saved = ::SaveAccountDocument(accounts, accountPath);
        PumpMessages(50);
        saved = saved && ::SaveAccountDocument(accounts, accountPath);
        PumpMessages(5);
        if (saved) {
            AddTradeLog(tag + "[重要] " + name + "の口座情報を保存しました(" + Num(k) + of);
            return true;
        }
        AddTradeLog(tag + name + "の口座情報の取得に失敗しました。リトライします(" + Num(k) + of);
    }
    AddTradeLog(tag + "[重要] Error! " + name + "の口座情報の取得に失敗しました。次回再度取得します");
    return false;
}
