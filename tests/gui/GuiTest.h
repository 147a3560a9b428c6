#pragma once
// Helpers shared by the window tests: a scratch program folder per test,
// starting the main window in it, and reading the log memo.

#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/RadioGroup.h"
#include "reporting/ui/ChartSchemeHandler.h"
#include "fakes/RecordingPower.h"
#include "fakes/RecordingWakeTimer.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QStringList>
#include <QtTest>

#include <memory>

namespace guitest {

// Service endpoints on a loopback port where nothing listens, so the
// start-up's template fetch fails at once and never leaves the machine.
inline void PointServiceAt(const std::string& folder, const std::string& webBase)
{
    testsupport::WriteFileBytes(folder + "service.conf",
                                "web_base = " + webBase + "\nmail_host = 127.0.0.1\nmail_port = 9\n");
}

// A fresh program folder that the program's paths point into; the windows
// started meanwhile get the recording power layer and wake timer, and their
// start-up entry lands in a scratch configuration folder.
struct ProgramHome {
    testsupport::ScratchDir dir;
    testsupport::ScratchDir config;
    RecordingPower power;
    RecordingWakeTimer wakeTimer;
    ProgramHome()
    {
        SetProgramFolder(dir.path());
        PointServiceAt(dir.path(), "http://127.0.0.1:9");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
        SetPowerControlForNextWindow(&power);
        SetWakeTimerForNextWindow(&wakeTimer);
    }
    ~ProgramHome()
    {
        SetPowerControlForNextWindow(nullptr);
        SetWakeTimerForNextWindow(nullptr);
    }
    std::string settingsFile() const { return SettingsIniPath(); }
    void writeSettings(const std::string& text) const { testsupport::WriteFileBytes(settingsFile(), text); }
};

inline std::unique_ptr<TPellagoForm> StartWindow(std::vector<std::string> arguments = {})
{
    StartOptions options;
    options.arguments = std::move(arguments);
    return std::make_unique<TPellagoForm>(options);
}

// A test class whose every test function gets a fresh folder and window:
// its init() and cleanup() slots call openWindow() and closeWindow().
class WindowTest : public QObject {
protected:
    void openWindow()
    {
        home_ = std::make_unique<ProgramHome>();
        window_ = StartWindow();
    }
    void closeWindow()
    {
        window_.reset();
        home_.reset();
    }

    std::unique_ptr<ProgramHome> home_;
    std::unique_ptr<TPellagoForm> window_;
};

// The value a control shows, comparable across windows; the time picker
// counts by its time only, as that is all the settings file keeps.
inline QVariant ControlValue(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* check = qobject_cast<QCheckBox*>(control))
        return check->isChecked();
    if (auto* radio = qobject_cast<RadioGroup*>(control))
        return radio->itemIndex();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentIndex();
    if (auto* picker = qobject_cast<QDateTimeEdit*>(control))
        return picker->time();
    return {};
}

// The texts of the memo's lines, without their time stamps.
inline QStringList MemoTexts()
{
    QStringList texts;
    for (const std::string& line : ActivityMemo().lines()) {
        const QString text = QString::fromStdString(line);
        const qsizetype cut = text.indexOf(QStringLiteral("]　"));
        texts << (cut < 0 ? text : text.mid(cut + 2));
    }
    return texts;
}

} // namespace guitest

// Qt WebEngine wants shared GL contexts before the application exists.
#define PELLAGO_GUI_TEST_MAIN(TestClass)                                                                   \
    int main(int argc, char** argv)                                                                        \
    {                                                                                                      \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                        \
        ChartSchemeHandler::RegisterChartScheme();                                                         \
        QApplication app(argc, argv);                                                                      \
        TestClass test;                                                                                    \
        return QTest::qExec(&test, argc, argv);                                                            \
    }
