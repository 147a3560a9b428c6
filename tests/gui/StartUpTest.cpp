// Start-up of the main window: defaults, folders, the report after a
// self-update, the retry and command lines, automatic mode, the terms window.

#include "GuiTest.h"

#include "app/IniFile.h"
#include "app/ui/PellagoLicenseUnit.h"
#include "app/ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

using namespace guitest;

namespace {

const QMap<QString, QVariant>& DefaultValues()
{
    static const QMap<QString, QVariant> defaults = [] {
        QMap<QString, QVariant> values;
        for (const char* on : {"CheckBox3", "CheckBox4", "CheckBox5", "CheckBox14", "CheckBox15", "CheckBox16",
                               "CheckBox7"})
            values[QString::fromLatin1(on)] = true;
        for (const char* off : {"CheckBox9", "CheckBox11", "CheckBox13", "CheckBox12", "CheckBox18", "CheckBox8",
                                "CheckBox10", "CheckBox26", "CheckBox17", "CheckBox1", "CheckBox2", "CheckBox21",
                                "CheckBox27", "CheckBox20", "CheckBox19", "CheckBox6", "CheckBox29", "CheckBox23",
                                "CheckBox24", "CheckBox25"})
            values[QString::fromLatin1(off)] = false;
        for (const char* empty : {"Edit1", "Edit2", "Edit6", "Edit11", "Edit3", "Edit7", "Edit4", "Edit5", "Edit9",
                                  "Edit10", "EditXMLValue", "Edit15"})
            values[QString::fromLatin1(empty)] = QString();
        values[QStringLiteral("Edit8")] = QStringLiteral("トレードシグナル");
        values[QStringLiteral("Edit12")] = QStringLiteral("100");
        values[QStringLiteral("Edit13")] = QStringLiteral("10");
        values[QStringLiteral("Edit14")] = QStringLiteral("10000");
        values[QStringLiteral("ComboBox2")] = 1;
        for (const char* none : {"ComboBox1", "ComboXMLValue", "ComboBox3"})
            values[QString::fromLatin1(none)] = -1;
        values[QStringLiteral("RadioGroup2")] = 0;
        values[QStringLiteral("RadioGroup1")] = 0;
        values[QStringLiteral("DateTimePicker1")] = QTime(7, 0);
        return values;
    }();
    return defaults;
}

// The keys of one section, in file order.
QStringList KeysOfSection(const std::string& path, const QString& section)
{
    QStringList keys;
    bool inside = false;
    for (const QString& line : QString::fromStdString(testsupport::ReadFileBytes(path)).split(u'\n')) {
        if (line.startsWith(u'['))
            inside = line.trimmed() == u'[' + section + u']';
        else if (inside && line.contains(u'='))
            keys << line.section(u'=', 0, 0);
    }
    return keys;
}

bool Exists(const std::string& relative) { return std::filesystem::exists(ProgramPath(relative)); }

// A plain HTTP server on a free loopback port serving the files of a folder.
class StaticSite {
public:
    explicit StaticSite(const std::string& folder)
    {
        server_.start(QStringLiteral("python3"), {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                                                  "--directory", QString::fromStdString(folder)});
        QByteArray seen;
        testsupport::WaitUntil(
            [&] {
                seen += server_.readAllStandardOutput();
                return seen.contains("port ");
            },
            10000);
        port_ = seen.mid(seen.indexOf("port ") + 5).split(' ').value(0).toStdString();
    }
    ~StaticSite()
    {
        server_.kill();
        server_.waitForFinished();
    }
    std::string base() const { return "http://127.0.0.1:" + port_; }

private:
    QProcess server_;
    std::string port_;
};

const char* const kTemplate = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<AccountTemplate><Accounts>"
                              "<Account Name=\"LionFX\"><Enabled>False</Enabled></Account>"
                              "<Account Name=\"Cosmo\"><Enabled>False</Enabled></Account>"
                              "</Accounts><Portfolio/></AccountTemplate>\n";

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void withoutSettingsFileEveryControlHasItsDefault()
    {
        ProgramHome home;
        auto window = StartWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Pellago ver. 1.0271"));
        QCOMPARE(MemoTexts().value(0), QStringLiteral("Pellago ver. 1.0271"));
        QCOMPARE(window->Stored().controls.size(), static_cast<std::size_t>(DefaultValues().size()));
        for (QWidget* control : window->Stored().controls) {
            QVERIFY2(DefaultValues().contains(control->objectName()), qPrintable(control->objectName()));
            QCOMPARE(ControlValue(control), DefaultValues()[control->objectName()]);
        }
        QVERIFY(window->SendMailTimer->isActive());
        QVERIFY(window->FastUpdateTimer->isActive());
        QVERIFY(!window->AutoTradeTimer->isActive());
        QVERIFY(!AutoMode);
        QVERIFY(window->minimumSize() == QSize(756, 600));
    }

