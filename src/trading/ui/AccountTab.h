#pragma once
// The account tab "口座": the accounts of Setting/Account.xml in TreeView1,
// the value of the selected element in EditXMLValue (or ComboXMLValue for
// True/False), adding an account from the template, and the tree's pop-up
// menu (log-on test, delete, move up, move down). Every change is saved at
// once.

#include <QObject>

#include <functional>
#include <string>

class QAction;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

struct AccountTabControls {
    QTreeWidget* TreeView1 = nullptr;
    QLineEdit* EditXMLValue = nullptr;
    QComboBox* ComboXMLValue = nullptr; // items "有効", "無効"
    QComboBox* ComboBox1 = nullptr;     // the template's brokers
    QPushButton* Button3 = nullptr;     // 口座を追加
    QAction* AccountLoginTest = nullptr;
    QAction* DeleteAccount = nullptr;
    QAction* MoveAccountUp = nullptr;
    QAction* MoveAccountDown = nullptr;
};

// What the tab needs from the rest of the program.
struct AccountTabHooks {
    std::function<bool()> marketOpen;   // outside the weekend maintenance hours
    // The log-on test of every enabled account, with the window locked as for
    // a trade run; true on success.
    std::function<bool()> runLogOnTest;
    std::function<void()> refreshPage;  // the status page after a change
};

class AccountTab : public QObject {
    Q_OBJECT
public:
    AccountTab(const AccountTabControls& controls, AccountTabHooks hooks, QObject* parent);

    // Rebuilds TreeView1 from the file (created from the template when
    // missing); nothing is selected afterwards.
    void LoadAccountTrees();

signals:
    // The accounts were reloaded: the portfolio tree and rows follow.
    void treesReloaded();

private:
    void TreeView1Change(QTreeWidgetItem* current);
    bool ConfirmSubPassword();
    void EditXMLValueChange(const QString& text);
    void ComboXMLValueChange(int index);
    void Button3Click();
    void AccountLoginTestClick();
    void DeleteAccountClick();
    void MoveAccountUpClick();
    void MoveAccountDownClick();
    // The selected account's position under Accounts, -1 when none.
    int SelectedAccountIndex() const;
    void SelectAccount(int index);
    QWidget* Window() const;

    AccountTabControls c_;
    AccountTabHooks hooks_;
    int editedAccount_ = -1;  // the element being edited: its account
    std::string editedName_;  // and its name; empty when none
    QString storedText_;      // the value last stored, for a refused keystroke
};
