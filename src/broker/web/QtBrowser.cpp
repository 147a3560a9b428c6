#include "broker/web/QtBrowser.h"

#include "broker/web/BrowserHost.h"
#include "broker/web/FormPostGuard.h"
#include "broker/web/PageScript.h"
#include "broker/web/ProcessProxy.h"
#include "broker/web/SessionCookies.h"
#include "broker/web/SessionPage.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWidget>

namespace {

// DOM calls are quick; a page that does not answer within this is stuck.
constexpr int kDomTimeoutMs = 10000;
// The ready state is polled during waits; a stuck page must not hold the poll long.
constexpr int kReadyStateTimeoutMs = 2000;
// The network error of a load that was stopped or replaced by another.
constexpr int kAbortedError = -3;
constexpr int kOwnWindowWidth = 800;
constexpr int kOwnWindowHeight = 1000;
// Marks our failure page when it stands for the lost answer to a form, so
// that the page keeps saying so when the history brings it back.
const char* const kFormAnswerMark = "<meta name=\"answers-form\">";

QString Q(const std::string& text) { return QString::fromStdString(text); }

QJsonValue J(ElementHandle handle) { return QJsonValue(static_cast<qint64>(handle)); }

template <class Handler, class... Args>
void Notify(const Handler& handler, Args&&... args) {
    if (!handler) return;
    try {
        handler(std::forward<Args>(args)...);
    } catch (...) {
        // A failing listener must not break the engine's signal delivery.
    }
}

} // namespace

QtBrowser::QtBrowser(const BrowserPlacement& placement)
    : formPosts_(std::make_unique<FormPostGuard>([this](bool sendsForm) { requestSendsForm_ = sendsForm; })),
      profile_(std::make_unique<QWebEngineProfile>()) {
    profile_->setUrlRequestInterceptor(formPosts_.get());
    // Every page is a fresh server read: nothing is cached, nothing persists.
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    cookies_ = std::make_unique<SessionCookies>(profile_->cookieStore());
    page_ = std::make_unique<SessionPage>(profile_.get());
    QWebEngineSettings* settings = page_->settings();
    // Japanese sites that do not declare their encoding are Shift_JIS.
    settings->setDefaultTextEncoding(QStringLiteral("Shift_JIS"));
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    // A load that fails shows our own error page (ShowLoadFailure), whose
    // text the session's wait knows; a server's empty answer stays empty.
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    ConnectEvents();
    PlaceView(placement);
}

QtBrowser::~QtBrowser() {
    // A view in a host belongs to the host; it goes with this session. The
    // members then go in reverse order: window, page, and the profile last.
    if (!window_ && view_) delete view_.data();
}

void QtBrowser::ConnectEvents() {
    SessionPage* page = page_.get();
    QObject::connect(page, &QWebEnginePage::loadStarted, page, [this] { Notify(events_.onDownloadBegin); });
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [this](bool) {
        Notify(events_.onDownloadComplete);
        Notify(events_.onDocumentComplete, LocationUrl());
    });
    QObject::connect(page, &QWebEnginePage::loadingChanged, page,
                     [this](const QWebEngineLoadingInfo& info) { TrackLoading(info); });
    // Pages that open a window of their own continue in this one.
    QObject::connect(page, &QWebEnginePage::newWindowRequested, page,
                     [page](QWebEngineNewWindowRequest& request) { page->load(request.requestedUrl()); });
    page->setNavigationHandler([this](const std::string& url, bool mainFrame, bool& cancel) {
        Notify(events_.onBeforeNavigate, url, mainFrame, cancel);
        // A new top-level load sends no form until the guard sees it post;
        // our own failure page (a data: address) carries its mark.
        if (!mainFrame || cancel) return;
        requestSendsForm_ = url.starts_with("data:") &&
                            QUrl::fromPercentEncoding(QByteArray::fromStdString(url)).contains(kFormAnswerMark);
    });
}

void QtBrowser::TrackLoading(const QWebEngineLoadingInfo& info) {
    const bool ownFailurePage = info.url().scheme() == QLatin1String("data");
    // Loading the error page itself keeps the failure.
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus && info.url() != failedUrl_ && !ownFailurePage)
        failedUrl_.clear();
    if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) answersFormPost_ = requestSendsForm_;
    // Network failures only: an HTTP error has the server's page, and an
    // aborted load (stop, or a newer navigation) is no failure.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
        info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain && info.errorCode() != kAbortedError)
        ShowLoadFailure(info.url(), info.errorString());
}

