#include "app/ui/CloseQuestion.h"

#include <QMessageBox>
#include <QPushButton>

CloseAnswer AskBeforeEndingAutoTrading(QWidget* parent, bool trayAvailable)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pellago"),
                    QStringLiteral("自動売買を実行中です。\n自動売買を停止して終了しますか？"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("CloseQuestion"));
    box.setDefaultButton(QMessageBox::No);
    QPushButton* toTray = trayAvailable ? box.addButton(QStringLiteral("タスクトレイへ"), QMessageBox::ActionRole)
                                        : nullptr;
    box.exec();
    if (toTray && box.clickedButton() == toTray)
        return CloseAnswer::ToTray;
    return box.clickedButton() == box.button(QMessageBox::Yes) ? CloseAnswer::Quit : CloseAnswer::KeepRunning;
}
