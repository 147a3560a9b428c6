// The option rules of the main window, the tab locks of a run and of the
// settings panel, and the log display that the panel suspends.

#include "GuiTest.h"

#include "app/ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace guitest;

namespace {

// Names of the enabled input controls lying directly on the left tabs.
QStringList EnabledOnLeftTabs(const TPellagoForm& window)
{
    QStringList enabled;
    for (int i = 0; i < window.PageControl1->count(); ++i)
        for (QWidget* child : window.PageControl1->widget(i)->findChildren<QWidget*>(
                 QString(), Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QLabel*>(child) && child->isEnabled())
                enabled << child->objectName();
    return enabled;
}

QStringList Enabled(const TPellagoForm& window, const QStringList& names, bool wanted)
{
    QStringList wrong;
    for (const QString& name : names)
        if (window.findChild<QWidget*>(name)->isEnabled() != wanted)
            wrong << name;
    return wrong;
}

// Presses the button of the next message box that asks something.
void AnswerNextQuestion(QMessageBox::StandardButton answer)
{
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        box->button(answer)->click();
    });
}

} // namespace

class OptionRulesTest : public WindowTest {
    Q_OBJECT

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void mailControlsFollowTheRoute_data()
    {
        QTest::addColumn<bool>("mail");
        QTest::addColumn<bool>("relay");
        QTest::addColumn<bool>("mailClient");
        QTest::addColumn<bool>("localOnly");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("disabled");
        const QStringList smtp{"Edit3", "Edit7", "Edit4", "Edit5", "Edit8"};
        const QStringList mailOptions{"CheckBox2", "CheckBox19", "CheckBox20", "CheckBox21"};
        QTest::newRow("mail off") << false << false << false << false << QStringList{"CheckBox1"}
                                  << smtp + mailOptions
                                         + QStringList{"Edit9", "Edit10", "CheckBox27", "Button1", "CheckBox3",
                                                       "CheckBox6"};
        QTest::newRow("smtp") << true << false << false << false
                              << smtp + mailOptions + QStringList{"Edit9", "Edit10", "CheckBox27", "Button1"}
                              << QStringList{};
        QTest::newRow("mail client") << true << false << true << false
                                     << mailOptions + QStringList{"Edit10", "CheckBox27", "Button1"}
                                     << smtp + QStringList{"Edit9"};
        QTest::newRow("relay") << true << true << false << false
                               << QStringList{"Edit9", "Edit10", "CheckBox27", "Button1", "CheckBox3"}
                               << smtp + mailOptions;
        QTest::newRow("relay over mail client") << true << true << true << false
                                                << QStringList{"Edit9", "Edit10"} << smtp + mailOptions;
        QTest::newRow("kept locally") << true << false << false << true << smtp + QStringList{"CheckBox19"}
                                      << QStringList{"Button1"};
    }

