#pragma once
// Mail on the main window: SendMailTimer and the queue it sends, the report
// the trade run hands over, the test mail (Button1), the three menu commands
// of the latest mail, and the delivery settings read from the tab "メール".

#include "broker/web/BrowserHost.h"
#include "broker/web/QtBrowserFactory.h"
#include "reporting/MailDist.h"
#include "reporting/MailQueue.h"
#include "trading/RunUpdateAccount.h"

#include <QObject>

class TPellagoForm;

class MailWiring : public QObject, public ReportMailSink {
    Q_OBJECT
public:
    explicit MailWiring(TPellagoForm& form);
    ~MailWiring() override;

    // One pass of the queue, with the timer stopped meanwhile.
    void SendMailTimerTimer();
    // The trade run's report: composed, queued, and the queue processed.
    void ComposeReportMail(const std::vector<std::string>& tradeLog) override;
    // What the trade run reports to: none while mail reports are off.
    ReportMailSink* ReportSink();

    TMailSettings CurrentMailSettings();

private:
    void ShowLatestMailClick();
    void ShowLatestMailFileClick();
    void ShowMailLogDirClick();

    TPellagoForm& form_;
    TMailQueue queue_;
    QtBrowserFactory relayBrowsers_;
    BrowserHost relayHost_;
};
