#include "trading/AccountOperations.h"

#include "trading/TemplateMerge.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"

std::vector<std::string> TemplateBrokerNames(const pugi::xml_document& accountTemplate)
{
    std::vector<std::string> names;
    for (pugi::xml_node entry : ChildElements(TemplateAccounts(accountTemplate)))
        names.push_back(AttributeValue(entry, "Name"));
    return names;
}

// The day count of `now`, moved on by a millisecond at a time while another
// account already holds it: two adds within one millisecond must not share
// an identity, or they would share their leverages.
static std::string UnusedUniqueNumber(pugi::xml_document& doc, const DateTime& now)
{
    constexpr double kMillisecond = 1.0 / 86400000.0;
    const std::vector<pugi::xml_node> accounts = AccountElements(doc);
    const auto taken = [&](const std::string& number) {
        for (pugi::xml_node account : accounts)
            if (UniqueNumberOf(account) == number) return true;
        return false;
    };
    double days = ToDayCount(now);
    while (taken(NewUniqueNumber(FromDayCount(days))))
        days += kMillisecond;
    return NewUniqueNumber(FromDayCount(days));
}

bool AddAccountFromTemplate(const std::string& brokerName, const DateTime& now, const std::string& accountPath,
                            const std::string& templatePath)
{
    pugi::xml_document accountTemplate;
    pugi::xml_document doc;
    if (!LoadXmlFile(templatePath, accountTemplate) || !LoadAccountDocument(doc, accountPath)) return false;
    pugi::xml_node entry = FindChildByName(TemplateAccounts(accountTemplate), brokerName);
    if (!entry) return false;

    pugi::xml_node uniqueNumber = entry.append_child("UniqueNumber");
    SetNodeText(uniqueNumber, UnusedUniqueNumber(doc, now));
    MarkHidden(uniqueNumber);
    RemoveReplaceMarkers(entry);
    AccountsElement(doc).append_copy(entry);
    return SaveAccountDocument(doc, accountPath);
}

bool DeleteAccount(int index, const std::string& accountPath)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc, accountPath)) return false;
    pugi::xml_node account = AccountAt(doc, index);
    if (!account) return false;
    const std::string leverageName = LeverageElementName(account);
    for (pugi::xml_node group : PortfolioGroups(PortfolioElement(doc)))
        for (pugi::xml_node item : PortfolioItems(group))
            while (item.remove_child(leverageName.c_str())) {
            }
    AccountsElement(doc).remove_child(account);
    return SaveAccountDocument(doc, accountPath);
}

bool MoveAccountUp(int index, const std::string& accountPath)
{
    pugi::xml_document doc;
    if (index <= 0 || !LoadAccountDocument(doc, accountPath)) return false;
    pugi::xml_node account = AccountAt(doc, index);
    if (!account) return false;
    AccountsElement(doc).insert_move_before(account, AccountAt(doc, index - 1));
    return SaveAccountDocument(doc, accountPath);
}

bool MoveAccountDown(int index, const std::string& accountPath)
{
    pugi::xml_document doc;
    if (index < 0 || !LoadAccountDocument(doc, accountPath)) return false;
    pugi::xml_node account = AccountAt(doc, index);
    pugi::xml_node next = AccountAt(doc, index + 1);
    if (!account || !next) return false;
    AccountsElement(doc).insert_move_after(account, next);
    return SaveAccountDocument(doc, accountPath);
}
