#include "trading/ui/AccountTab.h"

#include "base/AkUnit.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "base/TextCodec.h"
#include "documents/AccountDocument.h"
#include "trading/AccountOperations.h"
#include "trading/AccountValues.h"
#include "trading/ui/AccountTrees.h"
#include "trading/ui/MessageBoxes.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <utility>

namespace {

const char* const kConfirm = "確認";
constexpr int kEnabledItem = 0;  // "有効"
constexpr int kDisabledItem = 1; // "無効"

std::string SubPasswordExplanation()
{
    return std::string("■この機能について") + "\r\n" + "\r\n" +
           "SubPasswordは、パスワードの有効期限切れを防ぐための第二のパスワードです。" + "\r\n" +
           "仮にパスワードが60日期限であれば、60日ごとにPassword⇔SubPasswordを切り替えます。" + "\r\n" +
           "この処理は全自動で行われます。" + "\r\n" + "\r\n" +
           "これは、有効期限を気にしなくて済み、便利になる反面" + "\r\n" +
           "有効期限本来の意図である\"セキュリティの向上\"は失われます。" + "\r\n" +
           "その点、メリット・デメリットをよく理解なされた上でご設定ください。" + "\r\n" + "\r\n" +
           "※ パスワードに使用できない文字を入力しないようご注意ください" + "\r\n" +
           "※ 業者ごとのパスワード文字数制限にご注意ください（例:パスワードは6文字以上と決められているのに5文字しか入力していない、など)" +
           "\r\n" + "\r\n" + "■使用しない場合" + "\r\n" + "\r\n" +
           "使用しない場合は、SubPasswordを空白にしてください" + "\r\n" +
           "また、パスワード有効期限が近づきましたら、ご自分で新しいパスワードを申請し、Pellagoにもそのパスワードを反映してください";
}

bool IsBooleanText(const std::string& text) { return EqualsNoCase(text, "True") || EqualsNoCase(text, "False"); }

} // namespace

AccountTab::AccountTab(const AccountTabControls& controls, AccountTabHooks hooks, QObject* parent)
    : QObject(parent), c_(controls), hooks_(std::move(hooks))
{
    c_.EditXMLValue->setReadOnly(true);
    c_.EditXMLValue->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
    connect(c_.TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeView1Change(current); });
    connect(c_.EditXMLValue, &QLineEdit::textChanged, this, &AccountTab::EditXMLValueChange);
    connect(c_.ComboXMLValue, &QComboBox::activated, this, &AccountTab::ComboXMLValueChange);
    connect(c_.Button3, &QPushButton::clicked, this, &AccountTab::Button3Click);
    connect(c_.AccountLoginTest, &QAction::triggered, this, &AccountTab::AccountLoginTestClick);
    connect(c_.DeleteAccount, &QAction::triggered, this, &AccountTab::DeleteAccountClick);
    connect(c_.MoveAccountUp, &QAction::triggered, this, &AccountTab::MoveAccountUpClick);
    connect(c_.MoveAccountDown, &QAction::triggered, this, &AccountTab::MoveAccountDownClick);
}

void AccountTab::LoadAccountTrees()
{
    {
        const QSignalBlocker quiet(c_.TreeView1);
        c_.TreeView1->clear();
        pugi::xml_document doc;
        if (EnsureAccountDocument() && LoadAccountDocument(doc)) {
            FillDocumentTree(c_.TreeView1, AccountsElement(doc));
            // An account's own values are what the user edits here.
            for (int i = 0; i < c_.TreeView1->topLevelItemCount(); ++i)
                c_.TreeView1->topLevelItem(i)->setExpanded(true);
        }
    }
    TreeView1Change(nullptr);
    emit treesReloaded();
}

QWidget* AccountTab::Window() const { return c_.TreeView1->window(); }

int AccountTab::SelectedAccountIndex() const
{
    return c_.TreeView1->indexOfTopLevelItem(TopNodeOf(c_.TreeView1->currentItem()));
}

void AccountTab::SelectAccount(int index)
{
    c_.TreeView1->setCurrentItem(c_.TreeView1->topLevelItem(index));
}

