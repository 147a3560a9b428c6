#pragma once
// The problem report on the windows: the menu entries send_log and
// export_log of the main window (a status-page link may trigger send_log
// too), the report window TForm2 for the description, a hidden browser
// placed in the main window for the web form, and the file manager opened
// on the program folder after an export.

#include <QObject>

class TForm2;
class TPellagoForm;

class ProblemReportWiring : public QObject {
    Q_OBJECT
public:
    ProblemReportWiring(TPellagoForm& form, TForm2& reportWindow);

    // SendProblemReport: send through the web form, else write the file.
    bool SendProblemReport(bool send);

private:
    TPellagoForm& form_;
    TForm2& reportWindow_;
};