    void sectionMainHoldsExactlyTheWindowKeysInCreationOrder()
    {
        ProgramHome home;
        std::vector<QString> names;
        {
            auto window = StartWindow();
            for (QWidget* control : window->Stored().controls)
                names.push_back(control->objectName());
        }
        QStringList expected{QStringLiteral("WindowGeometry"), QStringLiteral("Top"), QStringLiteral("Left"),
                             QStringLiteral("Width"), QStringLiteral("Height"), QStringLiteral("LogHeight")};
        for (const QString& name : names)
            expected << name;
        QCOMPARE(KeysOfSection(home.settingsFile(), QStringLiteral("Main")), expected);
    }

    void startUpCreatesTheFolderTree()
    {
        ProgramHome home;
        auto window = StartWindow();
        const std::string year = std::to_string(Now().year) + "/";
        for (const std::string& path :
             {std::string("Bin"), std::string("Setting"), std::string("MailTemp"), std::string("MailLog"),
              "AutoTrade/SignalLog/" + year, "AutoTrade/AccountLog/" + year,
              std::string("AutoTrade/AccountLog/Balance.csv"), std::string("Log/hd")})
            QVERIFY2(Exists(path), path.c_str());
        QCOMPARE(window->AccountXmlPath, ProgramPath("Setting/Account.xml"));
    }

