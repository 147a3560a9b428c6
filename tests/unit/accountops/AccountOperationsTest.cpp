// Adding, deleting and moving accounts; leverage rows; the model-case tab.

#include "AccountOpsFixtures.h"
#include "trading/AccountOperations.h"
#include "trading/LeverageRows.h"
#include "trading/ModelCaseSettings.h"
#include "documents/DocumentValues.h"

namespace {

using accountops::At;
using accountops::Files;
using accountops::NamesOf;

const char* kTemplate = R"(<tpl><Accounts>
  <E Name="コスモ証券"><Enabled Visible="Replace::True">False</Enabled>
    <Slippage>Replace::1</Slippage>
    <Today><Balance>Replace::0</Balance><PL>0</PL></Today>
    <Status><HoldPosition><Summary>Replace::s</Summary></HoldPosition></Status></E>
  <E Name="LionFX"><Enabled>False</Enabled></E>
</Accounts></tpl>)";

const char* kEmptyAccounts = "<root><Portfolio/><Accounts/></root>";

const char* kTwoAccounts = R"(<root><Portfolio>
  <G Name="USDJPY"><I Name="Alpha" Demo="True" RealModel="4" DemoModel="2">
      <UN1 Visible="False">3</UN1><UN2 Visible="False">5</UN2></I>
    <I Name="Beta"><UN2 Visible="False">1</UN2></I></G>
  <G Name="EURJPY"><I Name="Gamma"><UN1 Visible="False">2</UN1></I></G></Portfolio>
<Accounts>
  <A Name="First"><UniqueNumber>1</UniqueNumber><AutoModelCase>False</AutoModelCase></A>
  <A Name="Second"><UniqueNumber>2</UniqueNumber><AutoModelCase>True</AutoModelCase>
    <AutoModelRatio>0.5</AutoModelRatio></A>
  <A Name="Third"><UniqueNumber>3</UniqueNumber></A>
</Accounts></root>)";

TEST(AccountOperations, TemplateBrokerNamesInOrder)
{
    pugi::xml_document accountTemplate;
    ASSERT_TRUE(ParseXmlBytes(kTemplate, accountTemplate));
    EXPECT_EQ(TemplateBrokerNames(accountTemplate), (std::vector<std::string>{"コスモ証券", "LionFX"}));
}

TEST(AccountOperations, AddingTheSameEntryTwiceGivesTwoIdentities)
{
    Files files(kEmptyAccounts, kTemplate);
    ASSERT_TRUE(AddAccountFromTemplate("コスモ証券", At(5, 12), files.account, files.accountTemplate));
    ASSERT_TRUE(AddAccountFromTemplate("lionfx", At(5, 18), files.account, files.accountTemplate));
    ASSERT_TRUE(AddAccountFromTemplate("コスモ証券", At(6, 0), files.account, files.accountTemplate));
    ASSERT_TRUE(AddAccountFromTemplate("コスモ証券", At(6, 0), files.account, files.accountTemplate))
        << "a second add within the same millisecond";
    EXPECT_FALSE(AddAccountFromTemplate("Unknown", At(6, 0), files.account, files.accountTemplate));

    pugi::xml_document doc = files.load();
    const std::vector<pugi::xml_node> accounts = AccountElements(doc);
    EXPECT_EQ(NamesOf(accounts), (std::vector<std::string>{"コスモ証券", "LionFX", "コスモ証券", "コスモ証券"}));
    EXPECT_EQ(UniqueNumberOf(accounts[0]), "40183.5");
    EXPECT_EQ(UniqueNumberOf(accounts[1]), "40183.75");
    EXPECT_EQ(UniqueNumberOf(accounts[2]), "40184");
    EXPECT_EQ(UniqueNumberOf(accounts[3]), "40184.0000000116") << "one millisecond on";
    pugi::xml_node uniqueNumber = accounts[0].last_child();
    EXPECT_STREQ(uniqueNumber.name(), "UniqueNumber");
    EXPECT_TRUE(IsHiddenNode(uniqueNumber));
}

