#include "documents/AccountTotals.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"

#include <array>

namespace {

const std::array<const char*, 3> kTotalNames = {"Balance", "BalancePL", "PL"};

// Dollar amounts count at a fixed 100 yen.
std::array<double, 3> SumTodayValues(pugi::xml_document& doc)
{
    std::array<double, 3> sums{};
    for (pugi::xml_node account : AccountElements(doc)) {
        pugi::xml_node today = ChildNode(account, "Today");
        const double factor = IsYenAccount(account) ? 1.0 : 100.0;
        for (size_t i = 0; i < kTotalNames.size(); ++i)
            sums[i] += ChildDecimal(today, kTotalNames[i]) * factor;
    }
    return sums;
}

} // namespace

void UpdateAccountSummary(pugi::xml_document& doc, const DateTime& now)
{
    const std::array<double, 3> sums = SumTodayValues(doc);
    pugi::xml_node summary = AccountSummaryElement(doc);
    pugi::xml_node today = ChildNode(summary, "Today");
    pugi::xml_node yesterday = ChildNode(summary, "Yesterday");
    for (size_t i = 0; i < kTotalNames.size(); ++i) {
        SetChildValue(yesterday, kTotalNames[i], ChildValue(today, kTotalNames[i]));
        SetChildValue(today, kTotalNames[i], std::to_string(RoundHalfAway(sums[i])));
    }
    SetChildValue(summary, "LatestUpdate", FormatLatestUpdate(now));
}

std::string FormatLatestUpdate(const DateTime& time)
{
    return FormatShortDate(time) + " " + std::to_string(time.hour) + ":" + ZeroPad(time.minute, 2);
}
