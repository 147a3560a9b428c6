#pragma once
// The cookies of one session, mirrored from the engine's cookie store so the
// session can ask which cookies a request to an address would carry.

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QUrl>

#include <string>

class QWebEngineCookieStore;

class SessionCookies : public QObject {
    Q_OBJECT
public:
    explicit SessionCookies(QWebEngineCookieStore* store, QObject* parent = nullptr);

    // "name=value; name2=value2", longer paths first; empty when none applies.
    std::string CookiesFor(const QUrl& url) const;

private:
    void add(const QNetworkCookie& cookie);
    void remove(const QNetworkCookie& cookie);

    QList<QNetworkCookie> cookies_;
};
