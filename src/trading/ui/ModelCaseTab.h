#pragma once
// The tab "モデルケース・仮想資金" of the settings panel: per account, whether
// it follows the model case and at which ratio, and the virtual funds added
// to its balance. What the user sets is saved into the account's elements
// of Setting/Account.xml at once, where the sizing reads it.

#include <QObject>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

struct ModelCaseTabControls {
    QWidget* TabSheet8 = nullptr;
    QComboBox* ComboBox3 = nullptr;  // 対象口座
    QCheckBox* CheckBox29 = nullptr; // AutoModelCase
    QLineEdit* Edit12 = nullptr;     // AutoModelRatio in percent
    QCheckBox* CheckBox23 = nullptr; // VirtualBalanceMode
    QLabel* Label36 = nullptr;       // the real balance
    QLineEdit* Edit13 = nullptr;     // real balance + VirtualBalance
    QLineEdit* Edit15 = nullptr;     // VirtualBalance
    QLineEdit* Edit14 = nullptr;     // VarianceTarget (hidden)
    QCheckBox* CheckBox24 = nullptr; // VarianceMode (hidden)
};

struct ModelCaseTabHooks {
    // Draws the account's model-case page, which also decides which of the
    // tab's fields stay usable (the three boxes' rules, a zero balance).
    std::function<void(int accountIndex)> showModelCasePage;
};

class ModelCaseTab : public QObject {
    Q_OBJECT
public:
    ModelCaseTab(const ModelCaseTabControls& controls, ModelCaseTabHooks hooks, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TabShow();
    // drawPage: the page follows (showing the tab draws it on its own).
    void FillForAccount(bool drawPage);
    void SetControlsEnabled(bool enabled);
    // Edit13 and Edit15 keep each other at a distance of the real balance.
    void VirtualFundsEdited(QLineEdit* edited, QLineEdit* other, int sign);
    void SaveTab();
    // Outside filling, with the tab shown.
    bool UserChange() const;

    ModelCaseTabControls c_;
    ModelCaseTabHooks hooks_;
    bool filling_ = false; // the model-case guard
};
