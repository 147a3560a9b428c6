#include "fuzz/PageBrowser.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace fuzzing {

namespace {

constexpr ElementHandle kGenerationShift = 24;
constexpr size_t kDocument = 0;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void AppendUtf8(unsigned code, std::string& out)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Length of the UTF-8 sequence at `at`, or 0 when it is not a valid one.
size_t Utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned c = byte(at);
    if (c < 0x80)
        return 1;
    size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (length == 0)
        return 0;
    unsigned code = c & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool outside = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    return overlong || outside ? 0 : length;
}

std::string ValidUtf8(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8Length(bytes, i);
        if (length == 0) {
            AppendUtf8(0xFFFD, out);
            ++i;
        } else {
            out.append(bytes, i, length);
            i += length;
        }
    }
    return out;
}

std::string DecodeEntities(const std::string& text)
{
    static const std::map<std::string, unsigned> kNamed = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (semicolon == std::string::npos || semicolon - i > 10) {
            out += text[i];
            continue;
        }
        const std::string name = text.substr(i + 1, semicolon - i - 1);
        unsigned code = 0;
        bool known = false;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits = name.substr(hex ? 2 : 1);
            known = !digits.empty() && std::all_of(digits.begin(), digits.end(), [&](char c) {
                return hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c));
            });
            if (known)
                code = static_cast<unsigned>(std::min(std::stoul(digits, nullptr, hex ? 16 : 10), 0x110000ul));
        } else if (auto it = kNamed.find(name); it != kNamed.end()) {
            known = true;
            code = it->second;
        }
        if (!known) {
            out += text[i];
            continue;
        }
        AppendUtf8(code, out);
        i = semicolon;
    }
    return out;
}

bool IsVoid(const std::string& tag)
{
    static const std::set<std::string> kVoid = {"AREA", "BASE", "BR",   "COL",   "EMBED", "HR",    "IMG",
                                                "INPUT", "LINK", "META", "PARAM", "SOURCE", "TRACK", "WBR"};
    return kVoid.count(tag) > 0;
}

bool IsRawText(const std::string& tag)
{
    return tag == "SCRIPT" || tag == "STYLE" || tag == "TEXTAREA" || tag == "TITLE";
}

// A lenient tokenizer and tree builder: unknown end tags are ignored,
// unclosed elements end where their parent ends.
class PageParser {
public:
    PageParser(const std::string& source, std::vector<DomNode>& nodes) : s_(source), nodes_(nodes) {}

    void Run()
    {
        nodes_.assign(1, DomNode{});
        open_ = {kDocument};
        while (at_ < s_.size()) {
            if (Starts("<!--"))
                SkipPast("-->");
            else if (Starts("</") && at_ + 2 < s_.size() && std::isalpha(Byte(at_ + 2)))
                EndTag();
            else if (Starts("<") && at_ + 1 < s_.size() && std::isalpha(Byte(at_ + 1)))
                StartTag();
            else if (Starts("<!") || Starts("<?"))
                SkipPast(">");
            else
                Text();
        }
        while (open_.size() > 1)
            Close(s_.size(), s_.size());
        nodes_[kDocument].innerEnd = s_.size();
    }

private:
    unsigned char Byte(size_t i) const { return i < s_.size() ? static_cast<unsigned char>(s_[i]) : 0; }
    bool Starts(const char* text) const { return s_.compare(at_, std::char_traits<char>::length(text), text) == 0; }

    void SkipPast(const std::string& end)
    {
        const size_t found = s_.find(end, at_ + 1);
        at_ = found == std::string::npos ? s_.size() : found + end.size();
    }

    std::string Name()
    {
        const size_t from = at_;
        while (at_ < s_.size() && (std::isalnum(Byte(at_)) || Byte(at_) == '-' || Byte(at_) == ':'))
            ++at_;
        return s_.substr(from, at_ - from);
    }

    void SkipBlanks()
    {
        while (at_ < s_.size() && std::isspace(Byte(at_)))
            ++at_;
    }

    size_t Add(DomNode node)
    {
        node.parent = open_.back();
        nodes_.push_back(std::move(node));
        nodes_[open_.back()].children.push_back(nodes_.size() - 1);
        return nodes_.size() - 1;
    }

    void Text()
    {
        const size_t from = at_;
        at_ = s_.find('<', at_ + 1);
        if (at_ == std::string::npos)
            at_ = s_.size();
        DomNode node;
        node.text = DecodeEntities(s_.substr(from, at_ - from));
        node.outerBegin = from;
        node.innerBegin = node.innerEnd = at_;
        Add(std::move(node));
    }

