#include "reporting/ui/StatusView.h"

#include "reporting/GoogleChart.h"
#include "reporting/HtmlReadme.h"
#include "reporting/ui/ChartSchemeHandler.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Tested in this order, without regard to case, anywhere in the address.
const char* const kSpecialLinks[] = {"Portfolio_Tab", "User_Tab", "Mail_Tab", "SendTrouble"};

QUrl DocumentBase()
{
    return QUrl(QString::fromLatin1(kChartScheme) + QStringLiteral("://") + QLatin1String(kChartHost) +
                QStringLiteral("/"));
}

// The page a link with a target window would open: its first navigation
// goes to the desktop's browser instead, and the page is gone.
class ExternalLinkPage : public QWebEnginePage {
public:
    ExternalLinkPage(QWebEngineProfile* profile, std::function<void(const QUrl&)> opener, QObject* parent)
        : QWebEnginePage(profile, parent), opener_(std::move(opener))
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (opener_) opener_(url);
        deleteLater();
        return false;
    }

private:
    std::function<void(const QUrl&)> opener_;
};

} // namespace

class StatusPage : public QWebEnginePage {
public:
    StatusPage(QWebEngineProfile* profile, StatusView* view) : QWebEnginePage(profile, view), view_(view)
    {
        settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    }
    std::function<void(const QUrl&)> opener;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        // The document itself, written through setHtml, is the only page loaded here.
        if (url.scheme() == QStringLiteral("data")) return type != NavigationTypeLinkClicked;
        const QString address = url.toString();
        for (const char* name : kSpecialLinks) {
            if (address.contains(QLatin1String(name), Qt::CaseInsensitive)) {
                emit view_->linkActivated(QString::fromLatin1(name));
                return false;
            }
        }
        if (type == NavigationTypeLinkClicked && isMainFrame && url.scheme() != QLatin1String(kChartScheme) && opener)
            opener(url);
        return false;
    }

    QWebEnginePage* createWindow(WebWindowType) override { return new ExternalLinkPage(profile(), opener, this); }

private:
    StatusView* view_;
};

StatusView::StatusView(QWebEngineView* view)
    : QObject(view), view_(view), opener_([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
}

StatusView::~StatusView()
{
    // A page must go before its profile.
    delete page_;
}

void StatusView::CreatePage()
{
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->installUrlSchemeHandler(kChartScheme, new ChartSchemeHandler(profile_));
    page_ = new StatusPage(profile_, this);
    page_->opener = opener_;
    // A cancelled link also ends in a failed load; only the document's own load counts.
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (!ok || documentReady_) return;
        documentReady_ = true;
        if (bodyPending_) ApplyBody();
    });
    view_->setPage(page_);
}

void StatusView::InitStatusDocument()
{
    if (!page_) CreatePage();
    documentReady_ = false;
    page_->setHtml(QString::fromStdString(StatusDocumentText()), DocumentBase());
}

void StatusView::ShowBody(const QString& html, bool fromTop)
{
    body_ = html;
    fromTop_ = fromTop;
    bodyPending_ = true;
    if (documentReady_) ApplyBody();
}

void StatusView::SetExternalOpener(std::function<void(const QUrl&)> opener)
{
    opener_ = std::move(opener);
    if (page_) page_->opener = opener_;
}

void StatusView::ApplyBody()
{
    bodyPending_ = false;
    const QString literal = QString::fromUtf8(QJsonDocument(QJsonArray{body_}).toJson(QJsonDocument::Compact));
    const QString scroll = fromTop_ ? QStringLiteral("window.scrollTo(0, 0);") : QString();
    page_->runJavaScript(QStringLiteral("document.body.innerHTML = ") + literal + QStringLiteral("[0];") + scroll,
                         QWebEngineScript::ApplicationWorld);
}
