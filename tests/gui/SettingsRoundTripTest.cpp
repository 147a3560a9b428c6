// Section "Main" of the settings file: what one window writes, the next one
// reads back; unreadable values, the developer switch, and the click rules
// that loading runs.

#include "GuiTest.h"

#include "app/IniFile.h"
#include "base/Angou.h"
#include "base/TextCodec.h"
#include "app/ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>

using namespace guitest;

namespace {

QMap<QString, QVariant> ValuesOf(const TPellagoForm& window)
{
    QMap<QString, QVariant> values;
    for (QWidget* control : window.Stored().controls)
        values[control->objectName()] = ControlValue(control);
    return values;
}

const QString kPassword = QStringLiteral("p<a>ss=;\"\\ ,#x");
const QString kJapanesePassword = QStringLiteral("パス<ワード>");

void ChangeEverything(TPellagoForm& window)
{
    window.setGeometry(10, 20, 800, 650);
    for (QCheckBox* on : {window.CheckBox9, window.CheckBox12, window.CheckBox11, window.CheckBox13,
                          window.CheckBox18, window.CheckBox26, window.CheckBox17, window.CheckBox1, window.CheckBox2,
                          window.CheckBox21, window.CheckBox27, window.CheckBox20, window.CheckBox19, window.CheckBox6,
                          window.CheckBox29, window.CheckBox23, window.CheckBox24, window.CheckBox25, window.CheckBox10})
        on->setChecked(true);
    window.CheckBox3->setChecked(false);
    window.CheckBox7->setChecked(false);
    window.ComboBox2->setCurrentIndex(2);
    window.DateTimePicker1->setTime(QTime(6, 45));
    window.Edit1->setText(QStringLiteral("user<id>"));
    window.Edit2->setText(kPassword);
    window.Edit6->setText(kJapanesePassword);
    window.Edit5->setText(QStringLiteral("<>&=;"));
    window.RadioGroup2->setItemIndex(2);
    window.Edit11->setText(QStringLiteral("127.0.0.1:8080"));
    window.Edit3->setText(QStringLiteral("smtp.example"));
    window.Edit7->setText(QStringLiteral("587"));
    window.Edit4->setText(QStringLiteral("login"));
    window.Edit8->setText(QStringLiteral("送信者 <名前>"));
    window.Edit9->setText(QStringLiteral("a@b"));
    window.Edit10->setText(QStringLiteral("x@y;z@w,v@u"));
    window.Edit12->setText(QStringLiteral("150"));
    window.Edit13->setText(QStringLiteral("500000"));
    window.Edit15->setText(QStringLiteral("499990"));
    window.Edit14->setText(QStringLiteral("1"));
    window.RadioGroup1->setItemIndex(2);
}

} // namespace

class SettingsRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void whatOneWindowWritesTheNextReadsBack()
    {
        ProgramHome home;
        QMap<QString, QVariant> written;
        {
            auto window = StartWindow();
            ChangeEverything(*window);
            written = ValuesOf(*window);
        }
        auto window = StartWindow();
        QCOMPARE(ValuesOf(*window), written);
        QCOMPARE(window->geometry(), QRect(10, 20, 800, 650));
    }

    void passwordsAreStoredScrambled_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("password");
        QTest::newRow("ascii with < and >") << QStringLiteral("Edit2") << kPassword;
        QTest::newRow("japanese") << QStringLiteral("Edit6") << kJapanesePassword;
        QTest::newRow("empty stays empty") << QStringLiteral("Edit5") << QString();
    }

    void passwordsAreStoredScrambled()
    {
        QFETCH(QString, key);
        QFETCH(QString, password);
        ProgramHome home;
        StartWindow()->findChild<QLineEdit*>(key)->setText(password);
        const std::string stored = ReadIniString(home.settingsFile(), "Main", key.toStdString()).value_or("?");
        QCOMPARE(stored.size(), 8 * Utf8ToCp932(password.toStdString()).size());
        QCOMPARE(QString::fromStdString(AngouDecodeText(stored)), password);
        QCOMPARE(StartWindow()->findChild<QLineEdit*>(key)->text(), password);
    }

    void valuesThatDoNotConvertGiveTheDefaults()
    {
        ProgramHome home;
        const int firstStartWidth = StartWindow()->width();
        home.writeSettings("[Main]\nCheckBox3=yes\nRadioGroup1=x\nComboBox2=two\nDateTimePicker1=25:99\n"
                           "Width=abc\nRadioGroup2=7\nEdit12=\n");
        auto window = StartWindow();
        QVERIFY(window->CheckBox3->isChecked());
        QCOMPARE(window->RadioGroup1->itemIndex(), 0);
        QCOMPARE(window->ComboBox2->currentIndex(), 1);
        QCOMPARE(window->DateTimePicker1->time(), QTime(7, 0));
        QCOMPARE(window->width(), firstStartWidth);
        QCOMPARE(window->RadioGroup2->itemIndex(), 2); // beyond the last item: the last
        QCOMPARE(window->Edit12->text(), QString());    // an empty value is a value
    }

    void windowsFileInShiftJisIsRead()
    {
        ProgramHome home;
        home.writeSettings("[Main]\r\nEdit8=" + Utf8ToCp932("トレードシグナル (旧)") + "\r\n");
        QCOMPARE(StartWindow()->Edit8->text(), QStringLiteral("トレードシグナル (旧)"));
    }

    void developerSwitchIsWrittenButNotTakenBack()
    {
        ProgramHome home;
        home.writeSettings("[Main]\nCheckBox8=1\n");
        {
            auto window = StartWindow();
            QVERIFY(!window->CheckBox8->isChecked());
            window->CheckBox8->setChecked(true);
        }
        QCOMPARE(ReadIniString(home.settingsFile(), "Main", "CheckBox8").value_or(""), std::string("1"));
        QVERIFY(!StartWindow()->CheckBox8->isChecked());
    }

    void loadingRunsClickRulesButNotTheComboChangeRule()
    {
        ProgramHome home;
        home.writeSettings("[Main]\nCheckBox17=1\nCheckBox1=1\nCheckBox13=1\nComboBox2=0\nRadioGroup1=1\n"
                           "EditXMLValue=left over\n");
        auto window = StartWindow();
        QVERIFY(window->Edit11->isEnabled());
        QVERIFY(window->Edit3->isEnabled());
        QVERIFY(window->CheckBox13->isChecked()); // only a user's change of ComboBox2 unticks it
        QVERIFY(!window->DateTimePicker1->isEnabled());
        QVERIFY(window->Panel3->isHidden());
        QCOMPARE(window->EditXMLValue->text(), QString());
    }
};

PELLAGO_GUI_TEST_MAIN(SettingsRoundTripTest)
#include "SettingsRoundTripTest.moc"
