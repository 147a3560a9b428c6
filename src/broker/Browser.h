#pragma once
// The embedded web browser as the broker sessions, the status pages, the
// problem report and the mail relay see it. No Qt here: the engine behind it
// lives in broker/web and is reached only through these two interfaces.
//
// Every call is synchronous for the caller. Calls that need the page (DOM
// reads and writes, clicks) wait for the engine while processing pending
// events, with a bound; a page that does not answer in time raises
// BrowserError. Navigation itself only starts loading: callers wait for the
// page with Busy()/ReadyState() and the events, as a person watches the
// progress bar.
//
// Elements are addressed by handles that the page side keeps for the
// current document. A handle of an earlier document is stale: using it
// raises BrowserError, as does asking for an element that is not there.
// Collections come back as vectors in document order; an empty vector means
// "nothing found" and is never an error.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Raised by element and document operations when the element is missing,
// the handle is stale, the page's script failed or the page did not answer
// in time. Operations of the sessions catch it at their boundary.
class BrowserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using ElementHandle = std::int64_t;

// A JavaScript dialog raised by a page (alert, confirm, prompt, or the
// "leave this page?" question of beforeunload). Pages never get a modal
// window: the dialog handler decides the answer at once.
struct BrowserDialog {
    enum class Kind { Alert, Confirm, Prompt, BeforeUnload };
    Kind kind = Kind::Alert;
    std::string message;
    std::string defaultValue;         // prompt only
    std::vector<std::string> buttons; // captions in window order, e.g. {"OK", "キャンセル"}
    std::string pageUrl;
};

struct BrowserDialogAnswer {
    bool accept = true;    // the first button (OK)
    std::string promptText; // what a prompt returns when accepted
};

using BrowserDialogHandler = std::function<BrowserDialogAnswer(const BrowserDialog&)>;

// Event handlers; any of them may be left empty.
struct BrowserEvents {
    // A load of the top-level page starts / ends (also when it failed or was stopped).
    std::function<void()> onDownloadBegin;
    std::function<void()> onDownloadComplete;
    // The top-level document (never a frame's) has finished loading.
    std::function<void(const std::string& url)> onDocumentComplete;
    // A navigation is about to start; set cancel to refuse it.
    std::function<void(const std::string& url, bool isMainFrame, bool& cancel)> onBeforeNavigate;
};

// Proxy choice of a session: off, the system's own settings, or a named
// "host:port" server without a bypass list.
struct BrowserProxy {
    bool use = false;
    std::string server; // empty with use = system settings
};

class Browser {
public:
    virtual ~Browser() = default;

    // --- session settings --------------------------------------------------
    virtual void SetUserAgent(const std::string& userAgent) = 0;
    // True when the choice was applied.
    virtual bool SetProxy(const BrowserProxy& proxy) = 0;
    virtual void SetEvents(BrowserEvents events) = 0;
    // Without a handler every dialog is accepted with its first button.
    virtual void SetDialogHandler(BrowserDialogHandler handler) = 0;

    // --- navigation ----------------------------------------------------------
    // Loads the top-level page without a history entry and never from a cache.
    virtual void Navigate(const std::string& url) = 0;
    // Address of the top-level page; empty before the first load.
    virtual std::string LocationUrl() = 0;
    // True from the start of a top-level load until it ends.
    virtual bool Busy() = 0;
    // document.readyState ("loading", "interactive", "complete"); empty when
    // the page cannot be asked right now (between two documents).
    virtual std::string ReadyState() = 0;
    virtual void Stop() = 0;
    // Reloads the current page from the server. The answer to a submitted
    // form is never asked for again: reloading it raises BrowserError.
    virtual void Reload() = 0;
    // One step back. A page there that answered a form is not asked for
    // again (the form is not re-sent); it comes back as a failed load.
    virtual void GoBack() = 0;
    // True when the current top-level page is the answer to a submitted form
    // (a POST), or the failure page of such an answer: loading it again
    // would send the form again.
    virtual bool AnswersFormPost() = 0;

    // --- cache and cookies ---------------------------------------------------
    // Drops any stored copy of the address; true when one was dropped.
    virtual bool DeleteCacheEntry(const std::string& url) = 0;
    // The cookies a request to the address would carry: "a=1; b=2"
    // (empty when there are none).
    virtual std::string CookiesFor(const std::string& url) = 0;

    // --- document ------------------------------------------------------------
    virtual std::string BodyInnerHtml() = 0;
    virtual void SetBodyInnerHtml(const std::string& html) = 0;
    // innerHTML of the root element (the whole document but the <html> tag).
    virtual std::string DocumentInnerHtml() = 0;
    // Replaces the current document with the given HTML (document.open/write/close).
    virtual void WriteDocument(const std::string& html) = 0;
    // document.all(nameOrId): every element whose name or id is the text.
    virtual std::vector<ElementHandle> ElementsByNameOrId(const std::string& nameOrId) = 0;
    // The first of those; raises BrowserError when there is none.
    virtual ElementHandle ElementByNameOrId(const std::string& nameOrId) = 0;
    // document.all.tags(tag): every element with the tag name (case ignored).
    virtual std::vector<ElementHandle> ElementsByTag(const std::string& tag) = 0;
    // The same, below one element only.
    virtual std::vector<ElementHandle> ElementsByTagWithin(ElementHandle scope, const std::string& tag) = 0;
    // document.forms, and a form's fields (form.elements).
    virtual std::vector<ElementHandle> Forms() = 0;
    virtual std::vector<ElementHandle> FormFields(ElementHandle form) = 0;

    // --- element -------------------------------------------------------------
    virtual std::string TagName(ElementHandle element) = 0; // upper case, "A", "INPUT"
    virtual std::string InnerHtml(ElementHandle element) = 0;
    virtual std::string InnerText(ElementHandle element) = 0;
    virtual std::string OuterHtml(ElementHandle element) = 0;
    // The link target as an absolute address (empty when there is none).
    virtual std::string Href(ElementHandle element) = 0;
    virtual std::string AccessKey(ElementHandle element) = 0;
    // An attribute's text; empty when the attribute is absent.
    virtual std::string Attribute(ElementHandle element, const std::string& name) = 0;
    virtual std::string Value(ElementHandle element) = 0;
    virtual void SetValue(ElementHandle element, const std::string& value) = 0;
    virtual bool Checked(ElementHandle element) = 0;
    virtual void SetChecked(ElementHandle element, bool checked) = 0;
    virtual bool Selected(ElementHandle element) = 0;
    virtual void SetSelected(ElementHandle element, bool selected) = 0;
    // The same effect as a user's click (handlers run, links and buttons act).
    virtual void Click(ElementHandle element) = 0;
    // The form's own submit, also when a field named "submit" shadows it.
    virtual void SubmitForm(ElementHandle form) = 0;

    // Runs a script in the page and returns its result as text (numbers and
    // Booleans converted, null/undefined empty). For the rare page detail the
    // operations above do not reach.
    virtual std::string EvaluateText(const std::string& script) = 0;
};

// Where a new browser goes: into a window of its own (800 × 1000 at the top
// left, titled with the caption, shown), or placed invisibly into a host the
// creator supplies. BrowserHost is defined by the engine layer.
struct BrowserHost;

struct BrowserPlacement {
    BrowserHost* host = nullptr; // none: a window of its own
    std::string caption;
};

class BrowserFactory {
public:
    virtual ~BrowserFactory() = default;
    // Each browser is an isolated session: its own cookies, no shared cache.
    virtual std::unique_ptr<Browser> CreateBrowser(const BrowserPlacement& placement) = 0;
};
