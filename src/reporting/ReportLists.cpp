#include "reporting/ReportLists.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/SignalDocument.h"
#include "reporting/SignalPositions.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace {

const char* const kCrLf = "\r\n";
const char* const kDots = "　…　";

std::string SystemLine(const std::string& pair, pugi::xml_node system)
{
    std::string line = "[" + pair + "] " + SignalName(system) + " … ";
    long long count = 0;
    long long slots = 0;
    TryParseInteger(AttributeValue(system, "PositionCount"), count);
    TryParseInteger(AttributeValue(system, "UseSystemCount"), slots);
    if (count == 0 || slots == 0)
        return line + "ノーポジション" + kCrLf;
    const double strength = std::fabs(static_cast<double>(count) / static_cast<double>(slots));
    return line + (count > 0 ? "Buy" : "Sell") + " " + FormatFactor(strength, 3) + " 倍" + kCrLf;
}

std::string TargetLine(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair, bool demoMode)
{
    const TSignalTarget target = SignalTargetOf(account, portfolio, signalPair, demoMode);
    std::string line = SignalName(signalPair);
    if (target.Lots != 0)
        line += kDots + std::string(target.Sum >= 0 ? "Buy" : "Sell") + " " + std::to_string(target.Lots) + " lot ";
    else
        line += kDots + std::string("ノーポジション ");
    return line + "(signal : " + MoneyText(FormatDecimal(target.BaseAmount), ChildValue(account, "AccountBaseCurrency")) +
           " x " + FormatFactor(std::fabs(target.Sum), 3) + " = " + std::to_string(RoundHalfAway(target.Units)) +
           " Units)" + kCrLf;
}

std::string HeldLine(pugi::xml_node account, const std::string& pair)
{
    const THeldPosition held = HeldPositionOf(account, pair);
    switch (held.state) {
    case THeldPosition::State::CheckFailed:
        return pair + kDots + "取得に失敗" + kCrLf;
    case THeldPosition::State::None:
        return pair + kDots + "ノーポジション" + kCrLf;
    case THeldPosition::State::Held:
        break;
    }
    return pair + kDots + held.trend + " " + held.units + " lot　(server : 平均 " + held.openRate + " で保有中)" + kCrLf;
}

std::string AccountPositionsLines(pugi::xml_node account)
{
    std::string lines;
    for (pugi::xml_node pair : ChildElements(account.child("Status").child("HoldPosition").child("Currency"))) {
        if (ChildElements(pair).empty())
            continue;
        if (lines.empty())
            lines = kCrLf;
        for (pugi::xml_node position : ChildElements(pair))
            if (ChildElements(position).size() > 1)
                lines += std::string(pair.name()) + " " + ChildValue(position, "OpenRate") + " " +
                         ChildValue(position, "Trend") + " , " + ChildValue(position, "Units") + kCrLf;
    }
    return lines.empty() ? std::string(" なし") + kCrLf : lines;
}

} // namespace

std::string MoneyText(const std::string& amount, const std::string& currency, bool plusSign)
{
    try {
        return FormatMoney(amount, currency, plusSign);
    } catch (const std::invalid_argument&) {
        return amount;
    }
}

std::string SignalListText(const std::string& signalPath)
{
    std::string text = std::string("■ シグナル一覧") + kCrLf + kCrLf;
    if (signalPath.empty())
        return text + "まだシグナルを一度も受信しておりません";
    pugi::xml_document signal;
    if (!LoadSignalDocument(signalPath, signal))
        return text;
    for (pugi::xml_node pair : SignalPairs(HoldPositionSummaryOf(signal)))
        for (pugi::xml_node system : SignalSystems(pair))
            text += SystemLine(SignalName(pair), system);
    return text;
}

std::string SignalPositionsText(const std::string& signalPath, pugi::xml_document& accounts, bool demoMode)
{
    const std::string fileName = signalPath.empty() ? "" : std::filesystem::path(signalPath).filename().string();
    std::string text = "■ シグナルポジション一覧 (適用シグナル " + fileName + ")" + kCrLf;
    if (signalPath.empty())
        return text + "まだ自動売買を一度も実行しておりません";
    const std::vector<pugi::xml_node> list = AccountElements(accounts);
    if (list.empty())
        return text + "口座がまだ登録されておりません";
    pugi::xml_document signal;
    LoadSignalDocument(signalPath, signal);
    const std::vector<pugi::xml_node> pairs = SignalPairs(HoldPositionSummaryOf(signal));
    const pugi::xml_node portfolio = PortfolioElement(accounts);
    for (pugi::xml_node account : list) {
        const pugi::xml_attribute stamp = account.child("Status").child("HoldPosition").first_attribute();
        text += kCrLf + ("[" + AccountName(account) + "] ") + stamp.value() + kCrLf;
        for (pugi::xml_node pair : pairs)
            text += TargetLine(account, portfolio, pair, demoMode) + HeldLine(account, SignalName(pair));
    }
    return text;
}

std::string AllPositionsText(pugi::xml_document& accounts)
{
    std::string text = std::string("■全ポジション一覧") + kCrLf + kCrLf;
    const std::vector<pugi::xml_node> list = AccountElements(accounts);
    if (list.empty())
        return text + "口座がまだ登録されておりません";
    for (pugi::xml_node account : list)
        text += "[" + AccountName(account) + "]" + AccountPositionsLines(account) + kCrLf;
    return text;
}
