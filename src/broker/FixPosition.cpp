// Moving a pair's net position at brokers that keep buy and sell positions
// side by side: close opposite positions (at most one of them partially),
// then open what remains. Any order of unknown outcome ends the move, since
// repeating it could double the trade.

#include "broker/TradeApiBase.h"

#include "base/AkUnit.h"
#include "broker/AdapterText.h"
#include "documents/DocumentValues.h"

#include <cstdlib>

namespace {

std::string Num(long long n) { return std::to_string(n); }

} // namespace

bool TTradeApiBase::FixPosition(const std::string& pair, bool buy, pugi::xml_node holding,
                                pugi::xml_node moved, int maxLotsPerOrder, int lots) {
    Log("このメッセージが表示される場合は、ご連絡ください(本来,XMLを直接変更しない限り出るはずのないエラーです)\r\n"
        " .FixPosition Error! " +
        AccountName +
        "は本来反対売買による決済が可能なので、FixPositionを実装していないのにFixPositionが呼ばれました。"
        "AcoXMLのCounterTradeIsCloseノードがTrueであるべきなのにFalseが指定されている可能性があります。"
        "よくご確認ください");
    return false;
}

bool TTradeApiBase::FixPositionByCloseThenOpen(const std::string& pair, bool buy,
                                               pugi::xml_node holding, pugi::xml_node moved,
                                               int maxLotsPerOrder, int lots) {
    try {
        Log("[FixPosition] EnumTicketを実行");
        DetailLog("■■ FixPosition In");
        if (lots < 1) return true;
        // An order size below one lot could never finish the opening loop.
        if (maxLotsPerOrder < 1) {
            Log("[FixPosition] Error! " + pair + " の1回の最大発注Lot数(MaxLotSize)が " +
                Num(maxLotsPerOrder) + " なので発注できません。口座設定を確認してください");
            return false;
        }
        TTicketArray tickets;
        if (!EnumTicket(tickets)) return false;

        long long remaining = lots;
        long long closed = 0;
        for (const TTicket& t : tickets) {
            if (EqualsNoCase(t.Pair, pair) && t.IsBuy != buy) {
                const long long u = ParseInt32(t.Units, "Units");
                const long long size = std::llabs(u);
                if (remaining < size) {
                    const long long c = u < 0 ? -remaining : remaining;
                    Log("[FixPosition] " + t.Ticket + ", " + t.Pair + ", " + t.OpenRate + ", " +
                        BuySell(t.IsBuy) + ", " + t.Units + " Lotのうち " + Num(c) + " Lot部分決済します");
                    if (!ClosePosition(t, static_cast<int>(std::llabs(c)))) {
                        Log("[FixPosition] Erorr! Ticket=" + t.Ticket + " " + BuySell(c > 0) + Num(c) +
                            " Lotの決済の成否が不明です。残り " + Num(remaining) +
                            " Lotの処理が残っていますが、重複を避けるため今回は処理を抜けます");
                        return false;
                    }
                    closed += std::llabs(c);
                    remaining -= std::llabs(c);
                    Log("[FixPosition] " + BuySell(c > 0) + " " + Num(c) + " Lotの部分決済に成功. 残り " +
                        Num(remaining) + " Lot");
                } else {
                    Log("[FixPosition] " + t.Ticket + ", " + t.Pair + ", " + t.OpenRate + ", " +
                        BuySell(t.IsBuy) + ", " + t.Units + " Lot を決済します");
                    if (!ClosePosition(t, -1)) {
                        Log("[FixPosition] Erorr! Ticket=" + t.Ticket + " " + BuySell(u > 0) + Num(u) +
                            " Unitsの決済の成否が不明です。残り " + Num(remaining) +
                            " Unitsの処理が残っていますが、重複を避けるため今回は処理を抜けます");
                        return false;
                    }
                    closed += size;
                    remaining -= size;
                    Log("[FixPosition] " + BuySell(u > 0) + " " + Num(u) + " Unitsの決済に成功. 残り調整は " +
                        Num(remaining) + " Lot");
                }
            }
            if (remaining <= 0) {
                Log("[FixPosition] 正常に " + Num(closed) + " Lot分の決済に成功。FixPositionを終了します");
                return true;
            }
        }

        if (closed > 0)
            Log("[FixPosition] " + BuySell(!buy) + "ポジションは全て決済したので、残り " + Num(remaining) +
                " Lotは " + BuySell(buy) + "Openします");
        else
            Log("[FixPosition] " + BuySell(!buy) + "ポジションはありませんので、" + Num(remaining) + " Lotを " +
                BuySell(buy) + "Openします");

        while (remaining > 0) {
            const long long n = std::min<long long>(maxLotsPerOrder, remaining);
            Log("[FixPosition] " + Num(n) + " Lotを " + BuySell(buy) + "Open");
            if (!OpenPosition(pair, buy, static_cast<int>(n), holding, moved, "ByFixPosition", 0)) {
                Log("[FixPosition] Error! " + pair + " " + Num(n) + " Lotの" + BuySell(buy) +
                    "Openの成否が不明です。重複を避けるため、次回実行時に再確認します");
                break;
            }
            remaining -= n;
            Log("[FixPosition] " + pair + " " + Num(n) + " Lotの " + BuySell(buy) + "Open に成功。残り " +
                Num(remaining) + " Lot");
            PauseAfterFixOrder();
        }
        Log("[FixPosition] FixPositionを終了します");
        DetailLog("■■ FixPosition Out");
        return remaining <= 0;
    } catch (...) {
        return false;
    }
}
