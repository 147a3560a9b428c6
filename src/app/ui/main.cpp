// pellago [auto] [--home DIR] [--headless] [--once]

#include "base/AkUnit.h"
#include "app/ui/CommandLine.h"
#include "app/ui/PellagoContactUnit.h"
#include "app/ui/PellagoLicenseUnit.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/ProgramEnvironment.h"
#include "app/ui/TerminationSignals.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>

#include <cstdio>
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
    std::fprintf(stderr, "pellago: %s\nusage: pellago [auto] [--home DIR] [--headless] [--once]\n", error.c_str());
    return false;
}

// The browser engine needs a few settings before the application exists.
void PrepareEnvironment(bool headless)
{
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (headless && qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// --home, else PELLAGO_HOME, else the executable's folder.
QString ChooseProgramFolder(const StartOptions& options)
{
    QString folder = QString::fromStdString(options.home);
    if (folder.isEmpty())
        folder = qEnvironmentVariable("PELLAGO_HOME");
    if (folder.isEmpty())
        return QCoreApplication::applicationDirPath();
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}

} // namespace

int main(int argc, char** argv)
{
    StartOptions options;
    if (!Parse(std::vector<std::string>(argv + 1, argv + argc), options))
        return 2;
    PrepareEnvironment(options.headless);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Pellago"));
    // Qt has taken its own options out of the command line by now.
    if (!Parse(ArgumentsOf(QCoreApplication::arguments()), options))
        return 2;

    const QString home = ChooseProgramFolder(options);
    SetProgramFolder(home.toStdString());
    ExportProgramHome(home);
    ApplyTestClockOffset();
    SetMessagePump([] { QCoreApplication::processEvents(); });

    SingleInstance instance(QString::fromStdString(ProgramFolder()));
    if (!instance.tryAcquire()) {
        instance.sendHandOver();
        return 0;
    }

    TPellagoForm form(options);
    QObject::connect(&instance, &SingleInstance::handOverReceived, &form, &TPellagoForm::HandOver);
    TForm1 terms(&form);
    if (terms.RunAtStart(options.headless) == TForm1::Outcome::Declined)
        return 0;
    TForm2 report(form.Edit10->text(), &form);
    RouteTerminationSignals([&form] { form.CloseProgram(); });
    if (!options.headless)
        form.show();
    return app.exec();
}
