#pragma once
// Watches the top-level requests of one session's profile. It tells the
// browser whether each of them sends a form (POST), and it refuses a POST
// that the engine would send again on its own: the reload of a page that
// answered a form, or a step through the history back to one. The engine
// re-sends such a form without asking, and an order form sent twice is an
// order executed twice. Only a form's own submission (with the redirect
// that follows it) posts.

#include <QWebEngineUrlRequestInterceptor>

#include <functional>

class FormPostGuard : public QWebEngineUrlRequestInterceptor {
public:
    using RequestSeen = std::function<void(bool sendsForm)>;

    explicit FormPostGuard(RequestSeen onTopLevelRequest, QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    RequestSeen onTopLevelRequest_;
};
