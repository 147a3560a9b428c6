#pragma once
// The account document Setting/Account.xml and its template: paths, loading,
// saving, creation, and the accessors every operation shares. No copy lives
// beyond one operation: load, change, save.

#include "base/Clock.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

std::string AccountDocumentPath();  // <program>/Setting/Account.xml
std::string AccountTemplatePath();  // <program>/Setting/AccountTemplate.xml

bool LoadAccountDocument(pugi::xml_document& doc, const std::string& path = AccountDocumentPath());
bool SaveAccountDocument(const pugi::xml_document& doc, const std::string& path = AccountDocumentPath());

// A new account document from the template: root "root" holding a copy of the
// template's AccountSummary, an empty Portfolio and an empty Accounts.
void BuildAccountDocument(const pugi::xml_document& accountTemplate, pugi::xml_document& doc);
// Builds and saves it at `path` unless a file is already there.
bool CreateAccountDocumentFile(const pugi::xml_document& accountTemplate,
                               const std::string& path = AccountDocumentPath());

// The document element (whatever its name); children are looked up (created).
pugi::xml_node DocumentRoot(pugi::xml_document& doc);
pugi::xml_node AccountsElement(pugi::xml_document& doc);
pugi::xml_node PortfolioElement(pugi::xml_document& doc);
pugi::xml_node AccountSummaryElement(pugi::xml_document& doc);

std::vector<pugi::xml_node> AccountElements(pugi::xml_document& doc);
// The account at `index` under Accounts, or a null node.
pugi::xml_node AccountAt(pugi::xml_document& doc, int index);

std::string AccountName(pugi::xml_node account);
std::string UniqueNumberOf(pugi::xml_node account);
// "UN" + UniqueNumber: the account's leverage element in every portfolio item.
std::string LeverageElementName(pugi::xml_node account);
// AccountBaseCurrency "JPY" in any letter case; anything else is a dollar account.
bool IsYenAccount(pugi::xml_node account);

// The time an account is added, as its identity: days since 1899-12-30.
std::string NewUniqueNumber(const DateTime& now);

// The groups of Portfolio and the items of a group, in document order.
std::vector<pugi::xml_node> PortfolioGroups(pugi::xml_node portfolio);
std::vector<pugi::xml_node> PortfolioItems(pugi::xml_node group);
// The item of the portfolio (pair, system), names compared without regard to
// case: the first matching item of the first group of that pair that has one.
pugi::xml_node FindPortfolioItem(pugi::xml_node portfolio, const std::string& pair, const std::string& system);
