#pragma once
// The terms-of-use window. It stays hidden when the terms were accepted
// before (the marker file "AutoTrade/Licensed" exists); otherwise it shows
// "license.txt" and asks once.

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;
class TPellagoForm;

class TForm1 : public QDialog {
    Q_OBJECT
public:
    enum class Outcome {
        AcceptedBefore, // marker found: TermsAccepted is set
        AcceptedNow,    // the user agreed; the marker now exists
        Declined,       // the program must end
        NotShown,       // no text to show (or no window): start-up goes on
    };

    explicit TForm1(QWidget* parent = nullptr);

    // The decision at start. Without a window (headless) nothing is asked.
    Outcome RunAtStart(bool headless);

    static std::string MarkerPath();

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // 同意する
    QPushButton* Button2 = nullptr; // 同意しない

private:
    void Button1Click();
    void CentreOnWorkArea();
};

// The terms at the start of the main window's program. Accepted just now,
// the start-up version check that waited for them runs at once, so the
// automatic cycle can trade in this run. False when the program must end.
bool SettleTermsAtStart(TForm1& terms, TPellagoForm& form);
