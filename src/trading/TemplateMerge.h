#pragma once
// Merging the service's account template into the account document: the
// portfolio catalogue follows the template, and template values marked
// "Replace::" overwrite the accounts' values.

#include "documents/AccountDocument.h"

#include <pugixml.hpp>

#include <functional>
#include <string>

using OperationLog = std::function<void(const std::string&)>;
// Receives the template's Bin element (the helper-program list).
using HelperProgramUpdate = std::function<void(pugi::xml_node bin)>;

// Groups and items follow the template; item attributes Demo, RealModel and
// DemoModel are the template's; leverage elements of kept items stay.
void MergePortfolio(pugi::xml_node accountPortfolio, pugi::xml_node templatePortfolio);
// Adds the entry's elements that the account lacks and applies its "Replace::" values.
void MergeTemplateEntry(pugi::xml_node account, pugi::xml_node templateEntry);

// Loads both files, merges and saves. False (without the success line) when
// a file does not load or a save fails; what was saved stays saved.
bool MergeAccountTemplate(const HelperProgramUpdate& updateHelpers, const OperationLog& log,
                          const std::string& accountPath = AccountDocumentPath(),
                          const std::string& templatePath = AccountTemplatePath());

// Removes every "Replace::" from the values of the element and all below it.
void RemoveReplaceMarkers(pugi::xml_node element);
// The template's broker entries (the root's Accounts).
pugi::xml_node TemplateAccounts(const pugi::xml_document& accountTemplate);

// "Replace::x" gives "x"; the text after the first "::", or the whole text without one.
std::string TemplateValue(const std::string& text);
