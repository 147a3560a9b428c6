// The lookup rules, the text-element rule, the Visible attribute and the
// conversions of document values.

#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/XmlFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

pugi::xml_node Parse(pugi::xml_document& doc, const char* xml)
{
    EXPECT_TRUE(ParseXmlBytes(xml, doc));
    return doc.document_element();
}

TEST(DocumentRules, ReadingAMissingValueCreatesNothingButLookingUpCreatesIt)
{
    pugi::xml_document doc;
    pugi::xml_node account = Parse(doc, "<Account><Password>x</Password></Account>");
    EXPECT_EQ(ChildValue(account, "SubPassword"), "");
    EXPECT_EQ(AttributeValue(account, "Name"), "");
    EXPECT_FALSE(account.child("SubPassword"));

    pugi::xml_node created = ChildNode(account, "SubPassword");
    EXPECT_TRUE(created);
    EXPECT_EQ(created, account.child("SubPassword"));
    EXPECT_FALSE(IsTextElement(created));
    EXPECT_EQ(ChildNode(account, "SubPassword"), created) << "a second lookup finds the same element";
}

TEST(DocumentRules, ChildPathCreatesEveryMissingStep)
{
    pugi::xml_document doc;
    pugi::xml_node account = Parse(doc, "<Account/>");
    SetNodeText(ChildPath(account, {"Today", "Balance"}), "12.5");
    EXPECT_EQ(ChildValue(account.child("Today"), "Balance"), "12.5");
}

TEST(DocumentRules, TextElementNeedsExactlyOneTextChild)
{
    struct Case {
        const char* xml;
        bool text;
    };
    const Case cases[] = {
        {"<a>1</a>", true},
        {"<a><![CDATA[x]]></a>", true},
        {"<a/>", false},
        {"<a>   </a>", false},  // blanks alone are not kept
        {"<a><b>1</b></a>", false},
        {"<a>1<b/></a>", false},
    };
    for (const Case& c : cases) {
        pugi::xml_document doc;
        EXPECT_EQ(IsTextElement(Parse(doc, c.xml)), c.text) << c.xml;
    }
}

TEST(DocumentRules, SettingTextReplacesTheContent)
{
    pugi::xml_document doc;
    pugi::xml_node node = Parse(doc, "<a>old<b>inner</b></a>");
    EXPECT_EQ(NodeText(node), "oldinner");
    SetNodeText(node, "new");
    EXPECT_TRUE(IsTextElement(node));
    EXPECT_EQ(NodeText(node), "new");
    SetNodeText(node, "");
    EXPECT_FALSE(node.first_child());
}

TEST(DocumentRules, VisibleFalseHidesOnlyAsTheFirstAttribute)
{
    struct Case {
        const char* xml;
        bool hidden;
    };
    const Case cases[] = {
        {R"(<a Visible="False"/>)", true},
        {R"(<a Visible="False" Name="x"/>)", true},
        {R"(<a Name="x" Visible="False"/>)", false},
        {R"(<a Visible="True"/>)", false},
        {R"(<a/>)", false},
    };
    for (const Case& c : cases) {
        pugi::xml_document doc;
        EXPECT_EQ(IsHiddenNode(Parse(doc, c.xml)), c.hidden) << c.xml;
    }
}

TEST(DocumentRules, MarkHiddenPutsVisibleFirst)
{
    pugi::xml_document doc;
    pugi::xml_node node = Parse(doc, R"(<UN1 Name="x"/>)");
    MarkHidden(node);
    EXPECT_TRUE(IsHiddenNode(node));
    EXPECT_EQ(AttributeValue(node, "Name"), "x");
}

TEST(DocumentRules, FindByNameAttributeAndElementNameIgnoreCase)
{
    pugi::xml_document doc;
    pugi::xml_node root = Parse(doc, R"(<r><g Name="USDJPY"/><g Name="usdjpy" Id="2"/><EurUsd/></r>)");
    EXPECT_EQ(FindChildByName(root, "UsdJpy"), root.first_child()) << "the first match wins";
    EXPECT_FALSE(FindChildByName(root, "GBPJPY"));
    EXPECT_EQ(FindChildElementNoCase(root, "EURUSD"), root.child("EurUsd"));
}

TEST(DocumentValues, BooleanConversion)
{
    struct Case {
        const char* text;
        bool ok;
        bool value;
    };
    const Case cases[] = {
        {"True", true, true},   {"false", true, false}, {"TRUE", true, true}, {"0", true, false},
        {"1", true, true},      {"-2.5", true, true},   {"", false, false},   {"yes", false, false},
        {"Truex", false, false}, {" ", false, false},
    };
    for (const Case& c : cases) {
        bool value = !c.value;
        EXPECT_EQ(TryParseBoolean(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
            EXPECT_EQ(ParseBoolean(c.text), c.value);
        } else {
            EXPECT_THROW(ParseBoolean(c.text, "Enabled"), DocumentValueError) << c.text;
        }
    }
}

TEST(DocumentValues, NumberConversion)
{
    EXPECT_DOUBLE_EQ(ParseDecimal("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(ParseDecimal("-1234567"), -1234567);
    EXPECT_EQ(ParseInteger("-42"), -42);
    EXPECT_EQ(ParseInteger("3000000000"), 3000000000LL);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);

    for (const char* bad : {"", "abc", "1,5", "2.5x"})
        EXPECT_THROW(ParseDecimal(bad), DocumentValueError) << bad;
    for (const char* bad : {"", "1.5", "12a", "2147483648"})
        EXPECT_THROW(ParseInt32(bad), DocumentValueError) << bad;
}

TEST(DocumentValues, ErrorsNameTheElement)
{
    pugi::xml_document doc;
    pugi::xml_node account = Parse(doc, "<a><MinLotSize>x</MinLotSize></a>");
    try {
        ChildInt32(account, "MinLotSize");
        FAIL() << "no error raised";
    } catch (const DocumentValueError& error) {
        EXPECT_NE(std::string(error.what()).find("MinLotSize"), std::string::npos) << error.what();
    }
    EXPECT_THROW(ChildDecimal(account, "Missing"), DocumentValueError);
}

TEST(DocumentValues, TrueTextIsStrict)
{
    EXPECT_TRUE(IsTrueText("tRUE"));
    EXPECT_FALSE(IsTrueText("1"));
    EXPECT_FALSE(IsTrueText(""));
    EXPECT_EQ(BooleanText(true), "True");
    EXPECT_EQ(BooleanText(false), "False");
}

} // namespace
