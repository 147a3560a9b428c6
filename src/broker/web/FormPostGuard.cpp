#include "broker/web/FormPostGuard.h"

#include <QWebEngineUrlRequestInfo>

FormPostGuard::FormPostGuard(RequestSeen onTopLevelRequest, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), onTopLevelRequest_(std::move(onTopLevelRequest)) {}

void FormPostGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    // Only requests that reach a server count: the failure page shown in
    // place of a lost answer (a data: address) stands for that answer.
    const QString scheme = info.requestUrl().scheme();
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return;
    const bool sendsForm = info.requestMethod() == QByteArrayLiteral("POST");
    // A redirect keeps the navigation type of the submission it follows.
    if (sendsForm && info.navigationType() != QWebEngineUrlRequestInfo::NavigationTypeFormSubmitted)
        info.block(true);
    // A refused POST still stands for the form's answer: the page that takes
    // its place must not be requested again either.
    if (onTopLevelRequest_) onTopLevelRequest_(sendsForm);
}