void AccountTab::TreeView1Change(QTreeWidgetItem* current)
{
    editedAccount_ = -1;
    editedName_.clear();
    c_.EditXMLValue->clear();
    c_.EditXMLValue->setReadOnly(true);
    c_.ComboXMLValue->hide();
    // Only an account's own elements hold its values; deeper nodes (the
    // figures below Today, the positions below Status) are shown, not edited.
    if (!current || !current->parent() || current->parent()->parent())
        return;
    const std::string caption = current->text(0).toStdString();
    c_.EditXMLValue->setEchoMode(IsMaskedValueName(caption) ? QLineEdit::Password : QLineEdit::Normal);
    if (EqualsNoCase(caption, "SubPassword") && !ConfirmSubPassword()) {
        // After the click that selected it has been handled in full.
        QMetaObject::invokeMethod(
            this,
            [this] {
                c_.TreeView1->setCurrentItem(nullptr);
                c_.TreeView1->clearSelection();
            },
            Qt::QueuedConnection);
        return;
    }
    const int account = SelectedAccountIndex();
    const std::optional<std::string> value = ReadAccountValue(account, caption);
    if (!value)
        return;
    editedAccount_ = account;
    editedName_ = caption;
    c_.EditXMLValue->setReadOnly(false);
    storedText_ = QString::fromStdString(*value);
    // Showing the value is a change: it is stored again (freshly scrambled).
    c_.EditXMLValue->setText(QString::fromStdString(*value));
    c_.ComboXMLValue->setCurrentIndex(EqualsNoCase(*value, "True") ? kEnabledItem : kDisabledItem);
    c_.ComboXMLValue->setVisible(IsBooleanText(*value));
    if (c_.ComboXMLValue->isVisible())
        c_.ComboXMLValue->raise();
}

bool AccountTab::ConfirmSubPassword() { return AskOkCancel(Window(), kConfirm, SubPasswordExplanation()); }

void AccountTab::EditXMLValueChange(const QString& text)
{
    if (editedName_.empty())
        return;
    const std::string value = text.toStdString();
    // Log-in values are kept as Shift-JIS bytes, which some characters lack.
    if (IsMaskedValueName(editedName_) && !IsCp932Representable(value)) {
        const QSignalBlocker quiet(c_.EditXMLValue);
        c_.EditXMLValue->setText(storedText_);
        ShowMessage(Window(), "Pellago", "Shift-JISで表せない文字は " + editedName_ + " に使えません");
        return;
    }
    if (StoreAccountValue(editedAccount_, editedName_, value))
        storedText_ = text;
    else
        AddLog("[" + editedName_ + "] 値を Setting/Account.xml に保存できませんでした");
}

void AccountTab::ComboXMLValueChange(int index)
{
    if (editedName_.empty())
        return;
    // Switching an account on needs its log-in data; switching off never does.
    if (editedName_ == "Enabled" && index == kEnabledItem && !HasLogInData(editedAccount_)) {
        ShowMessage(Window(), "Pellago",
                    std::string("UserNameとPasswordがまだ入力されていません") + "\r\n" +
                        "入力を終えるまでEnabledを有効にはできません");
        c_.ComboXMLValue->setCurrentIndex(kDisabledItem);
        return;
    }
    c_.EditXMLValue->setText(index == kEnabledItem ? QStringLiteral("True") : QStringLiteral("False"));
    hooks_.refreshPage();
}

void AccountTab::Button3Click()
{
    if (!AddAccountFromTemplate(c_.ComboBox1->currentText().toStdString(), Now()))
        AddLog("[" + c_.ComboBox1->currentText().toStdString() + "] 口座を追加できませんでした");
    LoadAccountTrees();
    hooks_.refreshPage();
}

void AccountTab::AccountLoginTestClick()
{
    if (!hooks_.marketOpen()) {
        ShowMessage(Window(), "週末のため、ログインテストは行えません",
                    std::string("土曜朝5時～月曜朝7時の週末時刻は") + "\r\n" + "メンテナンスを行う業者が多いため" +
                        "\r\n" + "誤作動防止のためログインテストは行えません。" + "\r\n");
        return;
    }
    if (!AskOkCancel(Window(), kConfirm,
                     std::string("\"Enabled\"が有効となっている全ての口座で口座残高を取得します。") + "\r\n" +
                         "実行しますか？"))
        return;
    const std::string outcome = hooks_.runLogOnTest() ? "[成功] ログインテストに成功しました"
                                                      : "[失敗] ログインテスト中、何らかの不具合が発生しました";
    AddLog(outcome);
    ShowMessage(Window(), "Pellago", outcome);
}

void AccountTab::DeleteAccountClick()
{
    QTreeWidgetItem* top = TopNodeOf(c_.TreeView1->currentItem());
    if (!top)
        return;
    const int account = SelectedAccountIndex();
    if (AskOkCancel(Window(), kConfirm,
                    "選択口座 【" + top->text(0).toStdString() + "】 を削除します\r\nよろしいですか?"))
        DeleteAccount(account);
    LoadAccountTrees();
    hooks_.refreshPage();
}

void AccountTab::MoveAccountUpClick()
{
    const int account = SelectedAccountIndex();
    if (account <= 0 || !MoveAccountUp(account))
        return;
    LoadAccountTrees();
    SelectAccount(account - 1);
    hooks_.refreshPage();
}

void AccountTab::MoveAccountDownClick()
{
    const int account = SelectedAccountIndex();
    if (account < 0 || !MoveAccountDown(account))
        return;
    LoadAccountTrees();
    SelectAccount(account + 1);
    hooks_.refreshPage();
}
