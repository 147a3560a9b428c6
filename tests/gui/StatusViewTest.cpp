// The status view in the real browser engine: pages replace only the body,
// charts come from the program's own renderer, special links act instead of
// navigating, and the in/out grid writes what the user typed.

#include "GuiTest.h"

#include "reporting/ui/StatusPages.h"
#include "reporting/ui/StatusView.h"
#include "support/StatusFixtures.h"

#include <QAction>
#include <QCheckBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

using namespace guitest;
using statusfixture::Account;
using statusfixture::System;

namespace {

// The value of a script run beside the page's own (whose scripts are off).
QVariant Evaluate(QWebEngineView* view, const QString& script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(
        script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
            result = value;
            done = true;
        });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) qWarning("script did not answer: %s", qPrintable(script));
    return result;
}

QString BodyText(QWebEngineView* view)
{
    return Evaluate(view, QStringLiteral("document.body ? document.body.innerText : ''")).toString();
}

} // namespace

class StatusViewTest : public WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        window_->resize(900, 700);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { closeWindow(); }

    void mainPageKeepsTheHeadAndShowsChartsDrawnByTheProgram()
    {
        statusfixture::Program program(home_->dir.path());
        program.WriteAccounts({Account{}}, {{"USDJPY", "Breakout", 1, 2, {{"1", "2"}}}});
        program.WriteHistory(statusfixture::HistoryText(40));
        QWebEngineView* view = window_->WebBrowser1;
        window_->Status().DrawMainStatusPage();
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("口座ステータス一覧")), 10000);
        QCOMPARE(Evaluate(view, QStringLiteral("document.styleSheets[0].cssRules.length")).toInt(), 23);
        // Every chart arrives at the size its request asked for.
        const QString loaded = QStringLiteral(
            "Array.from(document.images).filter(i => i.complete && "
            "i.naturalWidth == /chs=(\\d+)x/.exec(i.src)[1]).length");
        QTRY_COMPARE_WITH_TIMEOUT(Evaluate(view, loaded).toInt(), 4, 10000);
    }

    void specialLinksActInsteadOfNavigating()
    {
        QWebEngineView* view = window_->WebBrowser1;
        const QUrl document(QStringLiteral("pellago://charts/"));
        window_->PageControl1->setCurrentIndex(3);
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("ユーザー設定")), 10000);

        Evaluate(view, QStringLiteral("document.querySelector('a[href=\"Mail_Tab\"]').click()"));
        QTRY_COMPARE(window_->PageControl1->currentIndex(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("メール設定")), 10000);
        QCOMPARE(view->page()->url(), document);

        QSignalSpy report(window_->send_log, &QAction::triggered);
        window_->Status().DrawHelpPage(THelpPage::FunctionCheck);
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("機能チェックについて")), 10000);
        Evaluate(view, QStringLiteral("document.querySelector('a[href=\"SendTrouble\"]').click()"));
        QTRY_COMPARE(report.count(), 1);
        QCOMPARE(view->page()->url(), document);

        // A link out of the program goes to the desktop's browser.
        statusfixture::Program program(home_->dir.path());
        program.WriteAccounts({Account{}}, {});
        QList<QUrl> opened;
        window_->Status().View().SetExternalOpener([&](const QUrl& url) { opened << url; });
        window_->Status().DrawInOutPage();
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("使い方の詳細はこちら")), 10000);
        Evaluate(view, QStringLiteral("document.querySelector('a[target=_blank]').click()"));
        QTRY_COMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:9/inout.html"))});
        QCOMPARE(view->page()->url(), document);
    }

    void settingsTabsShowTheirOwnHelpOpenedAtTheTop()
    {
        QWebEngineView* view = window_->WebBrowser1;
        window_->Button14->click();
        window_->PageControl2->setCurrentIndex(1);
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("機能チェックについて")), 10000);
        Evaluate(view, QStringLiteral("document.body.style.minHeight = '5000px'; window.scrollTo(0, 3000);"));
        QTRY_VERIFY_WITH_TIMEOUT(Evaluate(view, QStringLiteral("window.scrollY")).toInt() > 0, 10000);

        window_->PageControl2->setCurrentIndex(3);
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(view).contains(QStringLiteral("その他の設定について")), 10000);
        QVERIFY(!BodyText(view).contains(QStringLiteral("機能チェックについて")));
        QTRY_COMPARE_WITH_TIMEOUT(Evaluate(view, QStringLiteral("window.scrollY")).toInt(), 0, 10000);
    }

    void modelCaseTabShowsTheVirtualFundsPageAndLocksAnAccountWithoutFunds()
    {
        statusfixture::Program program(home_->dir.path());
        Account empty;
        empty.balance = "0";
        program.WriteAccounts({empty}, {});
        auto notices = [] {
            int count = 0;
            for (QWidget* widget : QApplication::topLevelWidgets())
                count += qobject_cast<QMessageBox*>(widget) && widget->isVisible();
            return count;
        };
        window_->Button14->click();
        window_->PageControl2->setCurrentIndex(2);
        QTRY_VERIFY_WITH_TIMEOUT(BodyText(window_->WebBrowser1).contains(QStringLiteral("LionFX 仮想資金ステータス")),
                                 10000);
        QVERIFY(!window_->CheckBox23->isEnabled());
        QVERIFY(window_->CheckBox29->isEnabled());
        QCOMPARE(notices(), 1);
        window_->DrawHtmlTimer->start(); // as the tab's edits ask for a redraw
        QTest::qWait(400);
        QCOMPARE(notices(), 1);
    }

    void inOutGridWritesWhatWasTypedAndKeepsWhatItCannotShow()
    {
        statusfixture::Program program(home_->dir.path());
        program.WriteAccounts({Account{}}, {});
        for (const auto& [day, amount] : {std::pair{"1101", 100}, {"1102", 100}, {"1103", 150}})
            program.WriteSnapshot("2009", day, amount);
        ExtractAccountBalance();
        program.Write("AutoTrade/AccountLog/InOut.csv", "2008/1/1, 7\r\n");
        window_->Button14->click();
        QTableWidget* grid = window_->StringGrid1;
        QCOMPARE(grid->rowCount(), 3);

        grid->setFocus();
        grid->setCurrentCell(1, 2);
        QTest::keyClicks(grid, QStringLiteral("-5x0-"));
        QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("-50"));
        grid->setCurrentCell(1, 1);
        QTest::keyClicks(grid, QStringLiteral("9"));
        QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("100")); // only the in/out column takes keys
        QTest::keyClick(grid, Qt::Key_Return);

        const std::string expected = "2008/1/1, 7\r\n2009/11/2, -50\r\n";
        QCOMPARE(QString::fromStdString(testsupport::ReadFileBytes(InOutCsvPath())), QString::fromStdString(expected));
        QCOMPARE(testsupport::ReadFileBytes(BalanceWithInOutCsvPath()),
                 std::string("2009/11/1, 50\r\n2009/11/2, 50\r\n2009/11/3, 150\r\n"));

        program.Write("AutoTrade/AccountLog/InOut.csv", "");
        window_->Button15->click();
        QCOMPARE(testsupport::ReadFileBytes(InOutCsvPath()), expected); // closing writes the list once more
    }
};

PELLAGO_GUI_TEST_MAIN(StatusViewTest)
#include "StatusViewTest.moc"