TEST(AccountOperations, AddedAccountCarriesNoMarkerAnywhere)
{
    Files files(kEmptyAccounts, kTemplate);
    const std::string templateBefore = testsupport::ReadFileBytes(files.accountTemplate);
    ASSERT_TRUE(AddAccountFromTemplate("コスモ証券", At(5, 12), files.account, files.accountTemplate));
    pugi::xml_document doc = files.load();
    pugi::xml_node account = AccountAt(doc, 0);
    EXPECT_EQ(ChildValue(account, "Slippage"), "1");
    EXPECT_EQ(AttributeValue(account.child("Enabled"), "Visible"), "True");
    EXPECT_EQ(ChildValue(account.child("Today"), "Balance"), "0");
    EXPECT_EQ(XmlText(doc).find("Replace::"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFileBytes(files.accountTemplate), templateBefore) << "the template file is only read";
}

TEST(AccountOperations, DeletingAnAccountTakesOnlyItsOwnLeverages)
{
    Files files(kTwoAccounts, kTemplate);
    ASSERT_TRUE(DeleteAccount(1, files.account));
    EXPECT_FALSE(DeleteAccount(5, files.account));
    pugi::xml_document doc = files.load();
    EXPECT_EQ(NamesOf(AccountElements(doc)), (std::vector<std::string>{"First", "Third"}));
    EXPECT_EQ(doc.select_nodes("//UN2").size(), 0u);
    EXPECT_EQ(doc.select_nodes("//UN1").size(), 2u);
}

TEST(AccountOperations, MovingWithinTheList)
{
    const struct {
        const char* label;
        bool up;
        int index;
        bool moved;
        std::vector<std::string> order;
    } cases[] = {
        {"second up", true, 1, true, {"Second", "First", "Third"}},
        {"first up", true, 0, false, {"First", "Second", "Third"}},
        {"second down", false, 1, true, {"First", "Third", "Second"}},
        {"last down", false, 2, false, {"First", "Second", "Third"}},
        {"outside", false, 7, false, {"First", "Second", "Third"}},
    };
    for (const auto& c : cases) {
        Files files(kTwoAccounts, kTemplate);
        const bool moved = c.up ? MoveAccountUp(c.index, files.account) : MoveAccountDown(c.index, files.account);
        EXPECT_EQ(moved, c.moved) << c.label;
        pugi::xml_document doc = files.load();
        EXPECT_EQ(NamesOf(AccountElements(doc)), c.order) << c.label;
    }
}

TEST(LeverageRows, ShowsPlainAutoAndMissingLeverages)
{
    Files files(kTwoAccounts, kTemplate);
    pugi::xml_document doc = files.load();
    const std::vector<TLeverageRow> rows = ReadLeverageRows(doc, "usdjpy", "ALPHA", true);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Value, "3");
    EXPECT_EQ(rows[1].Value, "2 (Auto)");
    EXPECT_EQ(rows[2].Account, "Third");
    EXPECT_EQ(rows[2].Value, "0");
    EXPECT_TRUE(IsHiddenNode(doc.select_node("//UN3").node())) << "the looked-up element is created hidden";

    EXPECT_EQ(ReadLeverageRows(doc, "USDJPY", "Alpha", false)[1].Value, "1 (Auto)");
    const std::vector<TLeverageRow> demo = ReadLeverageRows(doc, "USDJPY", "Beta", false);
    ASSERT_EQ(demo.size(), 1u);
    EXPECT_EQ(demo[0].Account, "Demoモードではご利用になれません");
    EXPECT_EQ(demo[0].Value, "");
}

TEST(LeverageRows, WriteBackSkipsAutoRowsAndStopsAtAnEmptyOne)
{
    Files files(kTwoAccounts, kTemplate);
    ASSERT_TRUE(WriteLeverageRows("USDJPY", "Alpha", {"1.", "2 (Auto)", "0.25"}, files.account));
    pugi::xml_document doc = files.load();
    EXPECT_EQ(NodeText(doc.select_node("//I[@Name='Alpha']/UN1").node()), "1");
    EXPECT_EQ(NodeText(doc.select_node("//I[@Name='Alpha']/UN2").node()), "5");
    pugi::xml_node third = doc.select_node("//I[@Name='Alpha']/UN3").node();
    EXPECT_EQ(NodeText(third), "0.25");
    EXPECT_TRUE(IsHiddenNode(third));

    const std::string before = testsupport::ReadFileBytes(files.account);
    EXPECT_FALSE(WriteLeverageRows("USDJPY", "Alpha", {"7", "", "8"}, files.account));
    EXPECT_EQ(testsupport::ReadFileBytes(files.account), before) << "a half-typed table is never stored";
}

