#include "documents/DocumentNodes.h"

#include "base/AkUnit.h"

#include <cstring>

pugi::xml_node ChildNode(pugi::xml_node parent, const std::string& name)
{
    if (!parent) return {};
    pugi::xml_node child = parent.child(name.c_str());
    if (child) return child;
    return parent.append_child(name.c_str());
}

pugi::xml_node ChildPath(pugi::xml_node parent, std::initializer_list<const char*> names)
{
    pugi::xml_node node = parent;
    for (const char* name : names) node = ChildNode(node, name);
    return node;
}

static bool IsTextNode(pugi::xml_node node)
{
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

std::string NodeText(pugi::xml_node node)
{
    if (!node) return {};
    if (IsTextNode(node)) return node.value();
    std::string text;
    for (pugi::xml_node child : node.children()) {
        if (IsTextNode(child)) text += child.value();
        else if (child.type() == pugi::node_element) text += NodeText(child);
    }
    return text;
}

std::string ChildValue(pugi::xml_node parent, const std::string& name)
{
    return NodeText(parent.child(name.c_str()));
}

void SetNodeText(pugi::xml_node node, const std::string& text)
{
    if (!node) return;
    while (node.first_child()) node.remove_child(node.first_child());
    if (!text.empty()) node.append_child(pugi::node_pcdata).set_value(text.c_str());
}

pugi::xml_node SetChildValue(pugi::xml_node parent, const std::string& name, const std::string& text)
{
    pugi::xml_node child = ChildNode(parent, name);
    SetNodeText(child, text);
    return child;
}

bool IsTextElement(pugi::xml_node node)
{
    pugi::xml_node first = node.first_child();
    return node.type() == pugi::node_element && first && !first.next_sibling() && IsTextNode(first);
}

std::string AttributeValue(pugi::xml_node node, const std::string& name)
{
    return node.attribute(name.c_str()).value();
}

void SetAttributeValue(pugi::xml_node node, const std::string& name, const std::string& value)
{
    if (!node) return;
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) attribute = node.append_attribute(name.c_str());
    attribute.set_value(value.c_str());
}

bool IsHiddenNode(pugi::xml_node node)
{
    pugi::xml_attribute first = node.first_attribute();
    return first && std::strcmp(first.name(), "Visible") == 0 && std::strcmp(first.value(), "False") == 0;
}

void MarkHidden(pugi::xml_node node)
{
    if (!node) return;
    pugi::xml_attribute attribute = node.attribute("Visible");
    if (!attribute) attribute = node.prepend_attribute("Visible");
    attribute.set_value("False");
}

std::vector<pugi::xml_node> ChildElements(pugi::xml_node parent)
{
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element) elements.push_back(child);
    return elements;
}

pugi::xml_node FindChildByName(pugi::xml_node parent, const std::string& name)
{
    for (pugi::xml_node child : ChildElements(parent))
        if (EqualsNoCase(AttributeValue(child, "Name"), name)) return child;
    return {};
}

pugi::xml_node FindChildElementNoCase(pugi::xml_node parent, const std::string& name)
{
    for (pugi::xml_node child : ChildElements(parent))
        if (EqualsNoCase(child.name(), name)) return child;
    return {};
}
