// Memo1 mirrors the activity log; the display modes and LogMinTimer; the
// status bar banner.

#include "GuiTest.h"

#include "app/ui/RadioGroup.h"

#include <QPlainTextEdit>
#include <QSplitter>
#include <QTimer>

using namespace guitest;

namespace {

QString ActivityText()
{
    QStringList lines;
    for (const std::string& line : ActivityMemo().lines())
        lines << QString::fromStdString(line);
    return lines.join(u'\n');
}

} // namespace

class LogViewTest : public WindowTest {
    Q_OBJECT

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void memoShowsEveryChangeOfTheActivityLog()
    {
        AddLog("a\r\nb");
        QCOMPARE(MemoTexts().mid(MemoTexts().size() - 2), (QStringList{"a", "b"}));
        QCOMPARE(window_->Memo1->toPlainText(), ActivityText());

        for (int tick = 0; tick < 3; ++tick)
            CollapseRepeatedLog("Market Close.");
        QCOMPARE(window_->Memo1->toPlainText(), ActivityText());
        QVERIFY(window_->Memo1->toPlainText().section(u'\n', -1).contains(QStringLiteral(" ～ ")));

        AddLog("after");
        QCOMPARE(window_->Memo1->toPlainText(), ActivityText());
    }

    void fullMemoIsCutBackInTheWindowToo()
    {
        for (int i = static_cast<int>(ActivityMemo().lines().size()); i < 5000; ++i)
            AddLog("line " + std::to_string(i));
        AddLog("one more");
        QCOMPARE(window_->Memo1->document()->blockCount(), 999);
        QCOMPARE(window_->Memo1->toPlainText(), ActivityText());
    }

    void everyMessageResetsTheStatusBarBanner()
    {
        const QString banner = window_->StatusText();
        QVERIFY(!banner.isEmpty());
        window_->SetStatusText(QStringLiteral("2010/01/05 7:03:21 // 新しいシグナルはありません"));
        AddLog("message");
        QCOMPARE(window_->StatusText(), banner);
    }

    void maximisedLogTakesThePlaceOfTheStatusPages()
    {
        window_->RadioGroup1->setItemIndex(1);
        QVERIFY(window_->Panel3->isHidden());
        QVERIFY(!window_->Memo1->isHidden());
        window_->RadioGroup1->setItemIndex(0);
        QVERIFY(!window_->Panel3->isHidden());
        QVERIFY(!window_->Memo1->isHidden());
    }

    void logShownOnlyWhileMessagesArrive()
    {
        window_->RadioGroup1->setItemIndex(2);
        QVERIFY(window_->Memo1->isHidden());
        AddLog("message");
        QVERIFY(!window_->Memo1->isHidden());
        QVERIFY(window_->LogMinTimer->isActive());
        QCOMPARE(window_->LogMinTimer->interval(), 3000);
        QTest::qWait(1500);
        AddLog("another message"); // restarts the 3 s
        QTest::qWait(2000);
        QVERIFY(!window_->Memo1->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(window_->Memo1->isHidden(), 3000);
        QVERIFY(!window_->Panel3->isHidden());
    }

    void memoHeightIsRememberedForTheAlwaysShownMode()
    {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->Splitter1->setSizes({0, 300, 150});
        const int height = window_->Memo1->height();
        window_->RadioGroup1->setItemIndex(1);
        QCOMPARE(window_->SavedLogHeight(), height);
        window_->RadioGroup1->setItemIndex(0);
        QTRY_COMPARE(window_->Memo1->height(), height);
    }
};

PELLAGO_GUI_TEST_MAIN(LogViewTest)
#include "LogViewTest.moc"