    void mailControlsFollowTheRoute()
    {
        QFETCH(bool, mail);
        QFETCH(bool, relay);
        QFETCH(bool, mailClient);
        QFETCH(bool, localOnly);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, disabled);
        // The master switch last: its rule must apply the route options set before.
        window_->CheckBox27->setChecked(relay);
        window_->CheckBox20->setChecked(mailClient);
        window_->CheckBox19->setChecked(localOnly);
        window_->CheckBox1->setChecked(mail);
        QCOMPARE(Enabled(*window_, enabled, true), QStringList());
        QCOMPARE(Enabled(*window_, disabled, false), QStringList());
    }

    void proxyAddressFollowsItsCheckBox()
    {
        const QStringList proxy{"Edit11", "Label20", "Label21", "Label22"};
        QCOMPARE(Enabled(*window_, proxy, false), QStringList());
        window_->CheckBox17->setChecked(true);
        QCOMPARE(Enabled(*window_, proxy, true), QStringList());
        window_->CheckBox17->setChecked(false);
        QCOMPARE(Enabled(*window_, proxy, false), QStringList());
    }

    void demoModeLocksTheLogInAndSetsTheCycle_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("demoInterval");
        QTest::newRow("first tick still pending") << 5000 << 5000;
        QTest::newRow("running cycle") << 180000 << 600000;
    }

    void demoModeLocksTheLogInAndSetsTheCycle()
    {
        QFETCH(int, interval);
        QFETCH(int, demoInterval);
        const QStringList login{"Edit1", "Edit2", "Edit6", "Button4", "CheckBox26"};
        window_->AutoTradeTimer->setInterval(interval);
        window_->CheckBox10->setChecked(true);
        QCOMPARE(Enabled(*window_, login, false), QStringList());
        QCOMPARE(window_->AutoTradeTimer->interval(), demoInterval);
        window_->CheckBox10->setChecked(false);
        QCOMPARE(Enabled(*window_, login, true), QStringList());
        QCOMPARE(window_->AutoTradeTimer->interval(), interval);
    }

    void demoModeAsksBeforeReplacingARealLogIn_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("demo");
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
        QTest::newRow("ok") << int(QMessageBox::Ok) << true;
    }

    void demoModeAsksBeforeReplacingARealLogIn()
    {
        QFETCH(int, answer);
        QFETCH(bool, demo);
        window_->show();
        window_->Edit1->setText(QStringLiteral("user"));
        AnswerNextQuestion(QMessageBox::StandardButton(answer));
        window_->CheckBox10->click();
        QCOMPARE(window_->CheckBox10->isChecked(), demo);
        QCOMPARE(window_->Edit1->isEnabled(), !demo);
    }

    void powerActionDecidesTheWakeUp()
    {
        QVERIFY(!window_->ComboBox2->isEnabled());
        window_->CheckBox11->setChecked(true);
        QVERIFY(window_->ComboBox2->isEnabled());
        window_->CheckBox13->setChecked(true);
        QVERIFY(window_->DateTimePicker1->isEnabled());

        window_->ComboBox2->setCurrentIndex(0);
        emit window_->ComboBox2->activated(0);
        QVERIFY(!window_->CheckBox13->isChecked());
        QVERIFY(!window_->CheckBox13->isEnabled());
        QVERIFY(!window_->DateTimePicker1->isEnabled());

        window_->ComboBox2->setCurrentIndex(2);
        emit window_->ComboBox2->activated(2);
        QVERIFY(window_->CheckBox13->isEnabled());
        QCOMPARE(window_->CheckBox13->text(), QStringLiteral("毎朝　　　　　　　　に休止状態から復帰する"));
        QVERIFY(!window_->DateTimePicker1->isEnabled());
    }

    void rebootNeedsTheStartUpEntry()
    {
        window_->CheckBox12->setChecked(true);
        QVERIFY(!window_->CheckBox12->isChecked());
        QVERIFY(MemoTexts().contains(QStringLiteral("この機能を使うには")));
        window_->CheckBox9->setChecked(true);
        window_->CheckBox12->setChecked(true);
        QVERIFY(window_->CheckBox12->isChecked());
    }

    void virtualFundsFieldsFollowTheirCheckBoxes()
    {
        QCOMPARE(Enabled(*window_, {"Edit12", "Edit13", "Edit15", "Label36", "CheckBox24", "Edit14"}, false),
                 QStringList());
        window_->CheckBox29->setChecked(true);
        window_->CheckBox23->setChecked(true);
        QCOMPARE(Enabled(*window_, {"Edit12", "Edit13", "Edit15", "Label36", "CheckBox24"}, true), QStringList());
        QVERIFY(!window_->Edit14->isEnabled());
        window_->CheckBox24->setChecked(true);
        QVERIFY(window_->Edit14->isEnabled());
    }

    void aRunLocksTheLeftTabsUntilItEnds()
    {
        window_->LockForRun(false, 1);
        QVERIFY(TradeRunning);
        QCOMPARE(EnabledOnLeftTabs(*window_), QStringList());
        QVERIFY(!window_->Label24->isEnabled()); // the second line of a greyed option greys with it
        QCOMPARE(window_->RadioGroup1->itemIndex(), 1);
        QVERIFY(window_->Panel3->isHidden());
        // A rule of a locked tab must not unlock its controls.
        window_->CheckBox1->setChecked(true);
        QVERIFY(!window_->Edit3->isEnabled());

        window_->LockForRun(true, 0);
        QVERIFY(!TradeRunning);
        QVERIFY(window_->Edit3->isEnabled());
        QVERIFY(window_->Edit1->isEnabled());
        QVERIFY(window_->Label24->isEnabled());
        QVERIFY(!window_->ComboBox2->isEnabled()); // still follows CheckBox11
        QVERIFY(!window_->Panel3->isHidden());
        QVERIFY(!window_->Memo1->isHidden());
    }

    void settingsPanelLocksTheLeftTabsAndGivesTheLogModeBack_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("browserShown");
        QTest::addColumn<bool>("memoShown");
        QTest::newRow("always shown") << 0 << true << true;
        QTest::newRow("maximised") << 1 << false << true;
        QTest::newRow("while messages arrive") << 2 << true << false;
    }

    void settingsPanelLocksTheLeftTabsAndGivesTheLogModeBack()
    {
        QFETCH(int, mode);
        QFETCH(bool, browserShown);
        QFETCH(bool, memoShown);
        window_->RadioGroup1->setItemIndex(mode);

        window_->Button14->click();
        QVERIFY(window_->SettingsPanelOpen());
        QVERIFY(!window_->PageControl2->isHidden());
        QVERIFY(window_->Memo1->isHidden());
        QVERIFY(!window_->Panel3->isHidden());
        QCOMPARE(EnabledOnLeftTabs(*window_), QStringList{"Button15"});
        QCOMPARE(window_->Button15->geometry(), window_->Button14->geometry());
        window_->PageControl1->setCurrentIndex(3);
        QCOMPARE(window_->PageControl1->currentIndex(), 0);
        QVERIFY(MemoTexts().contains(
            QStringLiteral("メインタブを移動するには、先に『設定を保存して閉じる』ボタンを押してください")));

        window_->Button15->click();
        QVERIFY(!window_->SettingsPanelOpen());
        QVERIFY(window_->PageControl2->isHidden());
        QVERIFY(window_->Button15->isHidden());
        QVERIFY(!window_->Button14->isHidden());
        QCOMPARE(!window_->Panel3->isHidden(), browserShown);
        QCOMPARE(!window_->Memo1->isHidden(), memoShown);
        QVERIFY(window_->Edit1->isEnabled());
        QVERIFY(window_->Button5->isEnabled());
        QCOMPARE(window_->RadioGroup1->itemIndex(), mode);
    }

    void trayNoticeOnlyWhileTheSettingsPanelIsOpen()
    {
        const QString notice = QStringLiteral("以後、Xボタンを押すとタスクトレイにアイコン化されます");
        window_->CheckBox25->setChecked(true);
        QVERIFY(!MemoTexts().contains(notice));
        window_->CheckBox25->setChecked(false);
        window_->Button14->click();
        window_->CheckBox25->setChecked(true);
        QVERIFY(MemoTexts().contains(notice));
    }
};

PELLAGO_GUI_TEST_MAIN(OptionRulesTest)
#include "OptionRulesTest.moc"
