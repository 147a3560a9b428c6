#pragma once
// The portfolio tab "ポートフォリオ": the groups (pairs) and their items
// (systems) in TreeView2, and for the selected item the leverage of every
// account in ValueListEditor1, written back at every keystroke.

#include <QObject>

#include <functional>
#include <string>

class QTableWidget;
class QTableWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

struct PortfolioTabControls {
    QTreeWidget* TreeView2 = nullptr;
    QTableWidget* ValueListEditor1 = nullptr; // columns "口座" and "レバレッジ"
};

struct PortfolioTabHooks {
    std::function<bool()> demoMode;       // CheckBox10
    std::function<void()> relayout;       // the editor's height changed
    std::function<void()> refreshPage;    // the portfolio status page
};

class PortfolioTab : public QObject {
    Q_OBJECT
public:
    PortfolioTab(const PortfolioTabControls& controls, PortfolioTabHooks hooks, QObject* parent);

    // Rebuilds TreeView2 from the file; no item is selected afterwards.
    void LoadTree();

private:
    void TreeView2Change(QTreeWidgetItem* current);
    void FillRows(QTreeWidgetItem* current);
    void ResizeEditor(int accounts);
    void ValueListEditor1Change();

    PortfolioTabControls c_;
    PortfolioTabHooks hooks_;
    bool filling_ = false;   // the leverage guard
    int keyColumnWidth_ = 0; // as at start-up
    std::string pair_;       // the selected item's group
    std::string system_;     // and its Name; empty when no item is selected
};