    std::string AttributeValue()
    {
        SkipBlanks();
        const char quote = static_cast<char>(Byte(at_));
        if (quote == '"' || quote == '\'') {
            const size_t end = s_.find(quote, at_ + 1);
            const size_t stop = end == std::string::npos ? s_.size() : end;
            std::string value = s_.substr(at_ + 1, stop - at_ - 1);
            at_ = std::min(s_.size(), stop + 1);
            return DecodeEntities(value);
        }
        const size_t from = at_;
        while (at_ < s_.size() && !std::isspace(Byte(at_)) && Byte(at_) != '>')
            ++at_;
        return DecodeEntities(s_.substr(from, at_ - from));
    }

    // Reads the attributes up to the tag's end; true when it closed itself ("/>").
    bool Attributes(DomNode& node)
    {
        while (at_ < s_.size()) {
            SkipBlanks();
            if (Byte(at_) == '>') {
                ++at_;
                return false;
            }
            if (Starts("/>")) {
                at_ += 2;
                return true;
            }
            const size_t from = at_;
            while (at_ < s_.size() && !std::isspace(Byte(at_)) && Byte(at_) != '=' && Byte(at_) != '>' &&
                   !Starts("/>"))
                ++at_;
            std::string name = Lower(s_.substr(from, at_ - from));
            if (name.empty())
                ++at_; // a stray "/" or "="
            SkipBlanks();
            std::string value;
            if (Byte(at_) == '=') {
                ++at_;
                value = AttributeValue();
            }
            if (!name.empty())
                node.attributes.emplace(std::move(name), std::move(value));
        }
        return false;
    }

    void StartTag()
    {
        DomNode node;
        node.outerBegin = at_;
        ++at_;
        node.tag = Upper(Name());
        const bool selfClosed = Attributes(node);
        node.innerBegin = node.innerEnd = at_;
        // A new option ends the one before it.
        if (node.tag == "OPTION" && nodes_[open_.back()].tag == "OPTION")
            Close(node.outerBegin, node.outerBegin);
        const std::string tag = node.tag;
        const size_t index = Add(std::move(node));
        if (selfClosed || IsVoid(tag))
            return;
        open_.push_back(index);
        if (IsRawText(tag))
            RawText(tag);
    }

    void RawText(const std::string& tag)
    {
        const size_t from = at_;
        size_t end = from;
        while ((end = s_.find("</", end)) != std::string::npos && Upper(s_.substr(end + 2, tag.size())) != tag)
            end += 2;
        at_ = end == std::string::npos ? s_.size() : end;
        DomNode text;
        text.text = s_.substr(from, at_ - from);
        text.outerBegin = from;
        text.innerBegin = text.innerEnd = at_;
        Add(std::move(text));
    }

    void Close(size_t innerEnd, size_t outerEnd)
    {
        DomNode& node = nodes_[open_.back()];
        node.innerEnd = innerEnd;
        outerEnds_[open_.back()] = outerEnd;
        open_.pop_back();
    }

    void EndTag()
    {
        const size_t begin = at_;
        at_ += 2;
        const std::string tag = Upper(Name());
        SkipPast(">");
        const auto match = std::find_if(open_.rbegin(), open_.rend() - 1,
                                        [&](size_t index) { return nodes_[index].tag == tag; });
        if (match == open_.rend() - 1)
            return;
        const size_t target = *match;
        while (open_.back() != target)
            Close(begin, begin);
        Close(begin, at_);
    }

    const std::string& s_;
    std::vector<DomNode>& nodes_;
    std::vector<size_t> open_;
    std::map<size_t, size_t> outerEnds_;
    size_t at_ = 0;

public:
    size_t OuterEnd(size_t index) const
    {
        auto it = outerEnds_.find(index);
        return it == outerEnds_.end() ? nodes_[index].innerEnd : it->second;
    }
};

void CollectText(const std::vector<DomNode>& nodes, size_t index, std::string& out)
{
    const DomNode& node = nodes[index];
    if (node.tag.empty()) {
        out += node.text;
        return;
    }
    if (node.tag == "BR") {
        out += '\n';
        return;
    }
    if (node.tag == "SCRIPT" || node.tag == "STYLE")
        return;
    for (size_t child : node.children)
        CollectText(nodes, child, out);
}

} // namespace

// --- PageFeed ----------------------------------------------------------------

