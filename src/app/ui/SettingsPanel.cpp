// The settings panel that opens over the status pages ("その他設定") and
// closes with "設定を保存して閉じる". While it is open the left tabs are
// locked and the log gives way to the panel.

#include "app/ui/PellagoUnit1.h"

#include "app/ui/RadioGroup.h"
#include "reporting/ui/StatusPages.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>

namespace {

constexpr int kPanelHeight = 300;

// Panel height per tab: 入出金履歴, 機能チェック, モデルケース・仮想資金, その他.
int PanelHeightForTab(int index)
{
    static const int kHeights[] = {300, 80, 212, 300};
    return index >= 0 && index < 4 ? kHeights[index] : kPanelHeight;
}

} // namespace

void TPellagoForm::Button14Click()
{
    ApplyDisplayMode(0);
    Button15->setGeometry(Button14->geometry());
    Button14->hide();
    Button15->show();

    settingsPanelOpen_ = true;
    PageControl2->show();
    Memo1->hide();
    Panel3->show();
    memoFillsBrowserArea_ = false;
    SetSettingsPanelHeight(kPanelHeight);
    PageControl2Change(PageControl2->currentIndex());

    for (int i = 0; i < PageControl1->count(); ++i)
        SetTabEnabled(PageControl1->widget(i), false);
    Button15->setEnabled(true);
}

void TPellagoForm::Button15Click()
{
    Button15->hide();
    Button14->show();
    settingsPanelOpen_ = false;
    PageControl2->hide();
    Memo1->show();
    RadioGroup1Click();
    for (int i = 0; i < PageControl1->count(); ++i)
        SetTabEnabled(PageControl1->widget(i), true);
    statusPages_->SettingsPanelClosed();
}

void TPellagoForm::PageControl2Change(int index)
{
    if (!settingsPanelOpen_)
        return;
    SetSettingsPanelHeight(PanelHeightForTab(index));
    statusPages_->DrawPageOfSettingsTab(index);
}

void TPellagoForm::SetSettingsPanelHeight(int height)
{
    QList<int> sizes = Splitter1->sizes();
    const int total = std::max(Splitter1->height(), height + 10);
    const int memo = Memo1->isHidden() ? 0 : sizes.value(2);
    Splitter1->setSizes({height, std::max(10, total - height - memo), memo});
}
