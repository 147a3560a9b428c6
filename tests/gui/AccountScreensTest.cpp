// The account, portfolio and model-case screens on the main window, driven
// by clicks and keys against the template of pellago-sim. Every check reads
// Setting/Account.xml back from disk: what a screen shows is saved at once.

#include "GuiTest.h"

#include "base/Angou.h"
#include "support/SimServer.h"
#include "support/WindowInput.h"

#include <pugixml.hpp>

using namespace guitest;
using namespace windowinput;

namespace {

pugi::xml_document Reload()
{
    pugi::xml_document doc;
    doc.load_file(ProgramPath("Setting/Account.xml").c_str());
    return doc;
}

pugi::xml_node AccountIn(const pugi::xml_document& doc, int index)
{
    pugi::xml_node account = doc.document_element().child("Accounts").first_child();
    for (int i = 0; i < index; ++i)
        account = account.next_sibling();
    return account;
}

std::string Value(int account, const char* name) { return AccountIn(Reload(), account).child_value(name); }

// The leverage of an account (by its UniqueNumber) on USDJPY Breakout.
std::string Leverage(const std::string& uniqueNumber)
{
    const pugi::xml_document doc = Reload();
    const pugi::xml_node item = doc.document_element().child("Portfolio").find_child_by_attribute("Name", "USDJPY")
                                    .find_child_by_attribute("Name", "Breakout");
    return item.child(("UN" + uniqueNumber).c_str()) ? item.child_value(("UN" + uniqueNumber).c_str()) : "(none)";
}

} // namespace

class AccountScreensTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<testsupport::SimServer> sim_;

    TPellagoForm& W() { return *window_; }

    void AddAccounts(int count)
    {
        ClickTab(W().PageControl1, W().TabSheet3);
        for (int i = 0; i < count; ++i)
            Click(W().Button3);
        QCOMPARE(W().TreeView1->topLevelItemCount(), count);
    }

    void SelectBreakout()
    {
        ClickTab(W().PageControl1, W().TabSheet2);
        ClickNode(W().TreeView2, Node(W().TreeView2, 0, QStringLiteral("Breakout")));
    }

