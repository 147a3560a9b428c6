#pragma once
// The values of the model-case and virtual-funds tab for one account.

#include "documents/AccountDocument.h"

#include <pugixml.hpp>

#include <functional>
#include <string>

// What the tab shows.
struct TModelCaseView {
    bool AutoModelCase = false;       // CheckBox29
    bool VirtualBalanceMode = false;  // CheckBox23
    bool VarianceMode = false;        // CheckBox24
    std::string RatioPercent;         // Edit12: AutoModelRatio x 100
    std::string VirtualFunds;         // Edit13: VirtualBalance + real balance
    std::string VarianceTarget;       // Edit14
    std::string VirtualBalance;       // Edit15
    std::string RealBalance;          // Label36: Today/Balance as stored
};

// What the user set; the texts as typed.
struct TModelCaseInput {
    bool AutoModelCase = false;
    bool VirtualBalanceMode = false;
    bool VarianceMode = false;
    std::string RatioPercent;
    std::string VirtualBalance;
    std::string VarianceTarget;
};

// False when the account lacks one of the six values as a text element (the
// tab is then disabled) or a value does not convert. A balance that is not
// whole (a dollar account) counts rounded in VirtualFunds.
bool ReadModelCaseView(pugi::xml_document& doc, int accountIndex, TModelCaseView& view);

// Stores the input into the account at `accountIndex` and saves, also when a
// value does not convert: that value is skipped and logged, the rest is kept.
bool SaveModelCaseInput(int accountIndex, const TModelCaseInput& input,
                        const std::function<void(const std::string&)>& log,
                        const std::string& accountPath = AccountDocumentPath());
