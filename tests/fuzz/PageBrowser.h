#pragma once
// A Browser that shows pages cut from a fuzz input, for driving the broker
// adapters over arbitrary HTML without an engine. Every load (navigation,
// link click, form submit, reload, step back) shows the next page of the
// feed; after the last one, loads show an empty page. Pages are parsed into
// a small, lenient DOM: enough of what the adapters read (anchors, divs,
// forms and their fields, inner HTML and text) to reach their page reading.

#include "broker/Browser.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fuzzing {

// The pages of one input, shared by every browser a session makes.
class PageFeed {
public:
    // Pages are separated by a form feed; bytes that are not UTF-8 become
    // U+FFFD, as the engine would show them.
    explicit PageFeed(const std::string& input);
    std::string Next();

private:
    std::vector<std::string> pages_;
    size_t next_ = 0;
};

struct DomNode {
    std::string tag; // upper case; empty for a text node
    std::map<std::string, std::string> attributes; // names lower case
    std::string text;                              // text nodes: the decoded text
    std::vector<size_t> children;
    size_t parent = 0;
    size_t outerBegin = 0, innerBegin = 0, innerEnd = 0; // offsets into the page source
};

class PageBrowser : public Browser {
public:
    explicit PageBrowser(PageFeed& feed) : feed_(feed) {}

    void SetUserAgent(const std::string&) override {}
    bool SetProxy(const BrowserProxy&) override { return true; }
    void SetEvents(BrowserEvents events) override { events_ = std::move(events); }
    void SetDialogHandler(BrowserDialogHandler) override {}

    void Navigate(const std::string& url) override;
    std::string LocationUrl() override { return location_; }
    bool Busy() override { return false; }
    std::string ReadyState() override { return "complete"; }
    void Stop() override {}
    void Reload() override;
    void GoBack() override;
    bool AnswersFormPost() override { return answersPost_; }
    bool DeleteCacheEntry(const std::string&) override { return false; }
    std::string CookiesFor(const std::string&) override { return {}; }

    std::string BodyInnerHtml() override;
    void SetBodyInnerHtml(const std::string& html) override { Load(location_, html, false); }
    std::string DocumentInnerHtml() override { return source_; }
    void WriteDocument(const std::string& html) override { Load(location_, html, false); }
    std::vector<ElementHandle> ElementsByNameOrId(const std::string& nameOrId) override;
    ElementHandle ElementByNameOrId(const std::string& nameOrId) override;
    std::vector<ElementHandle> ElementsByTag(const std::string& tag) override;
    std::vector<ElementHandle> ElementsByTagWithin(ElementHandle scope, const std::string& tag) override;
    std::vector<ElementHandle> Forms() override { return ElementsByTag("form"); }
    std::vector<ElementHandle> FormFields(ElementHandle form) override;

    std::string TagName(ElementHandle element) override { return Node(element).tag; }
    std::string InnerHtml(ElementHandle element) override;
    std::string InnerText(ElementHandle element) override;
    std::string OuterHtml(ElementHandle element) override;
    std::string Href(ElementHandle element) override;
    std::string AccessKey(ElementHandle element) override { return Attribute(element, "accesskey"); }
    std::string Attribute(ElementHandle element, const std::string& name) override;
    std::string Value(ElementHandle element) override;
    void SetValue(ElementHandle element, const std::string& value) override;
    bool Checked(ElementHandle element) override;
    void SetChecked(ElementHandle element, bool checked) override;
    bool Selected(ElementHandle element) override;
    void SetSelected(ElementHandle element, bool selected) override;
    void Click(ElementHandle element) override;
    void SubmitForm(ElementHandle form) override;
    std::string EvaluateText(const std::string&) override { return {}; }

private:
    void Load(const std::string& address, const std::string& html, bool answersPost);
    void LoadNext(const std::string& address, bool answersPost);
    const DomNode& Node(ElementHandle element) const;
    size_t Index(ElementHandle element) const;
    std::vector<ElementHandle> Matching(size_t scope, const std::string& tag);
    std::string Resolve(const std::string& reference) const;
    ElementHandle FormOf(ElementHandle element);
    bool Flag(ElementHandle element, const char* attribute);

    PageFeed& feed_;
    BrowserEvents events_;
    std::string location_;
    std::string previous_;
    bool answersPost_ = false;
    int loads_ = 0;
    std::string source_;
    std::vector<DomNode> nodes_; // nodes_[0] is the document
    std::vector<size_t> outerEnds_;
    std::map<size_t, std::string> values_;
    std::map<size_t, bool> checked_;
};

class PageBrowserFactory : public BrowserFactory {
public:
    explicit PageBrowserFactory(PageFeed& feed) : feed_(feed) {}
    std::unique_ptr<Browser> CreateBrowser(const BrowserPlacement&) override
    {
        return std::make_unique<PageBrowser>(feed_);
    }

private:
    PageFeed& feed_;
};

} // namespace fuzzing
