#include "documents/AccountDocument.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"

#include <filesystem>

std::string AccountDocumentPath()
{
    return ProgramPath("Setting/Account.xml");
}

std::string AccountTemplatePath()
{
    return ProgramPath("Setting/AccountTemplate.xml");
}

bool LoadAccountDocument(pugi::xml_document& doc, const std::string& path)
{
    return LoadXmlFile(path, doc);
}

bool SaveAccountDocument(const pugi::xml_document& doc, const std::string& path)
{
    return SaveXmlFile(doc, path);
}

void BuildAccountDocument(const pugi::xml_document& accountTemplate, pugi::xml_document& doc)
{
    doc.reset();
    pugi::xml_node root = doc.append_child("root");
    pugi::xml_node summary = accountTemplate.document_element().child("AccountSummary");
    if (summary) root.append_copy(summary);
    else root.append_child("AccountSummary");
    root.append_child("Portfolio");
    root.append_child("Accounts");
}

bool CreateAccountDocumentFile(const pugi::xml_document& accountTemplate, const std::string& path)
{
    std::error_code error;
    if (std::filesystem::exists(path, error)) return true;
    pugi::xml_document doc;
    BuildAccountDocument(accountTemplate, doc);
    return SaveAccountDocument(doc, path);
}

pugi::xml_node DocumentRoot(pugi::xml_document& doc)
{
    pugi::xml_node root = doc.document_element();
    return root ? root : doc.append_child("root");
}

pugi::xml_node AccountsElement(pugi::xml_document& doc)
{
    return ChildNode(DocumentRoot(doc), "Accounts");
}

pugi::xml_node PortfolioElement(pugi::xml_document& doc)
{
    return ChildNode(DocumentRoot(doc), "Portfolio");
}

pugi::xml_node AccountSummaryElement(pugi::xml_document& doc)
{
    return ChildNode(DocumentRoot(doc), "AccountSummary");
}

std::vector<pugi::xml_node> AccountElements(pugi::xml_document& doc)
{
    return ChildElements(AccountsElement(doc));
}

pugi::xml_node AccountAt(pugi::xml_document& doc, int index)
{
    std::vector<pugi::xml_node> accounts = AccountElements(doc);
    if (index < 0 || index >= static_cast<int>(accounts.size())) return {};
    return accounts[static_cast<size_t>(index)];
}

std::string AccountName(pugi::xml_node account)
{
    return AttributeValue(account, "Name");
}

std::string UniqueNumberOf(pugi::xml_node account)
{
    return ChildValue(account, "UniqueNumber");
}

std::string LeverageElementName(pugi::xml_node account)
{
    return "UN" + UniqueNumberOf(account);
}

bool IsYenAccount(pugi::xml_node account)
{
    return EqualsNoCase(ChildValue(account, "AccountBaseCurrency"), "JPY");
}

std::string NewUniqueNumber(const DateTime& now)
{
    return FormatDecimal(ToDayCount(now));
}

std::vector<pugi::xml_node> PortfolioGroups(pugi::xml_node portfolio)
{
    return ChildElements(portfolio);
}

std::vector<pugi::xml_node> PortfolioItems(pugi::xml_node group)
{
    return ChildElements(group);
}

pugi::xml_node FindPortfolioItem(pugi::xml_node portfolio, const std::string& pair, const std::string& system)
{
    for (pugi::xml_node group : PortfolioGroups(portfolio)) {
        if (!EqualsNoCase(AttributeValue(group, "Name"), pair)) continue;
        pugi::xml_node item = FindChildByName(group, system);
        if (item) return item;
    }
    return {};
}
