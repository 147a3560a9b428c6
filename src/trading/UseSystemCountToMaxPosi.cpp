#include "trading/RunUpdateAccount.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/SignalDocument.h"

namespace {

// The first pair element of that code that lists the system, or null.
pugi::xml_node FindSystemInSignal(pugi::xml_node summary, const std::string& pair,
                                  const std::string& system) {
    for (pugi::xml_node signalPair : SignalPairs(summary)) {
        if (!EqualsNoCase(SignalName(signalPair), pair)) continue;
        if (pugi::xml_node found = FindSignalSystem(signalPair, system)) return found;
    }
    return {};
}

} // namespace

void UseSystemCountToMaxPosi(pugi::xml_document& signal, pugi::xml_document& accounts,
                             const SessionLog& log) {
    try {
        pugi::xml_node summary = HoldPositionSummaryOf(signal);
        for (pugi::xml_node group : PortfolioGroups(PortfolioElement(accounts))) {
            const std::string pair = AttributeValue(group, "Name");
            for (pugi::xml_node item : PortfolioItems(group)) {
                pugi::xml_node system = FindSystemInSignal(summary, pair, AttributeValue(item, "Name"));
                if (system) SetAttributeValue(item, "MaxPosi", AttributeValue(system, "UseSystemCount"));
            }
        }
    } catch (...) {
        if (log)
            log("[Error!] UseSystemCountToMaxPosiでエラー。受信したシグナルXMLか、ローカルのアカウントXMLのどちらかに不整合もしくは範囲外の指定が含まれています");
    }
}
