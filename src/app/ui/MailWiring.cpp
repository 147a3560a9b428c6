#include "app/ui/MailWiring.h"

#include "app/NoticeMail.h"
#include "app/ProxySetting.h"
#include "app/ServiceEndpoints.h"
#include "app/ui/PellagoUnit1.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "reporting/LatestMail.h"
#include "reporting/ReportMail.h"
#include "trading/SignalFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <cstdlib>

namespace {

const char* const kRelayPath = "/send/mail/contact.php";

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

// A PEM file of certificates the SMTP route trusts besides the system's
// (a mail server of one's own with a private CA).
std::string MailCaFile()
{
    const char* file = std::getenv("PELLAGO_MAIL_CA_FILE");
    return file ? file : "";
}

void OpenWithDesktop(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

} // namespace

MailWiring::MailWiring(TPellagoForm& form) : QObject(&form), form_(form), relayHost_{&form}
{
    connect(form_.SendMailTimer, &QTimer::timeout, this, &MailWiring::SendMailTimerTimer);
    connect(form_.Button1, &QPushButton::clicked, this, [this] {
        SendTestMail(CurrentMailSettings(), form_.CheckBox19->isChecked(), form_.CheckBox19->text().toStdString());
    });
    connect(form_.ShowMailAsMail, &QAction::triggered, this, &MailWiring::ShowLatestMailClick);
    connect(form_.ShowMailAsText, &QAction::triggered, this, &MailWiring::ShowLatestMailFileClick);
    connect(form_.ShowMailFolder, &QAction::triggered, this, &MailWiring::ShowMailLogDirClick);
    SetMailSenderPass([this] { SendMailTimerTimer(); });
}

MailWiring::~MailWiring() { SetMailSenderPass({}); }

TMailSettings MailWiring::CurrentMailSettings()
{
    TMailSettings settings;
    settings.Smtp = {Text(form_.Edit3), Text(form_.Edit7), Text(form_.Edit4), Text(form_.Edit5),
                     form_.CheckBox2->isChecked(), MailCaFile()};
    settings.SenderName = Text(form_.Edit8);
    settings.SenderAddress = Text(form_.Edit9);
    settings.Recipients = Text(form_.Edit10);
    settings.Utf8 = form_.CheckBox21->isChecked();
    settings.OutlookExpress = form_.CheckBox20->isChecked();
    settings.Relay = form_.CheckBox27->isChecked();
    const TProxySetting proxy = GetProxySetting();
    settings.RelayRoute = {&relayBrowsers_, &relayHost_, ServiceUrl(CurrentServiceEndpoints(), kRelayPath),
                           BrowserProxy{proxy.UseProxy, proxy.Address}};
    return settings;
}

void MailWiring::SendMailTimerTimer()
{
    form_.SendMailTimer->stop();
    const TMailQueueOptions options{form_.CheckBox1->isChecked(), form_.CheckBox19->isChecked(),
                                    form_.SendMailTimer->interval()};
    try {
        queue_.ProcessQueue(options, MailQueueBusy, [this](const std::string& subject, const std::string& body) {
            return DeliverMail(CurrentMailSettings(), subject, body);
        });
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■SendMailTimer Error! ") + error.what());
    } catch (...) {
        // Nothing may escape into the event loop: the queue must go on being served.
        AddDetailLog("■■SendMailTimer Error! 不明なエラー");
    }
    form_.SendMailTimer->start();
}

void MailWiring::ComposeReportMail(const std::vector<std::string>& tradeLog)
{
    const TReportOptions options{form_.CheckBox3->isChecked(),  form_.CheckBox4->isChecked(),
                                 form_.CheckBox5->isChecked(),  form_.CheckBox14->isChecked(),
                                 form_.CheckBox15->isChecked(), form_.CheckBox16->isChecked(),
                                 form_.CheckBox6->isChecked()};
    const TReportSources sources{form_.AccountXmlPath, LatestSignalFile(), form_.CheckBox10->isChecked()};
    ::ComposeReportMail(tradeLog, options, sources, MailQueueBusy);
    SendMailTimerTimer();
}

ReportMailSink* MailWiring::ReportSink() { return form_.CheckBox1->isChecked() ? this : nullptr; }

void MailWiring::ShowLatestMailClick()
{
    const std::string latest = LatestMailLogFile();
    if (latest.empty())
        return ShowUserMessage("まだ送信済みメールが一通もありません");
    const std::string eml = WriteTempMailEml(latest, Text(form_.Edit10), form_.CheckBox21->isChecked());
    if (!eml.empty())
        OpenWithDesktop(eml);
}

void MailWiring::ShowLatestMailFileClick()
{
    const std::string latest = LatestMailLogFile();
    if (latest.empty())
        return ShowUserMessage("まだ送信済みメールが一通もありません");
    OpenWithDesktop(latest);
}

void MailWiring::ShowMailLogDirClick() { OpenWithDesktop(MailLogFolder()); }
