#pragma once
// Building blocks of the engine tests: a captured log, sessions at the
// in-memory broker, and account and signal documents written as XML text.

#include "base/Angou.h"
#include "broker/TradeApiBase.h"
#include "fakes/InMemoryBroker.h"
#include "documents/XmlFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace enginetest {

struct LogCapture {
    std::vector<std::string> lines;
    SessionLog Sink() {
        return [this](const std::string& text) { lines.push_back(text); };
    }
    bool Has(const std::string& text) const {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
    int CountContaining(const std::string& part) const {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.find(part) != std::string::npos;
        }));
    }
};

inline TSessionSettings Settings(const std::string& name, LogCapture& log, const bool* cancel = nullptr) {
    TSessionSettings s;
    s.UserName = "user";
    s.Password = "pw1";
    s.AccountName = name;
    s.MinLotSize = "1";
    s.MaxLotSize = "10";
    s.AccountBaseUnitSize = "10000";
    s.AccountBaseCurrency = "JPY";
    s.OnLog = log.Sink();
    s.CancelFlag = cancel;
    return s;
}

inline TSessionPtr<InMemoryBroker> Session(std::shared_ptr<InMemoryBook> book, LogCapture& log,
                                           const std::string& name = "外為オンライン") {
    return TTradeApiBase::Create<InMemoryBroker>(Settings(name, log), book);
}

// One account of the document. Its leverages are per "PAIR/System".
struct AccountSpec {
    std::string name;
    std::string unique;
    bool counterTradeIsClose = true;
    std::string maxLot = "10";
    std::string enabled = "True";
    std::string password = "pw1";
    std::string subPassword;  // empty: no SubPassword element
    std::string nowPassword = "Password";
    std::string virtualBalanceMode = "False";
    std::string virtualBalance = "0";
    std::map<std::string, std::string> leverages;
};

struct SignalSystem {
    std::string pair;
    std::string system;
    int positionCount;
    int useSystemCount;
};

inline std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

inline std::string Scrambled(const std::string& text) { return Escaped(AngouEncodeText(text)); }

inline std::string AccountXml(const AccountSpec& a) {
    std::string xml = "<Account Name=\"" + a.name + "\">";
    xml += "<Enabled>" + a.enabled + "</Enabled>";
    xml += "<UserName>" + Scrambled("user") + "</UserName>";
    xml += "<Password>" + Scrambled(a.password) + "</Password>";
    if (!a.subPassword.empty()) xml += "<SubPassword>" + Scrambled(a.subPassword) + "</SubPassword>";
    xml += "<NowPassword>" + a.nowPassword + "</NowPassword>";
    xml += "<LOU>" + Scrambled("://127.0.0.1/login") + "</LOU>";
    xml += "<AccountBaseCurrency>JPY</AccountBaseCurrency><AccountBaseUnitSize>10000</AccountBaseUnitSize>";
    xml += "<MinLotSize>1</MinLotSize><MaxLotSize>" + a.maxLot + "</MaxLotSize><Slippage>3</Slippage>";
    xml += std::string("<CounterTradeIsClose>") + (a.counterTradeIsClose ? "True" : "False") +
           "</CounterTradeIsClose>";
    xml += "<AutoModelCase>False</AutoModelCase><AutoModelRatio>1</AutoModelRatio>";
    xml += "<VirtualBalanceMode>" + a.virtualBalanceMode + "</VirtualBalanceMode>";
    xml += "<VirtualBalance>" + Escaped(a.virtualBalance) + "</VirtualBalance>";
    xml += "<Today><Balance>5</Balance><BalancePL>6</BalancePL><PL>1</PL><PositionCount>2</PositionCount></Today>";
    xml += "<Yesterday><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL><PositionCount>0</PositionCount></Yesterday>";
    xml += "<Status><HoldPosition/><MovedPosition><Old/></MovedPosition></Status>";
    xml += "<UniqueNumber Visible=\"False\">" + a.unique + "</UniqueNumber></Account>";
    return xml;
}

// Portfolio groups and items come from the signal's systems; each account's
// leverage for a system is taken from its spec (none: no leverage element).
inline std::string AccountDocumentXml(const std::vector<AccountSpec>& accounts,
                                      const std::vector<SignalSystem>& systems) {
    std::map<std::string, std::vector<std::string>> groups;
    std::vector<std::string> order;
    for (const SignalSystem& s : systems) {
        if (!groups.count(s.pair)) order.push_back(s.pair);
        groups[s.pair].push_back(s.system);
    }
    std::string xml = "<root><AccountSummary><Today><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL>"
                      "</Today><Yesterday/><LatestUpdate/></AccountSummary><Portfolio>";
    for (const std::string& pair : order) {
        xml += "<Group Name=\"" + pair + "\">";
        for (const std::string& system : groups[pair]) {
            xml += "<Item Name=\"" + system + "\" Demo=\"True\" RealModel=\"1\" DemoModel=\"1\" MaxPosi=\"0\">";
            for (const AccountSpec& a : accounts) {
                auto lev = a.leverages.find(pair + "/" + system);
                if (lev != a.leverages.end())
                    xml += "<UN" + a.unique + " Visible=\"False\">" + lev->second + "</UN" + a.unique + ">";
            }
            xml += "</Item>";
        }
        xml += "</Group>";
    }
    xml += "</Portfolio><Accounts>";
    for (const AccountSpec& a : accounts) xml += AccountXml(a);
    return xml + "</Accounts></root>";
}

inline std::string SignalXml(const std::vector<SignalSystem>& systems) {
    std::string xml = "<Signal><FileName>0105.xml</FileName><HoldPositionSummary>";
    std::string open;
    for (const SignalSystem& s : systems) {
        if (s.pair != open) {
            if (!open.empty()) xml += "</" + open + ">";
            xml += "<" + s.pair + ">";
            open = s.pair;
        }
        xml += "<" + s.system + " UseSystemCount=\"" + std::to_string(s.useSystemCount) +
               "\" PositionCount=\"" + std::to_string(s.positionCount) + "\"/>";
    }
    if (!open.empty()) xml += "</" + open + ">";
    return xml + "</HoldPositionSummary><HoldPosition/></Signal>";
}

inline void Parse(const std::string& xml, pugi::xml_document& doc) {
    ASSERT_TRUE(ParseXmlBytes(xml, doc)) << xml;
}

} // namespace enginetest
