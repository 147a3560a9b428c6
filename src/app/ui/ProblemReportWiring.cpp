#include "app/ui/ProblemReportWiring.h"

#include "app/ProblemReport.h"
#include "app/ui/PellagoContactUnit.h"
#include "app/ui/PellagoUnit1.h"
#include "base/AkUnit.h"
#include "broker/DialogWatchdog.h"
#include "broker/web/BrowserHost.h"
#include "broker/web/QtBrowserFactory.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUrl>

ProblemReportWiring::ProblemReportWiring(TPellagoForm& form, TForm2& reportWindow)
    : form_(form), reportWindow_(reportWindow)
{
    connect(form.send_log, &QAction::triggered, this, [this] { SendProblemReport(true); });
    connect(form.export_log, &QAction::triggered, this, [this] { SendProblemReport(false); });
}

bool ProblemReportWiring::SendProblemReport(bool send)
{
    QtBrowserFactory browsers([](const BrowserDialog& dialog) { return ProgramDialogWatchdog().Answer(dialog); });
    BrowserHost host{&form_};
    ProblemReportHost report;
    report.askDescription = [this] { return reportWindow_.exec() == QDialog::Accepted; };
    report.texts = [this] {
        return ReportTexts{form_.Edit1->text().toStdString(), reportWindow_.Edit1->text().toStdString(),
                           form_.Edit10->text().toStdString(), reportWindow_.Memo1->toPlainText().toStdString(),
                           {form_.Edit2->text().toStdString(), form_.Edit5->text().toStdString(),
                            form_.Edit6->text().toStdString()}};
    };
    report.clearDescription = [this] { reportWindow_.Memo1->clear(); };
    report.showFile = [](const std::string& file) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(QString::fromStdString(file)).absolutePath()));
    };
    report.browsers = &browsers;
    report.placement = BrowserPlacement{&host, "問題点送信フォーム"};
    report.onReloading = [](bool reloading) { ProgramDialogWatchdog().SetEnabled(reloading); };
    return ::SendProblemReport(send, report);
}
