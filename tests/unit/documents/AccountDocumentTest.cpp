// Account document: creation from the template, accessors, totals and the
// identity of a new account.

#include "documents/AccountDocument.h"
#include "documents/AccountTotals.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/XmlFile.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

namespace {

using testsupport::MakeDateTime;

std::string AccountXml(const std::string& currency, const std::string& balance, const std::string& valuation,
                       const std::string& pl)
{
    return "<A Name=\"x\"><AccountBaseCurrency>" + currency + "</AccountBaseCurrency><Today><Balance>" + balance +
           "</Balance><BalancePL>" + valuation + "</BalancePL><PL>" + pl + "</PL></Today></A>";
}

std::string DocumentXml(const std::string& accounts)
{
    return "<root><AccountSummary><Today><Balance>7</Balance><BalancePL>8</BalancePL><PL>9</PL></Today>"
           "</AccountSummary><Portfolio/><Accounts>" +
           accounts + "</Accounts></root>";
}

TEST(AccountTotals, DollarAccountsCountAtOneHundredYenAndRoundOnceAtTheEnd)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(DocumentXml(AccountXml("USD", "12.5", "13", "-0.5") +
                                          AccountXml("jpy", "12.5", "1000.25", "-0.25") +
                                          AccountXml("JPY", "0.25", "0", "-0.25")),
                              doc));
    UpdateAccountSummary(doc, MakeDateTime(2010, 1, 5, 9, 3));

    pugi::xml_node summary = AccountSummaryElement(doc);
    pugi::xml_node today = summary.child("Today");
    EXPECT_EQ(ChildValue(today, "Balance"), "1263");    // 1250 + 12.5 + 0.25 = 1262.75
    EXPECT_EQ(ChildValue(today, "BalancePL"), "2300");  // 1300 + 1000.25
    EXPECT_EQ(ChildValue(today, "PL"), "-51");          // -50.5 halves away from zero
    pugi::xml_node yesterday = summary.child("Yesterday");
    EXPECT_EQ(ChildValue(yesterday, "Balance"), "7");
    EXPECT_EQ(ChildValue(yesterday, "BalancePL"), "8");
    EXPECT_EQ(ChildValue(yesterday, "PL"), "9");
    EXPECT_EQ(ChildValue(summary, "LatestUpdate"), "2010/01/05 9:03");
}

TEST(AccountTotals, SingleDollarAccountOfTwelveAndAHalf)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(DocumentXml(AccountXml("USD", "12.5", "12.5", "0")), doc));
    UpdateAccountSummary(doc, MakeDateTime(2010, 11, 30, 23, 59));
    EXPECT_EQ(ChildValue(AccountSummaryElement(doc).child("Today"), "Balance"), "1250");
    EXPECT_EQ(ChildValue(AccountSummaryElement(doc), "LatestUpdate"), "2010/11/30 23:59");
}

TEST(AccountTotals, UnreadableBalanceFailsAndKeepsTheTotals)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes(DocumentXml(AccountXml("JPY", "100", "100", "0") + AccountXml("JPY", "", "1", "0")),
                              doc));
    EXPECT_THROW(UpdateAccountSummary(doc, MakeDateTime(2010, 1, 5, 9, 3)), DocumentValueError);
    EXPECT_EQ(ChildValue(AccountSummaryElement(doc).child("Today"), "Balance"), "7");
    EXPECT_FALSE(AccountSummaryElement(doc).child("Yesterday"));
}

TEST(AccountDocument, NewDocumentCopiesTheTemplateSummaryOnly)
{
    testsupport::ScratchDir dir;
    pugi::xml_document accountTemplate;
    ASSERT_TRUE(ParseXmlBytes("<tpl><AccountSummary><Today><Balance>0</Balance></Today></AccountSummary>"
                              "<Portfolio><G Name=\"USDJPY\"/></Portfolio><Accounts><E Name=\"LionFX\"/></Accounts>"
                              "</tpl>",
                              accountTemplate));
    const std::string path = dir.file("Account.xml");
    ASSERT_TRUE(CreateAccountDocumentFile(accountTemplate, path));

    pugi::xml_document doc;
    ASSERT_TRUE(LoadAccountDocument(doc, path));
    pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.name(), "root");
    std::vector<std::string> names;
    for (pugi::xml_node child : ChildElements(root)) names.push_back(child.name());
    EXPECT_EQ(names, (std::vector<std::string>{"AccountSummary", "Portfolio", "Accounts"}));
    EXPECT_EQ(ChildValue(root.child("AccountSummary").child("Today"), "Balance"), "0");
    EXPECT_FALSE(root.child("Portfolio").first_child());
    EXPECT_FALSE(root.child("Accounts").first_child());

    testsupport::WriteFileBytes(path, "<root><Accounts><A/></Accounts></root>");
    ASSERT_TRUE(CreateAccountDocumentFile(accountTemplate, path));
    ASSERT_TRUE(LoadAccountDocument(doc, path));
    EXPECT_EQ(AccountElements(doc).size(), 1u) << "an existing document is never replaced";
}

TEST(AccountDocument, AccessorsFollowDocumentOrderWhateverTheElementNames)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes("<any><Accounts><X Name=\"LionFX\"><UniqueNumber>40183.5</UniqueNumber>"
                              "<AccountBaseCurrency>Jpy</AccountBaseCurrency></X>"
                              "<Y Name=\"Cosmo\"><AccountBaseCurrency>USD</AccountBaseCurrency></Y>"
                              "</Accounts></any>",
                              doc));
    ASSERT_EQ(AccountElements(doc).size(), 2u);
    EXPECT_EQ(AccountName(AccountAt(doc, 1)), "Cosmo");
    EXPECT_FALSE(AccountAt(doc, 2));
    EXPECT_FALSE(AccountAt(doc, -1));
    EXPECT_EQ(LeverageElementName(AccountAt(doc, 0)), "UN40183.5");
    EXPECT_TRUE(IsYenAccount(AccountAt(doc, 0)));
    EXPECT_FALSE(IsYenAccount(AccountAt(doc, 1)));
}

TEST(AccountDocument, UniqueNumberIsTheDayCountOfTheMoment)
{
    EXPECT_EQ(NewUniqueNumber(MakeDateTime(2010, 1, 5, 12, 0)), "40183.5");
    EXPECT_EQ(NewUniqueNumber(MakeDateTime(1899, 12, 31, 0, 0)), "1");
    EXPECT_EQ(NewUniqueNumber(MakeDateTime(2010, 1, 5, 6, 0)), "40183.25");
}

} // namespace
