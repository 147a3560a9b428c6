#include "documents/SignalDocument.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/XmlFile.h"

bool LoadSignalDocument(const std::string& path, pugi::xml_document& doc)
{
    return LoadXmlFile(path, doc);
}

SignalDefect InspectSignalFile(const std::string& path)
{
    pugi::xml_document signal;
    if (!LoadSignalDocument(path, signal) || !signal.document_element())
        return SignalDefect::Unreadable;
    if (!signal.document_element().child("HoldPositionSummary"))
        return SignalDefect::NoHoldPositionSummary;
    return SignalDefect::None;
}

pugi::xml_node HoldPositionSummaryOf(pugi::xml_document& signal)
{
    return ChildNode(signal.document_element(), "HoldPositionSummary");
}

std::string SignalFileName(const pugi::xml_document& signal)
{
    return ChildValue(signal.document_element(), "FileName");
}

std::vector<pugi::xml_node> SignalPairs(pugi::xml_node summary)
{
    return ChildElements(summary);
}

std::vector<pugi::xml_node> SignalSystems(pugi::xml_node pair)
{
    return ChildElements(pair);
}

std::string SignalName(pugi::xml_node node)
{
    return node.name();
}

pugi::xml_node FindSignalPair(pugi::xml_node summary, const std::string& pairCode)
{
    return FindChildElementNoCase(summary, pairCode);
}

pugi::xml_node FindSignalSystem(pugi::xml_node pair, const std::string& systemName)
{
    return FindChildElementNoCase(pair, systemName);
}

std::int32_t PositionCountOf(pugi::xml_node system)
{
    return ParseInt32(AttributeValue(system, "PositionCount"), SignalName(system) + ".PositionCount");
}

std::int32_t UseSystemCountOf(pugi::xml_node system)
{
    return ParseInt32(AttributeValue(system, "UseSystemCount"), SignalName(system) + ".UseSystemCount");
}

double SignalStrength(pugi::xml_node system)
{
    const std::int32_t slots = UseSystemCountOf(system);
    if (slots <= 0)
        throw DocumentValueError("UseSystemCount of " + SignalName(system) + " is " + std::to_string(slots));
    return static_cast<double>(PositionCountOf(system)) / slots;
}
