#pragma once
// The per-account leverages of one portfolio item, as the portfolio screen
// shows and edits them: one row per account, in document order.

#include "documents/AccountDocument.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

struct TLeverageRow {
    std::string Account;  // the account's Name
    std::string Value;    // the leverage, or model case x ratio followed by " (Auto)"
};

extern const char* const kAutoLeverageSuffix;        // " (Auto)"
extern const char* const kDemoUnavailableRowCaption; // the single row shown in demo mode

// The group (pair) and item (system) by Name, without regard to case; null when missing.
pugi::xml_node FindPortfolioEntry(pugi::xml_node portfolio, const std::string& pair, const std::string& system);

// Rows for the item; in demo mode an item not marked Demo="True" gives the
// single row kDemoUnavailableRowCaption with an empty value. Missing leverage
// elements are created, hidden (in `doc`, which the caller does not save).
// Throws DocumentValueError when a model-case value does not convert.
std::vector<TLeverageRow> ReadLeverageRows(pugi::xml_document& doc, const std::string& pair,
                                           const std::string& system, bool realMode);

// Writes the edited values, one per account in document order. An empty value
// stops the whole write-back (nothing saved, false); a value holding " (Auto)"
// leaves that account's leverage as it is; a trailing "." is dropped.
bool WriteLeverageRows(const std::string& pair, const std::string& system, const std::vector<std::string>& values,
                       const std::string& accountPath = AccountDocumentPath());
