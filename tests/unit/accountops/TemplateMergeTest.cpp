// Merging the service's template into the account document.

#include "AccountOpsFixtures.h"
#include "trading/TemplateMerge.h"

#include <stdexcept>

namespace {

using accountops::Files;
using accountops::NamesOf;

const char* kTemplate = R"(<tpl>
  <AccountSummary/>
  <Portfolio>
    <G Name="USDJPY">
      <I Name="Alpha" Demo="True" RealModel="2" Extra="e"/>
      <I Name="Gamma" Demo="False" RealModel="1" DemoModel="1"/>
    </G>
    <G Name="EURJPY"><I Name="Delta" RealModel="3"/></G>
  </Portfolio>
  <Accounts>
    <E Name="LionFX">
      <Enabled>False</Enabled>
      <MaxLotSize>2</MaxLotSize>
      <Slippage>Replace::1</Slippage>
      <LOU Note="Replace::new">Replace::s://lion.example</LOU>
      <WeekendTrade>Replace::True</WeekendTrade>
      <Status><HoldPosition>Replace::x</HoldPosition><MovedPosition/></Status>
    </E>
  </Accounts>
  <Bin><File>ReExe.exe</File></Bin>
</tpl>)";

const char* kAccount = R"(<root>
  <AccountSummary/>
  <Portfolio>
    <G Name="usdjpy">
      <I Name="alpha" Demo="False" DemoModel="9" MaxPosi="3"><UN1 Visible="False">4</UN1></I>
      <I Name="Beta" Demo="True"><UN1 Visible="False">5</UN1></I>
    </G>
    <G Name="GBPJPY"><I Name="Old"/></G>
  </Portfolio>
  <Accounts>
    <A Name="lionfx"><MaxLotSize>9</MaxLotSize><Slippage>3</Slippage><LOU Note="old">s://old</LOU></A>
    <A Name="Cosmo"><Slippage>7</Slippage></A>
  </Accounts>
</root>)";

TEST(TemplateMerge, PortfolioFollowsTheTemplateAndKeepsLeverages)
{
    Files files(kAccount, kTemplate);
    std::vector<std::string> log;
    ASSERT_TRUE(MergeAccountTemplate({}, [&](const std::string& l) { log.push_back(l); }, files.account,
                                     files.accountTemplate));
    EXPECT_EQ(log, (std::vector<std::string>{"最新の業者リスト、ポートフォリオリスト、Version情報を取得します...",
                                             "取得に成功しました"}));

    pugi::xml_document doc = files.load();
    pugi::xml_node portfolio = PortfolioElement(doc);
    EXPECT_EQ(NamesOf(ChildElements(portfolio)), (std::vector<std::string>{"usdjpy", "EURJPY"}));
    pugi::xml_node group = portfolio.first_child();
    EXPECT_EQ(NamesOf(ChildElements(group)), (std::vector<std::string>{"alpha", "Gamma"}));
    pugi::xml_node alpha = group.first_child();
    EXPECT_EQ(AttributeValue(alpha, "Demo"), "True");
    EXPECT_EQ(AttributeValue(alpha, "RealModel"), "2");
    EXPECT_FALSE(alpha.attribute("DemoModel")) << "a model value the template dropped goes";
    EXPECT_EQ(AttributeValue(alpha, "Extra"), "e");
    EXPECT_EQ(AttributeValue(alpha, "MaxPosi"), "3");
    EXPECT_EQ(ChildValue(alpha, "UN1"), "4");
    EXPECT_EQ(doc.select_nodes("//UN1").size(), 1u) << "Beta's leverage left with Beta";
}

TEST(TemplateMerge, MarkedValuesReplaceAndUnmarkedOnlyFillGaps)
{
    Files files(kAccount, kTemplate);
    ASSERT_TRUE(MergeAccountTemplate({}, [](auto&) {}, files.account, files.accountTemplate));
    pugi::xml_document doc = files.load();
    pugi::xml_node lion = AccountAt(doc, 0);
    EXPECT_EQ(ChildValue(lion, "MaxLotSize"), "9");
    EXPECT_EQ(ChildValue(lion, "Slippage"), "1");
    EXPECT_EQ(ChildValue(lion, "LOU"), "s://lion.example");
    EXPECT_EQ(AttributeValue(lion.child("LOU"), "Note"), "new");
    EXPECT_EQ(ChildValue(lion, "Enabled"), "False");
    EXPECT_EQ(ChildValue(lion, "WeekendTrade"), "True");
    EXPECT_EQ(ChildValue(lion.child("Status"), "HoldPosition"), "x");
    EXPECT_EQ(lion.last_child().name(), std::string("Status")) << "missing elements are appended in template order";

    pugi::xml_node cosmo = AccountAt(doc, 1);
    EXPECT_EQ(ChildElements(cosmo).size(), 1u) << "no template entry, nothing merged";
}

TEST(TemplateMerge, HelperListIsHandedOverAndItsErrorsIgnored)
{
    Files files(kAccount, kTemplate);
    std::string firstHelper;
    auto update = [&](pugi::xml_node bin) {
        firstHelper = ChildValue(bin, "File");
        throw std::runtime_error("helper update failed");
    };
    EXPECT_TRUE(MergeAccountTemplate(update, [](auto&) {}, files.account, files.accountTemplate));
    EXPECT_EQ(firstHelper, "ReExe.exe");
}

TEST(TemplateMerge, UnreadableFilesEndWithoutTheSuccessLine)
{
    const struct {
        const char* label;
        std::string account;
        std::string accountTemplate;
    } cases[] = {
        {"broken template", kAccount, "<tpl><Portfolio>"},
        {"template without a portfolio", kAccount, "<tpl><Accounts/></tpl>"},
        {"broken account document", "<root>", kTemplate},
    };
    for (const auto& c : cases) {
        Files files(c.account, c.accountTemplate);
        std::vector<std::string> log;
        EXPECT_FALSE(MergeAccountTemplate({}, [&](const std::string& l) { log.push_back(l); }, files.account,
                                          files.accountTemplate))
            << c.label;
        EXPECT_EQ(log.size(), 1u) << c.label;
        EXPECT_EQ(testsupport::ReadFileBytes(files.account), c.account) << c.label;
    }
}

TEST(TemplateMerge, TemplateValueTakesTheTextAfterTheFirstMarker)
{
    EXPECT_EQ(TemplateValue("Replace::1"), "1");
    EXPECT_EQ(TemplateValue("Replace::a::b"), "a::b");
    EXPECT_EQ(TemplateValue("2"), "2");
    EXPECT_EQ(TemplateValue(""), "");
}

} // namespace
