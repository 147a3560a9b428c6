#include "trading/TemplateMerge.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"

#include <array>
#include <exception>

namespace {

const std::string kReplaceMarker = "Replace::";

bool HasNamedChild(pugi::xml_node parent, const std::string& name)
{
    return static_cast<bool>(FindChildByName(parent, name));
}

// Deletes, last to first, every child whose Name the template does not carry.
void DropChildrenMissingFrom(pugi::xml_node target, pugi::xml_node templateParent)
{
    std::vector<pugi::xml_node> children = ChildElements(target);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (!HasNamedChild(templateParent, AttributeValue(*it, "Name"))) target.remove_child(*it);
}

void MergeItemAttributes(pugi::xml_node item, pugi::xml_node templateItem)
{
    static const std::array<const char*, 3> copied = {"Demo", "RealModel", "DemoModel"};
    for (const char* name : copied) {
        pugi::xml_attribute source = templateItem.attribute(name);
        if (source) SetAttributeValue(item, name, source.value());
        else item.remove_attribute(name);
    }
    for (pugi::xml_attribute attribute : templateItem.attributes())
        if (!item.attribute(attribute.name())) item.append_attribute(attribute.name()).set_value(attribute.value());
}

// Each child of the template meets its namesake (by Name) through `merge`,
// or is copied in; children the template no longer has are dropped.
void MergeChildrenByName(pugi::xml_node target, pugi::xml_node templateNode,
                         void (*merge)(pugi::xml_node, pugi::xml_node))
{
    for (pugi::xml_node templateChild : ChildElements(templateNode)) {
        pugi::xml_node child = FindChildByName(target, AttributeValue(templateChild, "Name"));
        if (child) merge(child, templateChild);
        else target.append_copy(templateChild);
    }
    DropChildrenMissingFrom(target, templateNode);
}

void MergeGroup(pugi::xml_node group, pugi::xml_node templateGroup)
{
    MergeChildrenByName(group, templateGroup, MergeItemAttributes);
}

void ApplyMarkedAttributes(pugi::xml_node target, pugi::xml_node source)
{
    for (pugi::xml_attribute attribute : source.attributes()) {
        const std::string value = attribute.value();
        if (value.find(kReplaceMarker) != std::string::npos)
            SetAttributeValue(target, attribute.name(), TemplateValue(value));
    }
}

// An element the account lacks arrives with its value unmarked; one with
// child elements of its own is copied as it stands, minus the markers.
void AppendTemplateChild(pugi::xml_node account, pugi::xml_node child)
{
    pugi::xml_node copy = account.append_copy(child);
    if (!ChildElements(child).empty()) {
        RemoveReplaceMarkers(copy);
        return;
    }
    SetNodeText(copy, TemplateValue(NodeText(child)));
    ApplyMarkedAttributes(copy, child);
}

void MergeTemplateChild(pugi::xml_node account, pugi::xml_node child)
{
    pugi::xml_node existing = FindChildElementNoCase(account, child.name());
    if (!existing) {
        AppendTemplateChild(account, child);
        return;
    }
    if (IsTextElement(child) && NodeText(child).find(kReplaceMarker) != std::string::npos)
        SetNodeText(existing, TemplateValue(NodeText(child)));
    ApplyMarkedAttributes(existing, child);
}

void OfferHelperList(const HelperProgramUpdate& updateHelpers, const pugi::xml_document& accountTemplate)
{
    if (!updateHelpers) return;
    try {
        updateHelpers(accountTemplate.document_element().child("Bin"));
    } catch (const std::exception&) {
        // The helper programs are refreshed again at the next fetch.
    }
}

} // namespace

void MergePortfolio(pugi::xml_node accountPortfolio, pugi::xml_node templatePortfolio)
{
    MergeChildrenByName(accountPortfolio, templatePortfolio, MergeGroup);
}

void MergeTemplateEntry(pugi::xml_node account, pugi::xml_node templateEntry)
{
    for (pugi::xml_node child : ChildElements(templateEntry)) MergeTemplateChild(account, child);
}

std::string TemplateValue(const std::string& text)
{
    const size_t separator = text.find("::");
    return separator == std::string::npos ? text : text.substr(separator + 2);
}

void RemoveReplaceMarkers(pugi::xml_node element)
{
    for (pugi::xml_attribute attribute : element.attributes())
        attribute.set_value(ReplaceAll(attribute.value(), kReplaceMarker, "").c_str());
    if (IsTextElement(element)) {
        SetNodeText(element, ReplaceAll(NodeText(element), kReplaceMarker, ""));
        return;
    }
    for (pugi::xml_node child : ChildElements(element)) RemoveReplaceMarkers(child);
}

pugi::xml_node TemplateAccounts(const pugi::xml_document& accountTemplate)
{
    return accountTemplate.document_element().child("Accounts");
}

bool MergeAccountTemplate(const HelperProgramUpdate& updateHelpers, const OperationLog& log,
                          const std::string& accountPath, const std::string& templatePath)
{
    log("最新の業者リスト、ポートフォリオリスト、Version情報を取得します...");
    pugi::xml_document doc;
    pugi::xml_document accountTemplate;
    if (!LoadAccountDocument(doc, accountPath) || !LoadXmlFile(templatePath, accountTemplate)) return false;
    OfferHelperList(updateHelpers, accountTemplate);

    // A template without a catalogue would wipe every portfolio and leverage.
    pugi::xml_node templatePortfolio = accountTemplate.document_element().child("Portfolio");
    if (!templatePortfolio) return false;
    MergePortfolio(PortfolioElement(doc), templatePortfolio);
    if (!SaveAccountDocument(doc, accountPath)) return false;

    pugi::xml_node entries = TemplateAccounts(accountTemplate);
    for (pugi::xml_node account : AccountElements(doc)) {
        pugi::xml_node entry = FindChildByName(entries, AccountName(account));
        if (entry) MergeTemplateEntry(account, entry);
    }
    if (!SaveAccountDocument(doc, accountPath)) return false;
    log("取得に成功しました");
    return true;
}
