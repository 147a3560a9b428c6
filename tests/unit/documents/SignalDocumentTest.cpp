// Readers of the signal document.

#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"
#include "documents/XmlFile.h"

#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

namespace {

const char* kSignal = R"(<Signal><FileName>0105.xml</FileName><HoldPositionSummary>
  <USDJPY><Alpha UseSystemCount="3" PositionCount="-2"/><Beta UseSystemCount="2" PositionCount="2"/></USDJPY>
  <eurusd><Gamma UseSystemCount="0" PositionCount="0"/><Delta UseSystemCount="x" PositionCount="1"/></eurusd>
  <GBPJPY/>
</HoldPositionSummary></Signal>)";

TEST(SignalDocument, PairsAndSystemsInDocumentOrder)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(kSignal, doc));
    EXPECT_EQ(SignalFileName(doc), "0105.xml");
    std::vector<std::string> seen;
    for (pugi::xml_node pair : SignalPairs(HoldPositionSummaryOf(doc))) {
        seen.push_back(SignalName(pair));
        for (pugi::xml_node system : SignalSystems(pair)) seen.push_back("  " + SignalName(system));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"USDJPY", "  Alpha", "  Beta", "eurusd", "  Gamma", "  Delta",
                                              "GBPJPY"}));
}

TEST(SignalDocument, MatchingIgnoresCase)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(kSignal, doc));
    pugi::xml_node summary = HoldPositionSummaryOf(doc);
    pugi::xml_node pair = FindSignalPair(summary, "EURUSD");
    ASSERT_TRUE(pair);
    EXPECT_EQ(SignalName(pair), "eurusd");
    EXPECT_TRUE(FindSignalSystem(FindSignalPair(summary, "usdjpy"), "BETA"));
    EXPECT_FALSE(FindSignalPair(summary, "AUDJPY"));
}

TEST(SignalDocument, StrengthAndItsErrors)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(kSignal, doc));
    pugi::xml_node summary = HoldPositionSummaryOf(doc);
    pugi::xml_node usdjpy = FindSignalPair(summary, "USDJPY");
    EXPECT_DOUBLE_EQ(SignalStrength(usdjpy.child("Alpha")), -2.0 / 3.0);
    EXPECT_DOUBLE_EQ(SignalStrength(usdjpy.child("Beta")), 1.0);
    pugi::xml_node eurusd = FindSignalPair(summary, "EURUSD");
    EXPECT_THROW(SignalStrength(eurusd.child("Gamma")), DocumentValueError);
    EXPECT_THROW(UseSystemCountOf(eurusd.child("Delta")), DocumentValueError);
    EXPECT_EQ(PositionCountOf(eurusd.child("Delta")), 1);
}

TEST(SignalDocument, MissingSummaryGivesNoPairs)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes("<Signal><FileName>x</FileName></Signal>", doc));
    EXPECT_TRUE(SignalPairs(HoldPositionSummaryOf(doc)).empty());
}

// A failed signal of the service (no HoldPositionSummary) must never read as
// "hold nothing"; an explicitly empty summary still does.
TEST(SignalDocument, InspectionTellsABrokenSignalFromAnEmptyOne)
{
    testsupport::ScratchDir dir;
    const std::pair<const char*, SignalDefect> cases[] = {
        {"<Signal><HoldPositionSummary/></Signal>", SignalDefect::None},
        {kSignal, SignalDefect::None},
        {"<Signal><FileName>0105.xml</FileName><HoldPosition/></Signal>", SignalDefect::NoHoldPositionSummary},
        {"<Signal><HoldPositionSummary>", SignalDefect::Unreadable},
        {"", SignalDefect::Unreadable},
    };
    for (const auto& [text, defect] : cases) {
        testsupport::WriteFileBytes(dir.file("0105.xml"), text);
        EXPECT_EQ(InspectSignalFile(dir.file("0105.xml")), defect) << text;
    }
    EXPECT_EQ(InspectSignalFile(dir.file("missing.xml")), SignalDefect::Unreadable);
}

} // namespace
