#include "trading/ui/AccountTrees.h"

#include "documents/DocumentNodes.h"

#include <QTreeWidget>

#include <cstring>

namespace {

QString CaptionOf(pugi::xml_node element)
{
    pugi::xml_attribute first = element.first_attribute();
    const char* caption = first && std::strcmp(first.name(), "Name") == 0 ? first.value() : element.name();
    return QString::fromUtf8(caption);
}

void AddChildren(QTreeWidgetItem* node, pugi::xml_node element)
{
    for (pugi::xml_node child : ChildElements(element)) {
        if (IsHiddenNode(child))
            continue;
        auto* item = new QTreeWidgetItem(node, {CaptionOf(child)});
        AddChildren(item, child);
    }
}

} // namespace

void FillDocumentTree(QTreeWidget* tree, pugi::xml_node parent)
{
    tree->clear();
    for (pugi::xml_node element : ChildElements(parent)) {
        if (IsHiddenNode(element))
            continue;
        auto* top = new QTreeWidgetItem(tree, {CaptionOf(element)});
        AddChildren(top, element);
    }
}

QTreeWidgetItem* TopNodeOf(QTreeWidgetItem* item)
{
    while (item && item->parent())
        item = item->parent();
    return item;
}
