// The window in the tray: minimize and the close box go there as chosen, a
// left click or a second start brings the window back, no tray means a
// normal minimize; the daily wake-up is armed once the window shows and
// released when the window closes or the option goes off.

#include "GuiTest.h"

#include "app/ui/TrayIcon.h"
#include "base/TextCodec.h"
#include "unit/UnitFixtures.h"

#include <QCloseEvent>
#include <QSystemTrayIcon>
#include <QWindow>

using namespace guitest;

class HomePcTest : public WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        TrayIcon::SetAvailabilityCheck([] { return true; });
        openWindow();
        window_->show();
    }
    void cleanup()
    {
        closeWindow();
        TrayIcon::SetAvailabilityCheck({});
    }

    void minimizeAndTheCloseBoxGoToTheTrayAsChosen_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("closeBoxToTray"); // CheckBox25
        QTest::addColumn<bool>("inTray");
        QTest::newRow("minimize") << false << false << true;
        QTest::newRow("minimize, close box to tray") << false << true << true;
        QTest::newRow("close box closes") << true << false << false;
        QTest::newRow("close box to tray") << true << true << true;
    }
    void minimizeAndTheCloseBoxGoToTheTrayAsChosen()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, closeBoxToTray);
        QFETCH(bool, inTray);
        window_->CheckBox25->setChecked(closeBoxToTray);
        if (closeBox) {
            QCloseEvent close; // as the window system delivers the close box: a spontaneous close
            QCoreApplication::sendEvent(window_->windowHandle(), &close);
        } else {
            window_->showMinimized();
        }
        QTRY_COMPARE(window_->HomePc().Tray().InTray(), inTray);
        QVERIFY(!window_->isVisible());
        QCOMPARE(home_->wakeTimer.closed, !inTray); // closing the window closes the wake timer
    }

    void aLeftClickOrASecondStartBringsTheWindowBack()
    {
        TrayIcon& tray = window_->HomePc().Tray();
        for (int way = 0; way < 2; ++way) {
            QVERIFY(tray.ToTray());
            QVERIFY(!window_->isVisible());
            if (way == 0)
                emit window_->findChild<QSystemTrayIcon*>()->activated(QSystemTrayIcon::Trigger);
            else
                window_->HandOver();
            QVERIFY(window_->isVisible());
            QVERIFY(!tray.InTray());
        }
    }

    void withoutATrayTheWindowMinimizesAndTheLogSaysSoOnce()
    {
        TrayIcon::SetAvailabilityCheck([] { return false; });
        for (int i = 0; i < 2; ++i) {
            window_->showMinimized();
            QTest::qWait(20);
            QVERIFY(window_->isMinimized());
            window_->showNormal();
        }
        QVERIFY(!window_->HomePc().Tray().InTray());
        QCOMPARE(MemoTexts().count(QStringLiteral("タスクトレイが見つからないため、ウィンドウは通常どおり最小化します")), 1);
    }

    void theWakeUpIsArmedForTodayOrTomorrowOnceTheWindowShows()
    {
        using namespace std::chrono_literals;
        testsupport::PinnedClock clock(2024, 3, 4, 6, 59);
        window_->hide();
        window_->DateTimePicker1->setTime(QTime(7, 0));
        window_->CheckBox13->setChecked(true);
        QTest::qWait(300);
        QVERIFY(home_->wakeTimer.settings.empty()); // the line waits for the window
        window_->show();
        QTRY_COMPARE(home_->wakeTimer.settings.size(), std::size_t(1));
        clock.set(2024, 3, 4, 7, 1);
        window_->CheckBox13->setChecked(false);
        window_->CheckBox13->setChecked(true);
        QTRY_COMPARE(home_->wakeTimer.settings.size(), std::size_t(2));
        QCOMPARE(home_->wakeTimer.settings[0].due, std::chrono::milliseconds(1min));
        QCOMPARE(home_->wakeTimer.settings[1].due, std::chrono::milliseconds(23h + 59min));
        QCOMPARE(home_->wakeTimer.settings[1].period, std::chrono::milliseconds(24h));
    }

    void theWakeUpIsDisarmedAsSoonAsItsOptionIsOff_data()
    {
        QTest::addColumn<bool>("chooseShutdown");
        QTest::newRow("unticked") << false;
        QTest::newRow("shutdown chosen") << true; // which unticks it
    }
    void theWakeUpIsDisarmedAsSoonAsItsOptionIsOff()
    {
        QFETCH(bool, chooseShutdown);
        window_->CheckBox13->setChecked(true);
        QTRY_VERIFY(home_->wakeTimer.armed);
        if (chooseShutdown) {
            window_->ComboBox2->setCurrentIndex(0);
            emit window_->ComboBox2->activated(0);
        } else {
            window_->CheckBox13->setChecked(false);
        }
        QVERIFY(!home_->wakeTimer.armed);
        const std::string detailLog = Cp932ToUtf8(testsupport::ReadFileBytes(home_->dir.file("Log/hd")));
        QVERIFY(detailLog.find("[WakeUp] 復帰タイマーを解除") != std::string::npos);
        QTest::qWait(300);
        QCOMPARE(home_->wakeTimer.settings.size(), std::size_t(1)); // and stays so
    }
};

PELLAGO_GUI_TEST_MAIN(HomePcTest)
#include "HomePcTest.moc"