void QtBrowser::ShowLoadFailure(const QUrl& url, const QString& reason) {
    failedUrl_ = url;
    const QString address = url.toString().toHtmlEscaped();
    page_->setHtml(QStringLiteral("<html><head><meta charset=\"utf-8\">%1<title>ページを表示できません</title></head>"
                                  "<body><h1>ページを表示できません</h1><p>%2</p><p>%3</p></body></html>")
                       .arg(QLatin1String(requestSendsForm_ ? kFormAnswerMark : ""), address, reason.toHtmlEscaped()),
                   url);
}

void QtBrowser::PlaceView(const BrowserPlacement& placement) {
    QWidget* host = placement.host ? placement.host->widget : nullptr;
    if (host) {
        // Placed in the program's window but invisible: the session is driven, not watched.
        view_ = new QWebEngineView(host);
        view_->setPage(page_.get());
        view_->setGeometry(0, 0, 0, 0);
        view_->show();
        return;
    }
    window_ = std::make_unique<QWidget>();
    window_->setWindowTitle(Q(placement.caption));
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QWebEngineView(window_.get());
    view_->setPage(page_.get());
    layout->addWidget(view_);
    window_->resize(kOwnWindowWidth, kOwnWindowHeight);
    window_->move(0, 0);
    window_->show();
}

void QtBrowser::SetUserAgent(const std::string& userAgent) { profile_->setHttpUserAgent(Q(userAgent)); }

bool QtBrowser::SetProxy(const BrowserProxy& proxy) { return ApplyProcessProxy(proxy); }

void QtBrowser::SetEvents(BrowserEvents events) { events_ = std::move(events); }

void QtBrowser::SetDialogHandler(BrowserDialogHandler handler) { page_->setDialogHandler(std::move(handler)); }

void QtBrowser::Navigate(const std::string& url) { page_->load(QUrl(Q(url))); }

std::string QtBrowser::LocationUrl() { return page_->url().toString(QUrl::FullyEncoded).toStdString(); }

bool QtBrowser::Busy() { return page_->isLoading(); }

std::string QtBrowser::ReadyState() {
    try {
        return Dom(QStringLiteral("return document.readyState;"), {}, kReadyStateTimeoutMs).toString().toStdString();
    } catch (const BrowserError&) {
        return {};
    }
}

void QtBrowser::Stop() { page_->triggerAction(QWebEnginePage::Stop); }

void QtBrowser::Reload() {
    // The engine would send the form again without asking.
    if (answersFormPost_) throw BrowserError("the page answers a form; loading it again would send the form again");
    if (!failedUrl_.isEmpty())
        page_->load(failedUrl_);
    else
        page_->triggerAction(QWebEnginePage::ReloadAndBypassCache);
}

void QtBrowser::GoBack() { page_->triggerAction(QWebEnginePage::Back); }

bool QtBrowser::AnswersFormPost() { return answersFormPost_; }

bool QtBrowser::DeleteCacheEntry(const std::string&) {
    // The profile keeps no HTTP cache, so there is never a stored copy to drop.
    return false;
}

std::string QtBrowser::CookiesFor(const std::string& url) {
    // Cookie changes arrive as queued notifications; take in those pending.
    QCoreApplication::processEvents();
    return cookies_->CookiesFor(QUrl(Q(url)));
}

QVariant QtBrowser::Dom(const QString& body, const QJsonArray& arguments, int timeoutMs) {
    const QVariant result =
        RunScriptAndWait(*page_, DomScript(body, arguments), QWebEngineScript::ApplicationWorld, timeoutMs);
    return DomResult(result);
}

QVariant QtBrowser::Dom(const QString& body, const QJsonArray& arguments) {
    return Dom(body, arguments, kDomTimeoutMs);
}

std::string QtBrowser::DomText(const QString& body, const QJsonArray& arguments) {
    return Dom(body, arguments).toString().toStdString();
}

std::vector<ElementHandle> QtBrowser::DomHandles(const QString& body, const QJsonArray& arguments) {
    std::vector<ElementHandle> handles;
    for (const QVariant& value : Dom(body, arguments).toList()) handles.push_back(value.toLongLong());
    return handles;
}

std::string QtBrowser::BodyInnerHtml() {
    return DomText(QStringLiteral("return document.body ? document.body.innerHTML : '';"));
}

void QtBrowser::SetBodyInnerHtml(const std::string& html) {
    Dom(QStringLiteral("if (!document.body) throw new Error('no body'); document.body.innerHTML = A[0];"),
        {Q(html)});
}

std::string QtBrowser::DocumentInnerHtml() {
    return DomText(QStringLiteral("return document.documentElement ? document.documentElement.innerHTML : '';"));
}

void QtBrowser::WriteDocument(const std::string& html) {
    Dom(QStringLiteral("document.open(); document.write(A[0]); document.close();"), {Q(html)});
}