PageFeed::PageFeed(const std::string& input)
{
    size_t from = 0;
    for (size_t cut = input.find('\f'); cut != std::string::npos; cut = input.find('\f', from)) {
        pages_.push_back(ValidUtf8(input.substr(from, cut - from)));
        from = cut + 1;
    }
    pages_.push_back(ValidUtf8(input.substr(from)));
}

std::string PageFeed::Next()
{
    return next_ < pages_.size() ? pages_[next_++] : std::string();
}

// --- Loading -----------------------------------------------------------------

void PageBrowser::Load(const std::string& address, const std::string& html, bool answersPost)
{
    if (events_.onDownloadBegin)
        events_.onDownloadBegin();
    previous_ = location_;
    ++loads_;
    // Every load gets an address of its own, so a wait for the address to
    // change never waits out its deadline here.
    location_ = address == "about:blank" ? address : address.substr(0, address.find('#')) + "#" + std::to_string(loads_);
    answersPost_ = answersPost;
    source_ = html;
    values_.clear();
    checked_.clear();
    PageParser parser(source_, nodes_);
    parser.Run();
    outerEnds_.clear();
    for (size_t i = 0; i < nodes_.size(); ++i)
        outerEnds_.push_back(parser.OuterEnd(i));
    if (events_.onDownloadComplete)
        events_.onDownloadComplete();
    if (events_.onDocumentComplete)
        events_.onDocumentComplete(location_);
}

void PageBrowser::LoadNext(const std::string& address, bool answersPost)
{
    Load(address, feed_.Next(), answersPost);
}

void PageBrowser::Navigate(const std::string& url)
{
    if (url == "about:blank")
        Load(url, "", false);
    else
        LoadNext(url, false);
}

void PageBrowser::Reload()
{
    if (answersPost_)
        throw BrowserError("the page answers a form");
    LoadNext(location_, false);
}

void PageBrowser::GoBack()
{
    LoadNext(previous_.empty() ? location_ : previous_, false);
}

// --- Document ----------------------------------------------------------------

size_t PageBrowser::Index(ElementHandle element) const
{
    const size_t index = static_cast<size_t>(element & ((ElementHandle{1} << kGenerationShift) - 1));
    if (element < 0 || (element >> kGenerationShift) != loads_ || index == kDocument || index >= nodes_.size() ||
        nodes_[index].tag.empty())
        throw BrowserError("stale or unknown element");
    return index;
}

const DomNode& PageBrowser::Node(ElementHandle element) const
{
    return nodes_[Index(element)];
}

std::vector<ElementHandle> PageBrowser::Matching(size_t scope, const std::string& tag)
{
    std::vector<ElementHandle> found;
    const std::string wanted = Upper(tag);
    std::vector<size_t> pending(nodes_[scope].children.rbegin(), nodes_[scope].children.rend());
    while (!pending.empty()) {
        const size_t index = pending.back();
        pending.pop_back();
        if (!nodes_[index].tag.empty() && (wanted.empty() || nodes_[index].tag == wanted))
            found.push_back(static_cast<ElementHandle>(loads_) << kGenerationShift | static_cast<ElementHandle>(index));
        pending.insert(pending.end(), nodes_[index].children.rbegin(), nodes_[index].children.rend());
    }
    return found;
}

std::string PageBrowser::BodyInnerHtml()
{
    const std::vector<ElementHandle> bodies = ElementsByTag("body");
    return bodies.empty() ? source_ : InnerHtml(bodies.front());
}

std::vector<ElementHandle> PageBrowser::ElementsByNameOrId(const std::string& nameOrId)
{
    std::vector<ElementHandle> found;
    for (ElementHandle element : Matching(kDocument, ""))
        if (Attribute(element, "name") == nameOrId || Attribute(element, "id") == nameOrId)
            found.push_back(element);
    return found;
}

ElementHandle PageBrowser::ElementByNameOrId(const std::string& nameOrId)
{
    const std::vector<ElementHandle> found = ElementsByNameOrId(nameOrId);
    if (found.empty())
        throw BrowserError("no element " + nameOrId);
    return found.front();
}

std::vector<ElementHandle> PageBrowser::ElementsByTag(const std::string& tag)
{
    return Matching(kDocument, tag);
}

std::vector<ElementHandle> PageBrowser::ElementsByTagWithin(ElementHandle scope, const std::string& tag)
{
    return Matching(Index(scope), tag);
}

std::vector<ElementHandle> PageBrowser::FormFields(ElementHandle form)
{
    std::vector<ElementHandle> fields;
    for (ElementHandle element : Matching(Index(form), ""))
        if (const std::string& tag = Node(element).tag;
            tag == "INPUT" || tag == "SELECT" || tag == "TEXTAREA" || tag == "BUTTON")
            fields.push_back(element);
    return fields;
}

