// The main window as a user meets it on the desktop: the first start opens
// it whole on the screen, the log pane keeps the beginning of its newest line
// in view, and the close box in automatic mode asks before it ends trading;
// "いいえ" keeps the cycle running. A later start finds the window where it
// was left, maximized or not, and back on the screen when it was off it.
// With PELLAGO_SCREENSHOT_DIR set, the screens are saved there (run under a
// real X server for the whole screen).

#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/ui/PellagoLicenseUnit.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/ProgramEnvironment.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "support/TestSupport.h"
#include "support/WindowInput.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace windowinput;

namespace {

// The whole screen where there is one to grab, else the window alone.
void Snapshot(QWidget& window, const char* name)
{
    const char* folder = std::getenv("PELLAGO_SCREENSHOT_DIR");
    if (!folder)
        return;
    QTest::qWait(1500); // the status page draws itself
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull())
        shot = window.grab();
    shot.save(QString::fromUtf8(folder) + "/" + name);
}

// The watchdog that automatic mode starts would revive this test program.
struct WatchdogEnder {
    ~WatchdogEnder() { TerminateProcess(WatchdogProcess); }
};

// A program folder whose terms are accepted and whose service is a port
// where nobody answers.
void PrepareHome(const testsupport::ScratchDir& home, const std::string& settings = {})
{
    std::filesystem::create_directories(home.file("AutoTrade"));
    testsupport::WriteFileBytes(home.file("AutoTrade/Licensed"), "");
    testsupport::WriteFileBytes(home.file("service.conf"),
                                "web_base = http://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort())
                                    + "/\nmail_host = 127.0.0.1\nmail_port = 9\n");
    SetProgramFolder(home.path());
    ResetProcessState();
    if (!settings.empty())
        testsupport::WriteFileBytes(SettingsIniPath(), settings);
}

void StartWindow(TPellagoForm& window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TForm1 terms(&window);
    ASSERT_TRUE(SettleTermsAtStart(terms, window));
}

bool FrameOnScreen(const QWidget& window)
{
    return window.screen()->availableGeometry().contains(window.frameGeometry());
}

// The first character of the memo's last line lies inside the visible pane.
bool NewestLineBeginningVisible(QPlainTextEdit* memo)
{
    QTextCursor start(memo->document()->lastBlock());
    return memo->viewport()->rect().contains(memo->cursorRect(start).center())
           && memo->horizontalScrollBar()->value() == 0;
}

// The close box, as the window system delivers it (a spontaneous close);
// the question it asks is answered with `answer`, and its text kept.
QString CloseByTheCloseBox(TPellagoForm& window, QMessageBox::StandardButton answer)
{
    auto texts = std::make_shared<QStringList>();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer, texts, &window] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        Snapshot(window, "closing-question.png");
        *texts << box->windowTitle() << box->text() << box->button(answer)->text();
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
        poll->deleteLater();
    });
    poll->start(50);
    QCloseEvent close;
    QCoreApplication::sendEvent(window.windowHandle(), &close);
    return texts->join(u'|');
}

} // namespace

TEST(MainWindow, FirstStartLogPaneAndTheCloseBoxInAutomaticMode)
{
    testsupport::ScratchDir home;
    PrepareHome(home);
    LoadQtJapanese(); // as the program's main does
    SetMessagePump([] { QCoreApplication::processEvents(); });
    WatchdogEnder watchdog;
    {
        TPellagoForm window{StartOptions()};
        ASSERT_NO_FATAL_FAILURE(StartWindow(window));
        EXPECT_TRUE(FrameOnScreen(window)) << window.frameGeometry().x() << "," << window.frameGeometry().y();
        EXPECT_GT(window.width(), window.minimumWidth()); // more room than the bare minimum
        Snapshot(window, "first-start.png");

        std::string positions;
        for (const char* pair : {"USDJPY", "EURJPY", "GBPJPY", "AUDJPY", "NZDJPY", "CADJPY", "CHFJPY", "ZARJPY"})
            positions += std::string(" ") + pair + " 目標2枚 現在0枚 発注2枚 /";
        for (const char* account : {"[LionFX:user-a]", "[OCBC:user-b]", "[Cosmo:user-c]"})
            AddLog(std::string("■ ") + account + " 建玉を目標に合わせます:" + positions);
        AddLog("■ 最新の行" + positions + positions + positions);
        QTest::qWait(100);
        EXPECT_TRUE(NewestLineBeginningVisible(window.Memo1)) << window.Memo1->toPlainText().toStdString();
        EXPECT_GE(window.Memo1->height(), 3 * window.Memo1->fontMetrics().lineSpacing());
        Snapshot(window, "log-pane-long-lines.png");

        Click(window.Button7); // 自動売買を実行する
        ASSERT_TRUE(AutoMode);
        const QString asked = CloseByTheCloseBox(window, QMessageBox::No);
        EXPECT_TRUE(asked.contains(QStringLiteral("自動売買を停止して終了しますか"))) << asked.toStdString();
        EXPECT_TRUE(asked.contains(QStringLiteral("いいえ"))) << asked.toStdString();
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(AutoMode);
        EXPECT_TRUE(window.AutoTradeTimer->isActive());

        CloseByTheCloseBox(window, QMessageBox::Yes);
        EXPECT_FALSE(window.isVisible());
    }
    SetMessagePump({});
}

// What a later start makes of the stored placement.
TEST(MainWindow, LaterStartsRestoreThePlacementOnTheScreen)
{
    struct Case {
        const char* name;
        std::string settings;
        bool maximizeBeforeClosing;
    };
    const Case cases[] = {
        {"bounds of an older version beyond every screen", "[Main]\r\nTop=3000\r\nLeft=5000\r\nWidth=800\r\nHeight=600\r\n",
         false},
        {"a maximized window", "", true},
    };
    SetMessagePump([] { QCoreApplication::processEvents(); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScratchDir home;
        PrepareHome(home, c.settings);
        QRect normal;
        {
            TPellagoForm window{StartOptions()};
            ASSERT_NO_FATAL_FAILURE(StartWindow(window));
            normal = window.normalGeometry();
            if (c.maximizeBeforeClosing) {
                window.showMaximized();
                QTest::qWait(200);
            }
            EXPECT_TRUE(FrameOnScreen(window));
            window.close();
        }
        ResetProcessState();
        TPellagoForm again{StartOptions()};
        ASSERT_NO_FATAL_FAILURE(StartWindow(again));
        EXPECT_EQ(again.isMaximized(), c.maximizeBeforeClosing);
        EXPECT_TRUE(FrameOnScreen(again));
        if (c.maximizeBeforeClosing) {
            again.showNormal();
            QTest::qWait(200);
            EXPECT_EQ(again.geometry().size(), normal.size()); // not the size of the screen
        }
        again.close();
    }
    SetMessagePump({});
}
