#include "app/ui/RehearsalOffer.h"

#include "app/ui/PellagoUnit1.h"
#include "app/ui/Rehearsal.h"
#include "base/Log.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("ペーパートレードで試す");

void StartRehearsal()
{
    if (StartRehearsalProgram())
        AddLog("ペーパートレードのリハーサルを始めました。別のウィンドウで pellago-sim のデモ口座を相手に 1 回売買します"
               " (あなたの設定と口座は使いません)。そのウィンドウを閉じるとシミュレーターも終わります");
    else
        AddLog("ペーパートレードのリハーサルを起動できませんでした");
}

// Not modal: the window stays usable while the question waits.
void AskOnFirstStart(QWidget* window)
{
    auto* box = new QMessageBox(
        QMessageBox::Question, kTitle,
        QStringLiteral("実際の口座を登録する前に、付属のシミュレーター (pellago-sim) とデモ口座でペーパートレードを"
                       "試しますか?\n\n別のフォルダの別のウィンドウで 1 回売買します。この画面の設定と口座には触れません。"
                       "\n後からでも「全般」タブの右クリックメニューから試せます。"),
        QMessageBox::Yes | QMessageBox::No, window);
    box->setObjectName(QStringLiteral("RehearsalQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [](int answer) {
        if (answer == QMessageBox::Yes)
            StartRehearsal();
    });
    box->show();
}

} // namespace

void OfferRehearsal(TPellagoForm& form, bool firstStart)
{
    form.PopupMainMenu->addSeparator();
    QAction* rehearse = form.PopupMainMenu->addAction(kTitle + QStringLiteral("(&R)"));
    rehearse->setObjectName(QStringLiteral("Rehearse"));
    QObject::connect(rehearse, &QAction::triggered, &form, [] { StartRehearsal(); });
    if (firstStart && !form.Headless())
        QTimer::singleShot(0, &form, [&form] { AskOnFirstStart(&form); });
}