std::vector<ElementHandle> QtBrowser::ElementsByNameOrId(const std::string& nameOrId) {
    return DomHandles(QStringLiteral("var found = document.all.namedItem(A[0]);"
                                     "if (!found) return [];"
                                     "return found instanceof Element ? [ref(found)] : refs(found);"),
                      {Q(nameOrId)});
}

ElementHandle QtBrowser::ElementByNameOrId(const std::string& nameOrId) {
    const std::vector<ElementHandle> found = ElementsByNameOrId(nameOrId);
    if (found.empty()) throw BrowserError("no element named " + nameOrId);
    return found.front();
}

std::vector<ElementHandle> QtBrowser::ElementsByTag(const std::string& tag) {
    return DomHandles(QStringLiteral("return refs(document.getElementsByTagName(A[0]));"), {Q(tag)});
}

std::vector<ElementHandle> QtBrowser::ElementsByTagWithin(ElementHandle scope, const std::string& tag) {
    return DomHandles(QStringLiteral("return refs(el(A[0]).getElementsByTagName(A[1]));"), {J(scope), Q(tag)});
}

std::vector<ElementHandle> QtBrowser::Forms() { return DomHandles(QStringLiteral("return refs(document.forms);")); }

std::vector<ElementHandle> QtBrowser::FormFields(ElementHandle form) {
    return DomHandles(QStringLiteral("return refs(el(A[0]).elements);"), {J(form)});
}

std::string QtBrowser::TagName(ElementHandle element) {
    return DomText(QStringLiteral("return el(A[0]).tagName.toUpperCase();"), {J(element)});
}

std::string QtBrowser::InnerHtml(ElementHandle element) {
    return DomText(QStringLiteral("return el(A[0]).innerHTML;"), {J(element)});
}

std::string QtBrowser::InnerText(ElementHandle element) {
    return DomText(QStringLiteral("var e = el(A[0]); return e.innerText !== undefined ? e.innerText : e.textContent;"),
                   {J(element)});
}

std::string QtBrowser::OuterHtml(ElementHandle element) {
    return DomText(QStringLiteral("return el(A[0]).outerHTML;"), {J(element)});
}

std::string QtBrowser::Href(ElementHandle element) {
    return DomText(QStringLiteral("var e = el(A[0]);"
                                  "if (!e.hasAttribute('href')) return '';"
                                  "return typeof e.href === 'string' ? e.href : e.getAttribute('href');"),
                   {J(element)});
}

std::string QtBrowser::AccessKey(ElementHandle element) {
    return DomText(QStringLiteral("return el(A[0]).accessKey || '';"), {J(element)});
}

std::string QtBrowser::Attribute(ElementHandle element, const std::string& name) {
    return DomText(QStringLiteral("var v = el(A[0]).getAttribute(A[1]); return v === null ? '' : v;"),
                   {J(element), Q(name)});
}

std::string QtBrowser::Value(ElementHandle element) {
    return DomText(QStringLiteral("var v = el(A[0]).value; return v == null ? '' : String(v);"), {J(element)});
}

void QtBrowser::SetValue(ElementHandle element, const std::string& value) {
    Dom(QStringLiteral("el(A[0]).value = A[1];"), {J(element), Q(value)});
}

bool QtBrowser::Checked(ElementHandle element) {
    return Dom(QStringLiteral("return !!el(A[0]).checked;"), {J(element)}).toBool();
}

void QtBrowser::SetChecked(ElementHandle element, bool checked) {
    Dom(QStringLiteral("el(A[0]).checked = A[1];"), {J(element), checked});
}

bool QtBrowser::Selected(ElementHandle element) {
    return Dom(QStringLiteral("return !!el(A[0]).selected;"), {J(element)}).toBool();
}

void QtBrowser::SetSelected(ElementHandle element, bool selected) {
    Dom(QStringLiteral("el(A[0]).selected = A[1];"), {J(element), selected});
}

void QtBrowser::Click(ElementHandle element) { Dom(QStringLiteral("el(A[0]).click();"), {J(element)}); }

void QtBrowser::SubmitForm(ElementHandle form) {
    // form.submit may be a field called "submit"; the prototype's method is not.
    Dom(QStringLiteral("HTMLFormElement.prototype.submit.call(el(A[0]));"), {J(form)});
}

std::string QtBrowser::EvaluateText(const std::string& script) {
    const QVariant result =
        RunScriptAndWait(*page_, EvaluationScript(Q(script)), QWebEngineScript::MainWorld, kDomTimeoutMs);
    return DomResult(result).toString().toStdString();
}