// --- Element -----------------------------------------------------------------

std::string PageBrowser::InnerHtml(ElementHandle element)
{
    const DomNode& node = Node(element);
    return source_.substr(node.innerBegin, node.innerEnd - node.innerBegin);
}

std::string PageBrowser::InnerText(ElementHandle element)
{
    std::string text;
    CollectText(nodes_, Index(element), text);
    return text;
}

std::string PageBrowser::OuterHtml(ElementHandle element)
{
    const size_t index = Index(element);
    return source_.substr(nodes_[index].outerBegin, outerEnds_[index] - nodes_[index].outerBegin);
}

std::string PageBrowser::Resolve(const std::string& reference) const
{
    const std::string base = location_.substr(0, location_.find('#'));
    if (reference.empty())
        return base;
    if (reference.rfind("http://", 0) == 0 || reference.rfind("https://", 0) == 0 || reference.rfind("about:", 0) == 0)
        return reference;
    const size_t scheme = base.find("://");
    const size_t hostEnd = scheme == std::string::npos ? std::string::npos : base.find('/', scheme + 3);
    if (reference.front() == '/')
        return (hostEnd == std::string::npos ? base : base.substr(0, hostEnd)) + reference;
    const size_t slash = base.rfind('/');
    return (slash == std::string::npos || slash < hostEnd ? base + "/" : base.substr(0, slash + 1)) + reference;
}

std::string PageBrowser::Href(ElementHandle element)
{
    const DomNode& node = Node(element);
    auto it = node.attributes.find("href");
    return it == node.attributes.end() ? std::string() : Resolve(it->second);
}

std::string PageBrowser::Attribute(ElementHandle element, const std::string& name)
{
    const DomNode& node = Node(element);
    auto it = node.attributes.find(Lower(name));
    return it == node.attributes.end() ? std::string() : it->second;
}

std::string PageBrowser::Value(ElementHandle element)
{
    const size_t index = Index(element);
    if (auto it = values_.find(index); it != values_.end())
        return it->second;
    const DomNode& node = nodes_[index];
    if (node.tag == "SELECT") {
        const std::vector<ElementHandle> options = ElementsByTagWithin(element, "option");
        for (ElementHandle option : options)
            if (Selected(option))
                return Value(option);
        return options.empty() ? std::string() : Value(options.front());
    }
    if (node.tag == "TEXTAREA" || (node.tag == "OPTION" && !node.attributes.count("value")))
        return InnerText(element);
    return Attribute(element, "value");
}

void PageBrowser::SetValue(ElementHandle element, const std::string& value)
{
    values_[Index(element)] = value;
}

// A check box's "checked" and an option's "selected": set by the page's
// markup until the session sets them.
bool PageBrowser::Flag(ElementHandle element, const char* attribute)
{
    const size_t index = Index(element);
    auto it = checked_.find(index);
    return it != checked_.end() ? it->second : nodes_[index].attributes.count(attribute) > 0;
}

bool PageBrowser::Checked(ElementHandle element)
{
    return Flag(element, "checked");
}

void PageBrowser::SetChecked(ElementHandle element, bool checked)
{
    checked_[Index(element)] = checked;
}

bool PageBrowser::Selected(ElementHandle element)
{
    return Flag(element, "selected");
}

void PageBrowser::SetSelected(ElementHandle element, bool selected)
{
    checked_[Index(element)] = selected;
}

ElementHandle PageBrowser::FormOf(ElementHandle element)
{
    for (size_t index = Index(element); index != kDocument; index = nodes_[index].parent)
        if (nodes_[index].tag == "FORM")
            return static_cast<ElementHandle>(loads_) << kGenerationShift | static_cast<ElementHandle>(index);
    return -1;
}

// Every click loads a page: a link its target, a button its form's answer,
// anything else the current address again, as a page script might.
void PageBrowser::Click(ElementHandle element)
{
    const DomNode& node = Node(element);
    const ElementHandle form = FormOf(element);
    if (node.tag == "A")
        LoadNext(Href(element), false);
    else if ((node.tag == "INPUT" || node.tag == "BUTTON") && form >= 0)
        SubmitForm(form);
    else
        LoadNext(location_, false);
}

void PageBrowser::SubmitForm(ElementHandle form)
{
    const bool post = Lower(Attribute(form, "method")) == "post";
    LoadNext(Resolve(Attribute(form, "action")), post);
}

} // namespace fuzzing
