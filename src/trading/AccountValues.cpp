#include "trading/AccountValues.h"

#include "base/Angou.h"
#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"

#include <filesystem>

namespace {

bool HoldsElements(pugi::xml_node element)
{
    return element.find_child([](pugi::xml_node child) { return child.type() == pugi::node_element; });
}

} // namespace

bool IsMaskedValueName(const std::string& name)
{
    return EqualsNoCase(name, "UserName") || EqualsNoCase(name, "Password") || EqualsNoCase(name, "SubPassword");
}

std::optional<std::string> ReadAccountValue(int accountIndex, const std::string& name, const std::string& accountPath)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc, accountPath))
        return std::nullopt;
    pugi::xml_node account = AccountAt(doc, accountIndex);
    if (!account)
        return std::nullopt;
    pugi::xml_node element = ChildNode(account, name);
    if (HoldsElements(element))
        return std::nullopt;
    if (!IsTextElement(element))
        return std::string();
    const std::string text = NodeText(element);
    return IsMaskedValueName(name) ? AngouDecodeText(text) : text;
}

bool StoreAccountValue(int accountIndex, const std::string& name, const std::string& text,
                       const std::string& accountPath)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc, accountPath))
        return false;
    pugi::xml_node account = AccountAt(doc, accountIndex);
    if (!account)
        return false;
    pugi::xml_node element = ChildNode(account, name);
    if (HoldsElements(element))
        return false;
    SetNodeText(element, IsMaskedValueName(name) ? AngouEncodeText(text) : text);
    return SaveAccountDocument(doc, accountPath);
}

bool HasLogInData(int accountIndex, const std::string& accountPath)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc, accountPath))
        return false;
    pugi::xml_node account = AccountAt(doc, accountIndex);
    for (const char* name : {"UserName", "Password"}) {
        pugi::xml_node element = ChildNode(account, name);
        if (!IsTextElement(element) || NodeText(element).empty())
            return false;
    }
    return static_cast<bool>(account);
}

bool EnsureAccountDocument(const std::string& accountPath, const std::string& templatePath)
{
    if (std::filesystem::exists(accountPath))
        return true;
    pugi::xml_document accountTemplate;
    return LoadXmlFile(templatePath, accountTemplate) && CreateAccountDocumentFile(accountTemplate, accountPath);
}