    void updateOutcomeIsReportedOnce_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("report");
        QTest::newRow("update took effect")
            << QStringLiteral("1.02")
            << QStringList{QStringLiteral("Pellagoは、正常にver. 1.02 から ver.1.0271にアップデートしました"),
                           QStringLiteral("引き続き、通常の処理を続行します")};
        QTest::newRow("still the same version")
            << QStringLiteral("1.0271")
            << QStringList{QStringLiteral("Pellagoはアップデートに失敗し、現在 ver.1.0271のままです"),
                           QStringLiteral("アップデート処理は、改めて次回シグナル受信時に試み"),
                           QStringLiteral("今回は、通常の処理に戻ります")};
    }

    void updateOutcomeIsReportedOnce()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, report);
        ProgramHome home;
        home.writeSettings("[AutoUpdate]\r\nCheckVersion=1\r\nBeforeVersion=" + before.toStdString() + "\r\n");
        {
            auto window = StartWindow();
            const QStringList texts = MemoTexts();
            const qsizetype at = texts.indexOf(report.first());
            QVERIFY2(at > 0, qPrintable(texts.join(u'\n')));
            QCOMPARE(texts.mid(at, report.size()), report);
            QCOMPARE(texts.value(at + report.size()),
                     QStringLiteral("今回はアップデート直後のため、起動時versionチェックをスルーします"));
            QVERIFY(VersionChecked);
            QVERIFY(!window->FastUpdateTimer->isActive());
        }
        QCOMPARE(ReadIniString(home.settingsFile(), "AutoUpdate", "CheckVersion").value_or(""), std::string("0"));
        auto again = StartWindow();
        QVERIFY(!MemoTexts().contains(report.first()));
        QVERIFY(!VersionChecked);
    }

    void updateOutcomeGoesByMailWhenMailReportsAreOn()
    {
        ProgramHome home;
        home.writeSettings("[AutoUpdate]\r\nCheckVersion=1\r\nBeforeVersion=1.02\r\n[Main]\r\nCheckBox1=1\r\n");
        auto window = StartWindow();
        const std::vector<std::string> queued = ListFolder(ProgramPath("MailTemp/"), "log", ListMode::Files);
        QCOMPARE(queued.size(), std::size_t(1));
        std::string mail;
        QVERIFY(LoadTextFile(ProgramPath("MailTemp/" + queued.front()), mail));
        QVERIFY(QString::fromStdString(mail).trimmed().endsWith(QStringLiteral("ver. 1.0271へのアップデートに成功")));
        QVERIFY(!MemoTexts().contains(QStringLiteral("引き続き、通常の処理を続行します")));
    }

    void startUpFillsTheBrokerListFromTheServiceTemplate()
    {
        ProgramHome home;
        testsupport::ScratchDir site;
        testsupport::WriteFileBytes(site.file("account_template.xml"), kTemplate);
        StaticSite server(site.path());
        PointServiceAt(home.dir.path(), server.base());
        auto window = StartWindow();
        QCOMPARE(window->ComboBox1->count(), 2);
        QCOMPARE(window->ComboBox1->currentText(), QStringLiteral("LionFX"));
        QVERIFY(window->Button3->isEnabled());
        QVERIFY(Exists("Setting/AccountTemplate.xml"));
    }

    void startUpWithoutTheServiceLogsItAndGoesOn()
    {
        ProgramHome home;
        auto window = StartWindow();
        QCOMPARE(window->ComboBox1->count(), 0);
        QVERIFY(!window->Button3->isEnabled());
        const QStringList texts = MemoTexts();
        const qsizetype failed =
            texts.indexOf(QStringLiteral("Webから業者リスト/ポートフォリオリストを取得しようとしましたが失敗しました。"));
        QVERIFY(failed > 0);
        QCOMPARE(texts.value(failed + 2), QStringLiteral("[Command] "));
    }

    void retryLineComesBeforeTheCommandLine()
    {
        ProgramHome home;
        home.writeSettings("[AutoTrade]\r\nURetryCount=3\r\n");
        auto window = StartWindow({"auto", "3"});
        const QStringList texts = MemoTexts();
        const qsizetype retry = texts.indexOf(QStringLiteral("■ 3回目のリトライ起動です"));
        QVERIFY2(retry > 0, qPrintable(texts.join(u'\n')));
        QCOMPARE(texts.value(retry + 1), QStringLiteral("[Command] auto"));
        QCOMPARE(texts.value(retry + 2), QStringLiteral("自動売買モードで起動。定期的にシグナルをチェックします"));
        QCOMPARE(AutoRetryCount, 3);
    }

    void firstArgumentDecidesAutomaticMode_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("auto") << QStringList{QStringLiteral("auto")} << true;
        QTest::newRow("AUTO") << QStringList{QStringLiteral("AUTO")} << true;
        QTest::newRow("Auto with retry") << QStringList{QStringLiteral("Auto"), QStringLiteral("4")} << true;
        QTest::newRow("autox") << QStringList{QStringLiteral("autox")} << false;
        QTest::newRow("auto second") << QStringList{QStringLiteral("x"), QStringLiteral("auto")} << false;
        QTest::newRow("none") << QStringList{} << false;
    }

    void firstArgumentDecidesAutomaticMode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, automatic);
        ProgramHome home;
        std::vector<std::string> args;
        for (const QString& argument : arguments)
            args.push_back(argument.toStdString());
        auto window = StartWindow(args);
        QVERIFY(MemoTexts().contains(QStringLiteral("[Command] ") + arguments.value(0)));
        QCOMPARE(AutoMode, automatic);
        QCOMPARE(window->AutoTradeTimer->isActive(), automatic);
        QCOMPARE(window->AutoTradeTimer->interval(), 5000);
        QCOMPARE(window->Button8->isHidden(), !automatic);
        QCOMPARE(window->Button7->isHidden(), automatic);
        QCOMPARE(window->Edit1->isEnabled(), !automatic);
        QCOMPARE(window->Button8->isEnabled(), true);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("positional");
        QTest::addColumn<QString>("home");
        QTest::addColumn<bool>("headless");
        QTest::newRow("helper restart") << QStringList{"auto", "3"} << true << QStringList{"auto", "3"} << QString()
                                        << false;
        QTest::newRow("options anywhere") << QStringList{"--headless", "auto", "--home", "/x y", "--once"} << true
                                          << QStringList{"auto"} << QStringLiteral("/x y") << true;
        QTest::newRow("home with equals") << QStringList{"--home=/h"} << true << QStringList{} << QStringLiteral("/h")
                                          << false;
        QTest::newRow("home without folder") << QStringList{"--home"} << false << QStringList{} << QString() << false;
        QTest::newRow("unknown option") << QStringList{"--fast"} << false << QStringList{} << QString() << false;
        QTest::newRow("json without status") << QStringList{"--json"} << false << QStringList{} << QString() << false;
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, valid);
        QFETCH(QStringList, positional);
        QFETCH(QString, home);
        QFETCH(bool, headless);
        std::vector<std::string> raw;
        for (const QString& arg : args)
            raw.push_back(arg.toStdString());
        StartOptions options;
        std::string error;
        QCOMPARE(ParseCommandLine(raw, options, error), valid);
        if (!valid) {
            QVERIFY(!error.empty());
            return;
        }
        QStringList parsed;
        for (const std::string& arg : options.arguments)
            parsed << QString::fromStdString(arg);
        QCOMPARE(parsed, positional);
        QCOMPARE(QString::fromStdString(options.home), home);
        QCOMPARE(options.headless, headless);
    }

    void termsWindow_data()
    {
        QTest::addColumn<bool>("markerBefore");
        QTest::addColumn<QString>("press"); // button to press when the window shows
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("markerAfter");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted before") << true << QString() << int(TForm1::Outcome::AcceptedBefore) << true << true;
        // Accepted now counts at once: the automatic cycle need not wait for the next start.
        QTest::newRow("agree") << false << QStringLiteral("Button1") << int(TForm1::Outcome::AcceptedNow) << true
                               << true;
        QTest::newRow("decline") << false << QStringLiteral("Button2") << int(TForm1::Outcome::Declined) << false
                                 << false;
    }

    void termsWindow()
    {
        QFETCH(bool, markerBefore);
        QFETCH(QString, press);
        QFETCH(int, outcome);
        QFETCH(bool, markerAfter);
        QFETCH(bool, accepted);
        ProgramHome home;
        ResetProcessState();
        EnsureDir(ProgramPath("AutoTrade/"));
        SaveTextFile(ProgramPath("license.txt"), "使用許諾の本文");
        if (markerBefore)
            CreateEmptyTextFile(TForm1::MarkerPath());
        TForm1 terms;
        QString shownText;
        QTimer::singleShot(0, &terms, [&] {
            shownText = terms.Memo1->toPlainText();
            if (!press.isEmpty())
                terms.findChild<QPushButton*>(press)->click();
        });
        QCOMPARE(int(terms.RunAtStart(false)), outcome);
        QCOMPARE(std::filesystem::exists(TForm1::MarkerPath()), markerAfter);
        QCOMPARE(TermsAccepted, accepted);
        if (!markerBefore)
            QCOMPARE(shownText.trimmed(), QStringLiteral("使用許諾の本文"));
    }

    void termsWithoutLicenseTextGoOnUnaccepted()
    {
        ProgramHome home;
        ResetProcessState();
        TForm1 terms;
        QCOMPARE(terms.RunAtStart(true), TForm1::Outcome::NotShown);
        QVERIFY(!TermsAccepted);
        QVERIFY(!std::filesystem::exists(TForm1::MarkerPath()));
    }
};

PELLAGO_GUI_TEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
