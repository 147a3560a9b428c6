#pragma once
// The building blocks of the status pages: the two recurring blocks and the
// value formats. Every text from a document, the signal or a broker goes
// through HtmlEscape (base/AkUnit.h); a value that does not read shows a
// failure text in its place and never ends the page.

#include "base/AkUnit.h"

#include <pugixml.hpp>

#include <string>

// Shown in place of a value that the page cannot read.
extern const char kBadValueText[];

// "<span class="chart"><span class="chart_title"><b>" title "</b></span><span class="chart_body">" body "</span></span>"
std::string StatusBox(const std::string& titleHtml, const std::string& bodyHtml);
std::string SectionHeading(const std::string& html);

// The money format ("123万4567円") of the amount text, escaped for the page.
std::string MoneyHtml(const std::string& amount, const std::string& currency, bool plusSign = false);
// PL / Balance of a day node in percent, one decimal: "+1.5%"; "0%" for a zero balance.
std::string ProfitPercentText(pugi::xml_node day);
// (a − b) / b in percent, one decimal, signed like ProfitPercentText.
std::string ChangePercentText(double a, double b);

// The decimal value of a child's text; false when it is not a number.
bool ChildNumber(pugi::xml_node parent, const char* name, double& value);
// "True"/"False" (or a number) read as a boolean; anything else is false.
bool ReadsAsTrue(const std::string& text);
