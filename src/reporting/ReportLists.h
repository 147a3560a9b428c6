#pragma once
// The three plain-text lists of the report mail, the text forms of the
// status page's sections: the signals, the signal positions per account,
// and every position held. `signalPath` is the newest stored signal file
// ("" when none was ever received).

#include <pugixml.hpp>

#include <string>

std::string SignalListText(const std::string& signalPath);
std::string SignalPositionsText(const std::string& signalPath, pugi::xml_document& accounts, bool demoMode);
std::string AllPositionsText(pugi::xml_document& accounts);

// FormatMoney; a value that is no number is shown as it stands.
std::string MoneyText(const std::string& amount, const std::string& currency, bool plusSign = false);
