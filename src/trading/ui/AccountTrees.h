#pragma once
// The two document trees of the settings screens: the accounts (TreeView1)
// and the portfolio groups with their items (TreeView2).

#include <pugixml.hpp>

class QTreeWidget;
class QTreeWidgetItem;

// One top node per child element of `parent`, with its elements below.
// An element whose first attribute is Visible="False" is left out with all
// below it; a caption is the element's Name when that is its first
// attribute, else the element's name. Text is never shown as a node.
void FillDocumentTree(QTreeWidget* tree, pugi::xml_node parent);

// The top node above an item (the item itself for a top node).
QTreeWidgetItem* TopNodeOf(QTreeWidgetItem* item);
