#include "reporting/ui/ChartSchemeHandler.h"

#include "reporting/GoogleChart.h"
#include "reporting/ui/ChartRenderer.h"

#include <QBuffer>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void ChartSchemeHandler::RegisterChartScheme()
{
    if (QWebEngineUrlScheme::schemeByName(kChartScheme).name() == kChartScheme) return;
    QWebEngineUrlScheme scheme(kChartScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                    QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void ChartSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    // Only images are ours to answer; any other address of the scheme leads nowhere.
    if (url.host() != QLatin1String(kChartHost) || url.path() != QStringLiteral("/chart")) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* png = new QBuffer(job);
    png->open(QIODevice::WriteOnly);
    RenderChart(QUrlQuery(url)).save(png, "PNG");
    png->close();
    png->open(QIODevice::ReadOnly);
    job->reply("image/png", png);
}
