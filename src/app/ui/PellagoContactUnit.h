#pragma once
// The problem-report window: the user's description and a contact address.
// Sending the report is the problem-report operation's; this window only
// collects the two texts and refuses an empty description.

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // The contact box starts with the report-mail recipients of the main window.
    TForm2(const QString& contactAddress, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr; // 送信
    QPushButton* Button2 = nullptr; // キャンセル

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
};
