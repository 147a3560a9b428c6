#pragma once
// The account list operations of the settings screens. Each one loads
// Setting/Account.xml, changes it and saves it at once.

#include "base/Clock.h"
#include "documents/AccountDocument.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

// The broker labels of the template's entries, in order.
std::vector<std::string> TemplateBrokerNames(const pugi::xml_document& accountTemplate);

// Copies the template entry named `brokerName` (without regard to case) into
// Accounts, with a new UniqueNumber and without "Replace::" markers. False
// when there is no such entry or a file fails.
bool AddAccountFromTemplate(const std::string& brokerName, const DateTime& now,
                            const std::string& accountPath = AccountDocumentPath(),
                            const std::string& templatePath = AccountTemplatePath());

// Deletes the account at `index` and its leverage element from every portfolio item.
bool DeleteAccount(int index, const std::string& accountPath = AccountDocumentPath());

// Moves the account at `index` one place; nothing happens (false) at the ends.
bool MoveAccountUp(int index, const std::string& accountPath = AccountDocumentPath());
bool MoveAccountDown(int index, const std::string& accountPath = AccountDocumentPath());
