#include "trading/LeverageRows.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"

const char* const kAutoLeverageSuffix = " (Auto)";
const char* const kDemoUnavailableRowCaption = "Demoモードではご利用になれません";

namespace {

pugi::xml_node HiddenLeverageElement(pugi::xml_node item, pugi::xml_node account)
{
    pugi::xml_node leverage = ChildNode(item, LeverageElementName(account));
    MarkHidden(leverage);
    return leverage;
}

bool FollowsModelCase(pugi::xml_node account)
{
    bool value = false;
    return TryParseBoolean(ChildValue(account, "AutoModelCase"), value) && value;
}

std::string ShownLeverage(pugi::xml_node item, pugi::xml_node account, bool realMode)
{
    if (FollowsModelCase(account)) {
        const char* model = realMode ? "RealModel" : "DemoModel";
        const double leverage =
            ParseDecimal(AttributeValue(item, model), model) * ChildDecimal(account, "AutoModelRatio");
        return FormatDecimal(leverage) + kAutoLeverageSuffix;
    }
    pugi::xml_node leverage = HiddenLeverageElement(item, account);
    return IsTextElement(leverage) ? NodeText(leverage) : "0";
}

std::string WithoutTrailingPoint(std::string value)
{
    if (!value.empty() && value.back() == '.') value.pop_back();
    return value;
}

} // namespace

pugi::xml_node FindPortfolioEntry(pugi::xml_node portfolio, const std::string& pair, const std::string& system)
{
    return FindChildByName(FindChildByName(portfolio, pair), system);
}

std::vector<TLeverageRow> ReadLeverageRows(pugi::xml_document& doc, const std::string& pair,
                                           const std::string& system, bool realMode)
{
    pugi::xml_node item = FindPortfolioEntry(PortfolioElement(doc), pair, system);
    if (!realMode && !IsTrueText(AttributeValue(item, "Demo"))) return {{kDemoUnavailableRowCaption, ""}};
    std::vector<TLeverageRow> rows;
    if (!item) return rows;
    for (pugi::xml_node account : AccountElements(doc))
        rows.push_back({AccountName(account), ShownLeverage(item, account, realMode)});
    return rows;
}

bool WriteLeverageRows(const std::string& pair, const std::string& system, const std::vector<std::string>& values,
                       const std::string& accountPath)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc, accountPath)) return false;
    pugi::xml_node item = FindPortfolioEntry(PortfolioElement(doc), pair, system);
    if (!item) return false;
    const std::vector<pugi::xml_node> accounts = AccountElements(doc);
    for (size_t r = 0; r < accounts.size(); ++r) {
        const std::string value = r < values.size() ? values[r] : "";
        if (value.empty()) return false;
        if (value.find(kAutoLeverageSuffix) != std::string::npos) continue;
        SetNodeText(HiddenLeverageElement(item, accounts[r]), WithoutTrailingPoint(value));
    }
    return SaveAccountDocument(doc, accountPath);
}
