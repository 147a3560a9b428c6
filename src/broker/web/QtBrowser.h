#pragma once
// One browser session on Qt WebEngine: its own off-the-record profile
// (cookies of its own, no HTTP cache), its page and the view that shows it.

#include "broker/Browser.h"

#include <QJsonArray>
#include <QPointer>
#include <QUrl>
#include <QVariant>

#include <memory>

class FormPostGuard;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;
class SessionCookies;
class SessionPage;

class QtBrowser : public Browser {
public:
    explicit QtBrowser(const BrowserPlacement& placement);
    ~QtBrowser() override;

    void SetUserAgent(const std::string& userAgent) override;
    bool SetProxy(const BrowserProxy& proxy) override;
    void SetEvents(BrowserEvents events) override;
    void SetDialogHandler(BrowserDialogHandler handler) override;

    void Navigate(const std::string& url) override;
    std::string LocationUrl() override;
    bool Busy() override;
    std::string ReadyState() override;
    void Stop() override;
    void Reload() override;
    void GoBack() override;
    bool AnswersFormPost() override;

    bool DeleteCacheEntry(const std::string& url) override;
    std::string CookiesFor(const std::string& url) override;

    std::string BodyInnerHtml() override;
    void SetBodyInnerHtml(const std::string& html) override;
    std::string DocumentInnerHtml() override;
    void WriteDocument(const std::string& html) override;
    std::vector<ElementHandle> ElementsByNameOrId(const std::string& nameOrId) override;
    ElementHandle ElementByNameOrId(const std::string& nameOrId) override;
    std::vector<ElementHandle> ElementsByTag(const std::string& tag) override;
    std::vector<ElementHandle> ElementsByTagWithin(ElementHandle scope, const std::string& tag) override;
    std::vector<ElementHandle> Forms() override;
    std::vector<ElementHandle> FormFields(ElementHandle form) override;

    std::string TagName(ElementHandle element) override;
    std::string InnerHtml(ElementHandle element) override;
    std::string InnerText(ElementHandle element) override;
    std::string OuterHtml(ElementHandle element) override;
    std::string Href(ElementHandle element) override;
    std::string AccessKey(ElementHandle element) override;
    std::string Attribute(ElementHandle element, const std::string& name) override;
    std::string Value(ElementHandle element) override;
    void SetValue(ElementHandle element, const std::string& value) override;
    bool Checked(ElementHandle element) override;
    void SetChecked(ElementHandle element, bool checked) override;
    bool Selected(ElementHandle element) override;
    void SetSelected(ElementHandle element, bool selected) override;
    void Click(ElementHandle element) override;
    void SubmitForm(ElementHandle form) override;

    std::string EvaluateText(const std::string& script) override;

private:
    void ConnectEvents();
    void TrackLoading(const QWebEngineLoadingInfo& info);
    void ShowLoadFailure(const QUrl& url, const QString& reason);
    void PlaceView(const BrowserPlacement& placement);
    QVariant Dom(const QString& body, const QJsonArray& arguments, int timeoutMs);
    QVariant Dom(const QString& body, const QJsonArray& arguments = {});
    std::string DomText(const QString& body, const QJsonArray& arguments = {});
    std::vector<ElementHandle> DomHandles(const QString& body, const QJsonArray& arguments = {});

    // Declared before the profile, which uses it until its very end.
    std::unique_ptr<FormPostGuard> formPosts_;
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<SessionCookies> cookies_;
    std::unique_ptr<SessionPage> page_;
    std::unique_ptr<QWidget> window_;
    QPointer<QWebEngineView> view_;
    BrowserEvents events_;
    // The address whose load failed and whose error page is shown; a reload
    // asks the server for it again.
    QUrl failedUrl_;
    // Whether the top-level request under way sends a form, and whether the
    // page shown (or its failure page) answers one.
    bool requestSendsForm_ = false;
    bool answersFormPost_ = false;
};
