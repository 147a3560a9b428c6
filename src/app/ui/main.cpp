// pellago [auto] [--home DIR] [--headless] [--once] [--accept-terms] [--status [--json]] [--rehearse] [--help] [--version]

#include "app/ProcessState.h"
#include "app/StatusOutput.h"
#include "app/Terms.h"
#include "app/UpdateKey.h"
#include "base/AkUnit.h"
#include "base/PrivateFiles.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/CommandLine.h"
#include "app/ui/PellagoContactUnit.h"
#include "app/ui/PellagoLicenseUnit.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/ProblemReportWiring.h"
#include "app/ui/ProgramEnvironment.h"
#include "app/ui/Rehearsal.h"
#include "app/ui/RehearsalOffer.h"
#include "app/ui/TerminationSignals.h"
#include "app/ui/TrayIcon.h"
#include "platform/SingleInstance.h"
#include "reporting/ui/ChartSchemeHandler.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

std::vector<std::string> ArgumentsOf(const QStringList& arguments)
{
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    return args;
}

bool Parse(const std::vector<std::string>& args, StartOptions& options)
{
    std::string error;
    if (ParseCommandLine(args, options, error))
        return true;
    std::fprintf(stderr, "pellago: %s\n%s", error.c_str(), UsageText().c_str());
    return false;
}

// Without a sandbox the engine needs no zygote: each page's process is
// started on its own and ends with the page, so a headless program rests
// between runs without the engine's helper processes. The sandbox itself
// needs the zygote.
QByteArray HeadlessEngineFlags()
{
    if (qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0)
        return "--disable-gpu --no-zygote";
    return "--disable-gpu";
}

// The browser engine needs a few settings before the application exists.
void PrepareEnvironment(bool headless)
{
    // A program restarted by ReExe inherits the first one's output; when
    // whoever read that output is gone, echoing a log line must not end it.
    std::signal(SIGPIPE, SIG_IGN);
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (headless && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", HeadlessEngineFlags());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QString ExecutableFolder() { return QFileInfo(QString::fromStdString(ExecutablePath())).absolutePath(); }

// --home, else PELLAGO_HOME, else the executable's folder.
QString ChosenProgramFolder(const StartOptions& options)
{
    QString folder = QString::fromStdString(options.home);
    if (folder.isEmpty())
        folder = qEnvironmentVariable("PELLAGO_HOME");
    return folder.isEmpty() ? ExecutableFolder() : QDir(folder).absolutePath();
}

QString ChooseProgramFolder(const StartOptions& options)
{
    const QString folder = ChosenProgramFolder(options);
    QDir().mkpath(folder);
    return folder;
}

// Only reads: a folder that does not exist is reported, not made.
int PrintStatus(const StartOptions& options)
{
    SetProgramFolder(ChosenProgramFolder(options).toStdString());
    const StatusReport report = ReadStatusReport();
    std::fputs((options.json ? StatusJson(report) : StatusText(report)).c_str(), stdout);
    return static_cast<int>(StatusCodeOf(report));
}

// What a restart through ReExe or the watchdog must keep of this start.
std::vector<std::string> RestartOptionsFor(const StartOptions& options, const QString& home)
{
    std::vector<std::string> kept;
    if (home != ExecutableFolder())
        kept = {"--home", home.toStdString()};
    if (options.headless)
        kept.push_back("--headless");
    return kept;
}

} // namespace

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    StartOptions options;
    if (!Parse(std::vector<std::string>(argv + 1, argv + argc), options))
        return 2;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Pellago ver. %s\n%s\n", FormatDecimal(ProgramVersion).c_str(), TrustedUpdateKeyLine().c_str());
        return 0;
    }
    if (options.status)
        return PrintStatus(options);
    if (options.acceptTerms) {
        const QString home = ChooseProgramFolder(options);
        SetProgramFolder(home.toStdString());
        SetRestartOptions(RestartOptionsFor(options, home));
        return AcceptTermsOnTerminal(std::cin, std::cout);
    }
    if (options.rehearse) {
        QCoreApplication app(argc, argv);
        return RunRehearsal(options);
    }
    PrepareEnvironment(options.headless);
    ChartSchemeHandler::RegisterChartScheme();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Pellago"));
    app.setWindowIcon(ApplicationIcon());
    LoadQtJapanese();
    // Qt has taken its own options out of the command line by now.
    if (!Parse(ArgumentsOf(QCoreApplication::arguments()), options))
        return 2;

    const QString home = ChooseProgramFolder(options);
    SetProgramFolder(home.toStdString());
    ExportProgramHome(home);
    SetRestartOptions(RestartOptionsFor(options, home));
    ApplyTestClockOffset();
    ApplyTestTimings();
    SetMessagePump([] { QCoreApplication::processEvents(); });

    SingleInstance instance(QString::fromStdString(ProgramFolder()));
    if (!instance.tryAcquire()) {
        instance.sendHandOver();
        return 0;
    }

    TPellagoForm form(options);
    QObject::connect(&instance, &SingleInstance::handOverReceived, &form, &TPellagoForm::HandOver);
    TForm1 terms(&form);
    const bool firstStart = !QFileInfo::exists(QString::fromStdString(TermsMarkerPath()));
    if (!SettleTermsAtStart(terms, form))
        return 0;
    OfferRehearsal(form, firstStart);
    TForm2 report(form.Edit10->text(), &form);
    ProblemReportWiring reportWiring(form, report);
    RouteTerminationSignals([&form] { form.CloseProgram(); });
    if (!options.headless)
        form.show();
    form.AutoTrade().AnnounceReady();
    return app.exec();
}
