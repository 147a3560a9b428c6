#pragma once
// The in/out grid StringGrid1 on the settings panel: filled from Balance.csv
// and InOut.csv, painted right-aligned, edited by key presses on the in/out
// column only, and applied by Enter or a double-click: InOut.csv is
// rewritten and the balance history rebuilt. The hidden text box keeps the
// list as last loaded or applied, for the panel's closing to write again.

#include "reporting/InOutList.h"

#include <QObject>

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class InOutGridView : public QObject {
    Q_OBJECT
public:
    InOutGridView(QTableWidget* grid, QPushButton* applyButton, QPlainTextEdit* list);

    // Opening the tab: the rows of the history with the amounts entered so far.
    void Fill();
    // Closing the panel: the list as last loaded or applied goes to InOut.csv
    // once more (nothing is written before the list was ever loaded).
    void SaveList();

signals:
    // InOut.csv was rewritten and the history rebuilt.
    void applied();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();
    bool EditCurrentCell(char key);

    QTableWidget* grid_;
    QPlainTextEdit* list_;
    TInOutGrid rows_;
    bool loaded_ = false;
};
