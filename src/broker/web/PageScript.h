#pragma once
// Synchronous script calls into a page: the script runs in the page's
// renderer while a nested event loop keeps the program live, with a bound.

#include <QJsonArray>
#include <QString>
#include <QVariant>

class QWebEnginePage;

// Runs the script and returns its value; raises BrowserError when the page
// gives no answer within timeoutMs.
QVariant RunScriptAndWait(QWebEnginePage& page, const QString& script, quint32 worldId, int timeoutMs);

// Wraps the body of a DOM operation (a function body that may `return`)
// with the element registry and error capture. The body sees its arguments
// as the array A and the helpers ref(element), refs(collection) and
// el(handle). The script's value is the JSON text of {ok, v} or {ok: false, e}.
QString DomScript(const QString& body, const QJsonArray& arguments);

// Evaluates source text in the page's own script world (its variables in
// reach); the value comes back as text in the same {ok, v} form.
QString EvaluationScript(const QString& source);

// The value of a DomScript or EvaluationScript result; raises BrowserError for a failed one.
QVariant DomResult(const QVariant& result);
