// A stored signal document as the service may have sent it: read by the
// trade run (slot counts into the portfolios, each account's targets), by
// the report mail's lists and by the main status page's boxes.
#include "documents/AccountDocument.h"
#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"
#include "documents/XmlFile.h"
#include "fuzz/FuzzScratch.h"
#include "reporting/ReportLists.h"
#include "reporting/StatusSignalBoxes.h"
#include "trading/RunUpdateAccount.h"
#include "trading/Sizing.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void ReadAsTheTradeRun(pugi::xml_document& signal, pugi::xml_document& accounts)
{
    const auto quiet = [](const std::string&) {};
    UseSystemCountToMaxPosi(signal, accounts, quiet);
    const pugi::xml_node summary = HoldPositionSummaryOf(signal);
    const pugi::xml_node portfolio = PortfolioElement(accounts);
    const bool cancel = false;
    for (pugi::xml_node account : AccountsElement(accounts).children()) {
        try {
            TUnitSizeArray targets;
            ComputeTargets(account, portfolio, summary, 1000000, true, cancel, quiet, targets);
        } catch (const DocumentValueError&) {
            // A value that does not convert fails the run; that is its answer.
        }
        SignalPositionBox(account, portfolio, summary, false);
    }
    for (pugi::xml_node pair : SignalPairs(summary))
        SignalStrengthBox(pair);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzzing::ScratchProgramFolder folder;
    static const std::string accountBytes = fuzzing::DataFile("Account.xml");
    static const std::string path = folder.Path("signal.xml");
    fuzzing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
    pugi::xml_document signal;
    pugi::xml_document accounts;
    if (!LoadSignalDocument(path, signal) || !ParseXmlBytes(accountBytes, accounts))
        return 0;
    SignalFileName(signal);
    ReadAsTheTradeRun(signal, accounts);
    SignalListText(path);
    SignalPositionsText(path, accounts, false);
    return 0;
}
