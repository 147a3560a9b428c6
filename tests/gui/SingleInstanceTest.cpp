// One program per program folder: the lock and hand-over in process, and the
// built program started twice in a scratch folder.

#include "GuiTest.h"

#include "app/IniFile.h"
#include "platform/SingleInstance.h"

#include <QProcess>
#include <QSignalSpy>

#include <csignal>

using namespace guitest;
using testsupport::ScratchDir;

namespace {

constexpr int kStartTimeoutMs = 60000;

// The built program, headless, in the given program folder.
std::unique_ptr<QProcess> StartProgram(const std::string& home, const QStringList& extra = {})
{
    PointServiceAt(home, "http://127.0.0.1:9");
    auto program = std::make_unique<QProcess>();
    program->setProgram(QString::fromStdString(testsupport::BinDir() + "pellago"));
    program->setArguments(QStringList{"--home", QString::fromStdString(home), "--headless"} + extra);
    program->start();
    return program;
}

bool WaitForOutput(QProcess& program, QByteArray& seen, const QByteArray& text)
{
    return testsupport::WaitUntil(
        [&] {
            seen += program.readAllStandardOutput();
            return seen.contains(text) || program.state() == QProcess::NotRunning;
        },
        kStartTimeoutMs) && seen.contains(text);
}

bool Stop(QProcess& program, int signal)
{
    ::kill(static_cast<pid_t>(program.processId()), signal);
    return program.waitForFinished(30000);
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondHolderOfAFolderHandsOver()
    {
        ScratchDir folder;
        ScratchDir other;
        const QString path = QString::fromStdString(folder.path());
        auto first = std::make_unique<SingleInstance>(path);
        SingleInstance second(path);
        SingleInstance elsewhere(QString::fromStdString(other.path()));
        QVERIFY(first->tryAcquire());
        QVERIFY(!second.tryAcquire());
        QVERIFY(elsewhere.tryAcquire());

        QSignalSpy handedOver(first.get(), &SingleInstance::handOverReceived);
        QSignalSpy elsewhereHandedOver(&elsewhere, &SingleInstance::handOverReceived);
        bool sent = false;
        QTimer::singleShot(0, [&] { sent = second.sendHandOver(1000); });
        QVERIFY(handedOver.wait(5000));
        QTRY_VERIFY(sent);
        QCOMPARE(elsewhereHandedOver.count(), 0);

        first.reset();
        QVERIFY(second.tryAcquire());
    }

    void handOverWithoutARunningInstanceFails()
    {
        ScratchDir folder;
        QVERIFY(!SingleInstance(QString::fromStdString(folder.path())).sendHandOver(500));
    }

    void secondStartOfTheProgramHandsOverAndEnds()
    {
        ScratchDir home;
        auto first = StartProgram(home.path());
        QByteArray firstOutput;
        QVERIFY2(WaitForOutput(*first, firstOutput, "[Command] "), firstOutput.constData());

        auto second = StartProgram(home.path(), {"auto"});
        QVERIFY(second->waitForFinished(30000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(second->readAllStandardOutput(), QByteArray());
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(testsupport::WaitUntil(
            [&] { return testsupport::ReadFileBytes(home.file("Log/hd")).find("HandOverMessage 1025") != std::string::npos; },
            10000));

        // Stopped by a signal, the program still ends normally and writes its settings.
        QVERIFY(Stop(*first, SIGTERM));
        QCOMPARE(first->exitCode(), 0);
        QCOMPARE(ReadIniString(home.file("pellago.ini"), "Main", "Edit8").value_or(""),
                 std::string("トレードシグナル"));
    }

    void lockOfAKilledProgramIsTakenOver()
    {
        ScratchDir home;
        auto killed = StartProgram(home.path());
        QByteArray output;
        QVERIFY2(WaitForOutput(*killed, output, "[Command] "), output.constData());
        QVERIFY(Stop(*killed, SIGKILL));

        auto next = StartProgram(home.path(), {"AUTO"});
        QByteArray nextOutput;
        QVERIFY2(WaitForOutput(*next, nextOutput, "自動売買モードで起動。定期的にシグナルをチェックします"),
                 nextOutput.constData());
        QVERIFY(Stop(*next, SIGTERM));
    }
};

PELLAGO_GUI_TEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
