#include "broker/web/PageScript.h"

#include "broker/Browser.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>

namespace {

// Outlives the call: the page may answer after we stopped waiting.
struct PendingCall {
    QEventLoop* loop = nullptr;
    bool answered = false;
    QVariant value;
};

// The registry lives in the window of the document, so a new document starts
// an empty one under a new random tag; handles carry the tag and therefore
// never reach an element of a later document.
const char* const kPrelude = R"JS(
(function(A) {
  var G = window.__pellagoElements;
  if (!G) {
    G = window.__pellagoElements = {tag: 1 + Math.floor(Math.random() * 2147483646), list: [], ids: new Map()};
  }
  var SPAN = 2097152;
  function ref(e) {
    var i = G.ids.get(e);
    if (i === undefined) { i = G.list.length; G.list.push(e); G.ids.set(e, i); }
    return G.tag * SPAN + i;
  }
  function refs(c) { var r = []; for (var k = 0; k < c.length; k++) r.push(ref(c[k])); return r; }
  function el(h) {
    var i = h % SPAN;
    if (Math.floor(h / SPAN) !== G.tag || i >= G.list.length) throw new Error('element of another page');
    return G.list[i];
  }
  try {
    return JSON.stringify({ok: true, v: (function() {
)JS";

const char* const kEpilogue = R"JS(
    })()});
  } catch (e) {
    return JSON.stringify({ok: false, e: String(e && e.message ? e.message : e)});
  }
})
)JS";

} // namespace

QVariant RunScriptAndWait(QWebEnginePage& page, const QString& script, quint32 worldId, int timeoutMs) {
    auto pending = std::make_shared<PendingCall>();
    QEventLoop loop;
    pending->loop = &loop;
    page.runJavaScript(script, worldId, [pending](const QVariant& value) {
        pending->value = value;
        pending->answered = true;
        if (pending->loop) pending->loop->quit();
    });
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(timeoutMs);
    if (!pending->answered) loop.exec();
    pending->loop = nullptr;
    if (!pending->answered) throw BrowserError("the page did not answer a script call in time");
    return pending->value;
}

QString DomScript(const QString& body, const QJsonArray& arguments) {
    const QString args = QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(kPrelude) + body + QString::fromUtf8(kEpilogue) + "(" + args + ")";
}

QString EvaluationScript(const QString& source) {
    const QString args = QString::fromUtf8(QJsonDocument(QJsonArray{source}).toJson(QJsonDocument::Compact));
    return QStringLiteral("(function(A) { try { var v = (0, eval)(A[0]);"
                          " return JSON.stringify({ok: true, v: v == null ? '' : String(v)}); }"
                          " catch (e) { return JSON.stringify({ok: false, e: String(e && e.message ? e.message : e)}); } })(") +
           args + ")";
}

QVariant DomResult(const QVariant& result) {
    // Results travel as JSON text: the engine hands objects over unreliably.
    const QVariantMap map = QJsonDocument::fromJson(result.toString().toUtf8()).toVariant().toMap();
    if (map.value("ok").toBool()) return map.value("v");
    const QString error = map.contains("e") ? map.value("e").toString() : QStringLiteral("no result");
    throw BrowserError("page script failed: " + error.toStdString());
}
