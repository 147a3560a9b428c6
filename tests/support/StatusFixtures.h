#pragma once
// What the status pages are drawn from, written into a program folder: an
// account document, a stored signal and a balance history. Qt-free, for the
// unit tests, the window tests and the benchmark alike.

#include "base/AkUnit.h"
#include "reporting/BalanceHistory.h"
#include "reporting/HtmlReadme.h"
#include "support/ScratchFiles.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace statusfixture {

struct Account {
    std::string name = "LionFX";
    std::string unique = "1";
    std::string currency = "JPY";
    std::string balance = "1000000";
    std::string unitSize = "1000";
    std::string minLot = "1";
    std::string virtualMode = "False";
    std::string virtualBalance = "0";
    std::string holdPosition; // the content of Status/HoldPosition
};

struct System {
    std::string pair;
    std::string name;
    int positionCount = 0;
    int useSystemCount = 1;
    std::map<std::string, std::string> leverages; // per account unique number
};

inline std::string AccountXml(const Account& a)
{
    return "<Account Name=\"" + a.name + "\"><AccountBaseCurrency>" + a.currency +
           "</AccountBaseCurrency><AccountBaseUnitSize>" + a.unitSize + "</AccountBaseUnitSize><MinLotSize>" +
           a.minLot + "</MinLotSize><AutoModelCase>False</AutoModelCase><AutoModelRatio>1</AutoModelRatio>"
           "<VirtualBalanceMode>" + a.virtualMode + "</VirtualBalanceMode><VirtualBalance>" + a.virtualBalance +
           "</VirtualBalance><Today><Balance>" + a.balance + "</Balance><BalancePL>" + a.balance +
           "</BalancePL><PL>0</PL></Today><Status><HoldPosition>" + a.holdPosition +
           "</HoldPosition></Status><UniqueNumber>" + a.unique + "</UniqueNumber></Account>";
}

// Portfolio groups in the order their pairs first appear among the systems.
inline std::string AccountDocumentXml(const std::vector<Account>& accounts, const std::vector<System>& systems)
{
    std::vector<std::string> pairs;
    for (const System& s : systems)
        if (std::find(pairs.begin(), pairs.end(), s.pair) == pairs.end()) pairs.push_back(s.pair);
    std::string xml = "<root><AccountSummary><Today><Balance>2000000</Balance><BalancePL>2100000</BalancePL>"
                      "<PL>100000</PL></Today><LatestUpdate>2024/01/05 9:30</LatestUpdate></AccountSummary><Portfolio>";
    for (const std::string& pair : pairs) {
        xml += "<Group Name=\"" + pair + "\">";
        for (const System& s : systems) {
            if (s.pair != pair) continue;
            xml += "<Item Name=\"" + s.name + "\" RealModel=\"1\" DemoModel=\"1\">";
            for (const auto& [unique, leverage] : s.leverages) xml += "<UN" + unique + ">" + leverage + "</UN" + unique + ">";
            xml += "</Item>";
        }
        xml += "</Group>";
    }
    xml += "</Portfolio><Accounts>";
    for (const Account& a : accounts) xml += AccountXml(a);
    return xml + "</Accounts></root>";
}

inline std::string SignalXml(const std::vector<System>& systems)
{
    std::string xml = "<Signal><HoldPositionSummary>";
    std::string open;
    for (const System& s : systems) {
        if (s.pair != open) {
            xml += (open.empty() ? "" : "</" + open + ">") + "<" + s.pair + ">";
            open = s.pair;
        }
        xml += "<" + s.name + " UseSystemCount=\"" + std::to_string(s.useSystemCount) + "\" PositionCount=\"" +
               std::to_string(s.positionCount) + "\"/>";
    }
    return xml + (open.empty() ? "" : "</" + open + ">") + "</HoldPositionSummary></Signal>";
}

// `days` balance lines from 2016/1/1 on, rising and falling.
inline std::string HistoryText(int days)
{
    std::string text;
    for (int i = 0; i < days; ++i) {
        const int year = 2016 + i / 336;
        const int month = i / 28 % 12 + 1;
        const int day = i % 28 + 1;
        const long long amount = 3000000 + (i % 90) * 12000 - (i % 37) * 9000 + i * 800;
        text += std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day) + ", " +
                std::to_string(amount) + "\r\n";
    }
    return text;
}

// The program folder the pages read: Setting/Account.xml, a stored signal and
// the balance history.
struct Program {
    explicit Program(const std::string& folder) : folder_(folder) { SetProgramFolder(folder); }

    TStatusPageContext Context(int panelWidth = 600) const
    {
        TStatusPageContext context;
        context.AccountPath = folder_ + "Setting/Account.xml";
        context.SignalPath = signalPath_;
        context.PanelWidth = panelWidth;
        context.BrowserHeight = 400;
        context.WebBase = "http://127.0.0.1:9/";
        return context;
    }
    void WriteAccounts(const std::vector<Account>& accounts, const std::vector<System>& systems) const
    {
        Write("Setting/Account.xml", AccountDocumentXml(accounts, systems));
    }
    void WriteSignal(const std::string& xml)
    {
        signalPath_ = folder_ + "AutoTrade/SignalLog/2024/0105.xml";
        Write("AutoTrade/SignalLog/2024/0105.xml", xml);
    }
    void WriteHistory(const std::string& text) const { Write("AutoTrade/AccountLog/Balance.csv", text); }
    // The daily snapshot AutoTrade/AccountLog/<year>/<monthDay>.xml with that total valuation.
    void WriteSnapshot(const std::string& year, const std::string& monthDay, long long valuation) const
    {
        Write("AutoTrade/AccountLog/" + year + "/" + monthDay + ".xml",
              "<root><AccountSummary><Today><BalancePL>" + std::to_string(valuation) +
                  "</BalancePL></Today></AccountSummary></root>");
    }
    void Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(folder_ + relative).parent_path());
        testsupport::WriteFileBytes(folder_ + relative, bytes);
    }
    const std::string& SignalPath() const { return signalPath_; }

private:
    std::string folder_;
    std::string signalPath_;
};

} // namespace statusfixture