private slots:
    void initTestCase()
    {
        sim_ = std::make_unique<testsupport::SimServer>();
        QVERIFY(sim_->Running());
    }
    void init()
    {
        home_ = std::make_unique<ProgramHome>();
        PointServiceAt(home_->dir.path(), sim_->Url(""));
        window_ = StartWindow();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { closeWindow(); }

    void sameBrokerTwiceGivesTwoAccountsAndDeletingOneKeepsTheOthersLeverage()
    {
        AddAccounts(2);
        const std::string first = Value(0, "UniqueNumber");
        const std::string second = Value(1, "UniqueNumber");
        QCOMPARE(AccountIn(Reload(), 1).attribute("Name").value(), "LionFX");
        QVERIFY(!first.empty() && first != second);

        SelectBreakout();
        TypeIntoCell(W().ValueListEditor1, 0, 1, QStringLiteral("2"));
        TypeIntoCell(W().ValueListEditor1, 1, 1, QStringLiteral("3"));
        QCOMPARE(Leverage(first), "2");

        ClickTab(W().PageControl1, W().TabSheet3);
        auto question = std::make_shared<QStringList>();
        AnswerBoxes(QMessageBox::Ok, 1, question);
        ChooseFromNodeMenu(W().TreeView1, Node(W().TreeView1, 0, QStringLiteral("Enabled")), W().DeleteAccount);
        QCOMPARE(question->value(0), QStringLiteral("選択口座 【LionFX】 を削除します\nよろしいですか?"));
        QCOMPARE(Value(0, "UniqueNumber"), second);
        QCOMPARE(Leverage(first), "(none)");
        QCOMPARE(Leverage(second), "3");
    }

    void anOfflineStartShowsTheAccountsAndPortfoliosOfTheDocument()
    {
        AddAccounts(2);
        window_.reset();
        PointServiceAt(home_->dir.path(), "http://127.0.0.1:9");
        window_ = StartWindow();
        QCOMPARE(W().TreeView1->topLevelItemCount(), 2);
        QCOMPARE(W().TreeView1->topLevelItem(1)->text(0), QStringLiteral("LionFX"));
        const pugi::xml_document doc = Reload();
        const auto groupNodes = doc.document_element().child("Portfolio").children();
        const int groups = static_cast<int>(std::distance(groupNodes.begin(), groupNodes.end()));
        QVERIFY(groups > 0);
        QCOMPARE(W().TreeView2->topLevelItemCount(), groups);
    }

    void leverageTakesOnePointAndModelCaseRowsStayAsTheyAre()
    {
        AddAccounts(2);
        // The first account follows the model case (chosen on its own node).
        ClickNode(W().TreeView1, Node(W().TreeView1, 0, QStringLiteral("AutoModelCase")));
        QVERIFY(W().ComboXMLValue->isVisible());
        QTest::keyClick(W().ComboXMLValue, Qt::Key_Up);
        QCOMPARE(Value(0, "AutoModelCase"), "True");

        SelectBreakout();
        QTableWidgetItem* autoRow = W().ValueListEditor1->item(0, 1);
        QCOMPARE(autoRow->text(), QStringLiteral("2 (Auto)"));
        QVERIFY(!(autoRow->flags() & Qt::ItemIsEditable));
        TypeIntoCell(W().ValueListEditor1, 1, 1, QStringLiteral("1."));
        const std::string second = Value(1, "UniqueNumber");
        QCOMPARE(Leverage(second), "1");
        QTest::keyClicks(OpenCellEditor(W().ValueListEditor1), QStringLiteral(".5"));
        QCOMPARE(Leverage(second), "1.5"); // the second point was refused
        QCOMPARE(Leverage(Value(0, "UniqueNumber")), "(none)");
    }

    void logInValuesAreStoredScrambledAtEveryKeystroke()
    {
        AddAccounts(1);
        ClickNode(W().TreeView1, Node(W().TreeView1, 0, QStringLiteral("Enabled")));
        auto refusal = std::make_shared<QStringList>();
        AnswerBoxes(QMessageBox::Ok, 1, refusal);
        QTest::keyClick(W().ComboXMLValue, Qt::Key_Up);
        QVERIFY(refusal->value(0).startsWith(QStringLiteral("UserNameとPasswordがまだ入力されていません")));
        QCOMPARE(Value(0, "Enabled"), "False");

        for (const char* name : {"UserName", "Password"}) {
            ClickNode(W().TreeView1, Node(W().TreeView1, 0, QString::fromLatin1(name)));
            QCOMPARE(W().EditXMLValue->echoMode(), QLineEdit::Password);
            for (const QString& prefix : {QStringLiteral("a"), QStringLiteral("ab")}) {
                QTest::keyClick(W().EditXMLValue, prefix.back().toLatin1());
                QVERIFY(Value(0, name) != prefix.toStdString());
                QCOMPARE(AngouDecodeText(Value(0, name)), prefix.toStdString());
            }
        }
        ClickNode(W().TreeView1, Node(W().TreeView1, 0, QStringLiteral("Enabled")));
        QTest::keyClick(W().ComboXMLValue, Qt::Key_Up);
        QCOMPARE(Value(0, "Enabled"), "True");
    }

    void cancelOnSubPasswordLeavesNothingSelected()
    {
        AddAccounts(1);
        auto explanation = std::make_shared<QStringList>();
        AnswerBoxes(QMessageBox::Cancel, 1, explanation);
        ClickNode(W().TreeView1, Node(W().TreeView1, 0, QStringLiteral("SubPassword")));
        QVERIFY(explanation->value(0).startsWith(QStringLiteral("■この機能について")));
        QTRY_VERIFY(!W().TreeView1->currentItem());
        QVERIFY(W().TreeView1->selectedItems().isEmpty());
        QVERIFY(W().EditXMLValue->text().isEmpty());
        QTest::keyClicks(W().EditXMLValue, QStringLiteral("x"));
        QCOMPARE(Value(0, "SubPassword"), "");
    }

    void movingPastEitherEndChangesNothing()
    {
        AddAccounts(2);
        const std::string before = testsupport::ReadFileBytes(ProgramPath("Setting/Account.xml"));
        const std::string first = Value(0, "UniqueNumber");
        ChooseFromNodeMenu(W().TreeView1, Node(W().TreeView1, 0), W().MoveAccountUp);
        ChooseFromNodeMenu(W().TreeView1, Node(W().TreeView1, 1), W().MoveAccountDown);
        QCOMPARE(testsupport::ReadFileBytes(ProgramPath("Setting/Account.xml")), before);
        ChooseFromNodeMenu(W().TreeView1, Node(W().TreeView1, 0), W().MoveAccountDown);
        QCOMPARE(Value(1, "UniqueNumber"), first);
    }

    void virtualFundsFieldsSettleAndEveryChangeIsSaved()
    {
        AddAccounts(1);
        // The balance the last run read from the broker.
        pugi::xml_document doc = Reload();
        AccountIn(doc, 0).child("Today").child("Balance").text().set("1000000");
        doc.save_file(ProgramPath("Setting/Account.xml").c_str());

        Click(W().Button14);
        ClickTab(W().PageControl2, W().TabSheet8);
        QCOMPARE(W().ComboBox3->currentText(), QStringLiteral("LionFX"));
        QCOMPARE(W().Label36->text(), QStringLiteral("1000000"));
        ClickBox(W().CheckBox23);
        QCOMPARE(Value(0, "VirtualBalanceMode"), "True");

        W().Edit13->selectAll();
        QTest::keyClicks(W().Edit13, QStringLiteral("1500000"));
        QCOMPARE(W().Edit15->text(), QStringLiteral("500000"));
        QCOMPARE(Value(0, "VirtualBalance"), "500000");
        W().Edit15->selectAll();
        QTest::keyClicks(W().Edit15, QStringLiteral("200000"));
        QCOMPARE(W().Edit13->text(), QStringLiteral("1200000"));
        QCOMPARE(Value(0, "VirtualBalance"), "200000");
        // Virtual funds below the real balance: a leading minus, and nothing but digits.
        W().Edit15->selectAll();
        QTest::keyClicks(W().Edit15, QStringLiteral("-3x0"));
        QCOMPARE(W().Edit15->text(), QStringLiteral("-30"));
        QCOMPARE(W().Edit13->text(), QStringLiteral("999970"));
        QCOMPARE(Value(0, "VirtualBalance"), "-30");

        ClickBox(W().CheckBox29);
        W().Edit12->selectAll();
        QTest::keyClicks(W().Edit12, QStringLiteral("50"));
        QCOMPARE(Value(0, "AutoModelCase"), "True");
        QCOMPARE(Value(0, "AutoModelRatio"), "0.5");
    }
};

PELLAGO_GUI_TEST_MAIN(AccountScreensTest)
#include "AccountScreensTest.moc"
