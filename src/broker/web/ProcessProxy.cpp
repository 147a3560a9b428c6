#include "broker/web/ProcessProxy.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QString>

namespace {

bool ParseServer(const std::string& server, QString& host, quint16& port) {
    QString text = QString::fromStdString(server).trimmed();
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) text = text.mid(7);
    if (text.endsWith('/')) text.chop(1);
    const qsizetype colon = text.lastIndexOf(':');
    if (colon <= 0) return false;
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number == 0 || number > 65535) return false;
    host = text.left(colon);
    port = static_cast<quint16>(number);
    return true;
}

} // namespace

bool ApplyProcessProxy(const BrowserProxy& proxy) {
    if (!proxy.use) return true;
    if (proxy.server.empty()) {
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return true;
    }
    QString host;
    quint16 port = 0;
    if (!ParseServer(proxy.server, host, port)) return false;
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, host, port));
    return true;
}