const char* kModelCaseAccount = R"(<root><Accounts><A Name="Lion">
  <AutoModelCase>True</AutoModelCase><AutoModelRatio>0.35</AutoModelRatio>
  <VirtualBalanceMode>False</VirtualBalanceMode><VirtualBalance>-200</VirtualBalance>
  <VarianceMode>False</VarianceMode><VarianceTarget>0</VarianceTarget>
  <Today><Balance>1000.5</Balance></Today></A>
  <A Name="Bare"><AutoModelCase>True</AutoModelCase></A></Accounts></root>)";

TEST(ModelCaseSettings, ViewOfAnAccountWithAllValues)
{
    Files files(kModelCaseAccount, kTemplate);
    pugi::xml_document doc = files.load();
    TModelCaseView view;
    ASSERT_TRUE(ReadModelCaseView(doc, 0, view));
    EXPECT_TRUE(view.AutoModelCase);
    EXPECT_FALSE(view.VirtualBalanceMode);
    EXPECT_EQ(view.RatioPercent, "35");
    EXPECT_EQ(view.VirtualBalance, "-200");
    EXPECT_EQ(view.RealBalance, "1000.5");
    EXPECT_EQ(view.VirtualFunds, "801");
    EXPECT_FALSE(ReadModelCaseView(doc, 1, view)) << "missing values disable the tab";
    EXPECT_FALSE(ReadModelCaseView(doc, 2, view));
}

TEST(ModelCaseSettings, SavingKeepsWhatConvertsAndLogsTheRest)
{
    Files files(kModelCaseAccount, kTemplate);
    std::vector<std::string> log;
    TModelCaseInput input;
    input.VirtualBalanceMode = true;
    input.RatioPercent = "50";
    input.VirtualBalance = "300000";
    input.VarianceTarget = "7";
    ASSERT_TRUE(SaveModelCaseInput(0, input, [&](const std::string& l) { log.push_back(l); }, files.account));
    pugi::xml_document doc = files.load();
    pugi::xml_node account = AccountAt(doc, 0);
    EXPECT_EQ(ChildValue(account, "AutoModelCase"), "False");
    EXPECT_EQ(ChildValue(account, "VirtualBalanceMode"), "True");
    EXPECT_EQ(ChildValue(account, "AutoModelRatio"), "0.5");
    EXPECT_EQ(ChildValue(account, "VirtualBalance"), "300000");
    EXPECT_TRUE(log.empty());

    input.RatioPercent = "";
    input.VirtualBalance = "1";
    ASSERT_TRUE(SaveModelCaseInput(0, input, [&](const std::string& l) { log.push_back(l); }, files.account));
    doc = files.load();
    EXPECT_EQ(ChildValue(AccountAt(doc, 0), "AutoModelRatio"), "0.5");
    EXPECT_EQ(ChildValue(AccountAt(doc, 0), "VirtualBalance"), "1");
    EXPECT_EQ(log.size(), 1u);

    // A difference that is no number would keep the account from trading.
    input.RatioPercent = "50";
    for (const std::string& notANumber : {"", "-", "abc"}) {
        input.VirtualBalance = notANumber;
        ASSERT_TRUE(SaveModelCaseInput(0, input, [&](const std::string& l) { log.push_back(l); }, files.account));
        doc = files.load();
        EXPECT_EQ(ChildValue(AccountAt(doc, 0), "VirtualBalance"), "1") << notANumber;
        EXPECT_NE(log.back().find("仮想資金の差額 '" + notANumber + "' は数値ではありません"), std::string::npos);
    }
}

} // namespace
