// Reading and filling the current page, for the adapters' site walks.
#include "broker/TradeApiBase.h"

#include "base/AkUnit.h"

ElementHandle TTradeApiBase::FirstForm() {
    const std::vector<ElementHandle> forms = WebBrowser->Forms();
    if (forms.empty()) throw BrowserError("the page has no form");
    return forms.front();
}

ElementHandle TTradeApiBase::FormField(ElementHandle form, const std::string& name) {
    for (ElementHandle field : WebBrowser->FormFields(form))
        if (WebBrowser->Attribute(field, "name") == name) return field;
    throw BrowserError("the form has no field " + name);
}

ElementHandle TTradeApiBase::NamedWithValue(const std::string& name, const std::string& value) {
    for (ElementHandle element : WebBrowser->ElementsByNameOrId(name))
        if (EqualsNoCase(WebBrowser->Value(element), value)) return element;
    // Going on with the page's preset choice could trade the wrong way.
    throw BrowserError("no " + name + " " + value + " on the page");
}

void TTradeApiBase::SelectOption(const std::string& name, const std::string& value) {
    for (ElementHandle list : WebBrowser->ElementsByNameOrId(name))
        for (ElementHandle option : WebBrowser->ElementsByTagWithin(list, "option"))
            if (EqualsNoCase(WebBrowser->Value(option), value)) {
                WebBrowser->SetSelected(option, true);
                return;
            }
    throw BrowserError("no option " + value + " in " + name);
}

std::vector<std::string> TTradeApiBase::BodyLines() { return SplitLines(WebBrowser->BodyInnerHtml()); }

void TTradeApiBase::LogUnexpectedError() {
    Log("error! 正常に終了できませんでした");
    std::string body;
    try {
        if (WebBrowser) body = WebBrowser->BodyInnerHtml();
    } catch (...) {
    }
    DetailLog("error! とにかくエラー。以下、現在のIE.InnerHTMLをログっときます" + body);
}
