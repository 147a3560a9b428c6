#pragma once
// The lookup rules of the account and signal documents over pugixml:
// - looking a child element up by name (to descend, test or write) creates it
//   empty when it is missing, and the creation stays in the document;
// - reading the value of a missing child or attribute gives "" and creates nothing;
// - a text element has exactly one child node, and that node is text.

#include <pugixml.hpp>

#include <initializer_list>
#include <string>
#include <vector>

// Child element `name`, appended empty when missing. A null parent gives null.
pugi::xml_node ChildNode(pugi::xml_node parent, const std::string& name);
// Descends through `names`, creating each missing step: ChildPath(account, {"Today", "Balance"}).
pugi::xml_node ChildPath(pugi::xml_node parent, std::initializer_list<const char*> names);

// Text of an element: its text nodes and those of its descendants, in order.
std::string NodeText(pugi::xml_node node);
// Value of child `name`; "" when it is missing (nothing is created).
std::string ChildValue(pugi::xml_node parent, const std::string& name);
// Replaces the element's content by the text (an empty text leaves it empty).
void SetNodeText(pugi::xml_node node, const std::string& text);
// Looks the child up (creating it) and sets its text.
pugi::xml_node SetChildValue(pugi::xml_node parent, const std::string& name, const std::string& text);

bool IsTextElement(pugi::xml_node node);

std::string AttributeValue(pugi::xml_node node, const std::string& name);
void SetAttributeValue(pugi::xml_node node, const std::string& name, const std::string& value);

// Hidden from the settings trees: the first attribute is Visible="False".
bool IsHiddenNode(pugi::xml_node node);
// Sets Visible="False", as the first attribute when the element lacks one.
void MarkHidden(pugi::xml_node node);

// Element children in document order.
std::vector<pugi::xml_node> ChildElements(pugi::xml_node parent);
// First element child whose attribute Name equals `name` without regard to case.
pugi::xml_node FindChildByName(pugi::xml_node parent, const std::string& name);
// First element child whose element name equals `name` without regard to case.
pugi::xml_node FindChildElementNoCase(pugi::xml_node parent, const std::string& name);
