#include "broker/web/SessionCookies.h"

#include <QDateTime>
#include <QWebEngineCookieStore>

#include <algorithm>

namespace {

bool DomainMatches(const QNetworkCookie& cookie, const QString& host) {
    const QString domain = cookie.domain().toLower();
    if (domain.isEmpty()) return false;
    if (!domain.startsWith('.')) return host == domain; // host-only cookie
    return host == domain.mid(1) || host.endsWith(domain);
}

bool PathMatches(const QNetworkCookie& cookie, const QString& requestPath) {
    const QString path = cookie.path().isEmpty() ? QStringLiteral("/") : cookie.path();
    const QString request = requestPath.isEmpty() ? QStringLiteral("/") : requestPath;
    if (request == path) return true;
    if (!request.startsWith(path)) return false;
    return path.endsWith('/') || request.at(path.size()) == '/';
}

bool Applies(const QNetworkCookie& cookie, const QUrl& url) {
    if (cookie.isSecure() && url.scheme() != QLatin1String("https")) return false;
    if (!cookie.isSessionCookie() && cookie.expirationDate() <= QDateTime::currentDateTimeUtc()) return false;
    return DomainMatches(cookie, url.host().toLower()) && PathMatches(cookie, url.path());
}

bool SameCookie(const QNetworkCookie& a, const QNetworkCookie& b) {
    return a.name() == b.name() && a.domain() == b.domain() && a.path() == b.path();
}

} // namespace

SessionCookies::SessionCookies(QWebEngineCookieStore* store, QObject* parent) : QObject(parent) {
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &SessionCookies::add);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &SessionCookies::remove);
}

void SessionCookies::add(const QNetworkCookie& cookie) {
    remove(cookie);
    cookies_.append(cookie);
}

void SessionCookies::remove(const QNetworkCookie& cookie) {
    cookies_.removeIf([&](const QNetworkCookie& kept) { return SameCookie(kept, cookie); });
}

std::string SessionCookies::CookiesFor(const QUrl& url) const {
    QList<QNetworkCookie> applying;
    for (const QNetworkCookie& cookie : cookies_)
        if (Applies(cookie, url)) applying.append(cookie);
    std::stable_sort(applying.begin(), applying.end(), [](const QNetworkCookie& a, const QNetworkCookie& b) {
        return a.path().size() > b.path().size();
    });
    QByteArray text;
    for (const QNetworkCookie& cookie : applying) {
        if (!text.isEmpty()) text += "; ";
        text += cookie.name() + '=' + cookie.value();
    }
    return text.toStdString();
}
