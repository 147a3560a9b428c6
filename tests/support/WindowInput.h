#pragma once
// Driving the main window's screens as a user does, with QTest input only:
// clicks on tree nodes, tabs, table cells and menu entries, typing, and
// answering the message box an action opens.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace windowinput {

inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
// On the box itself: a wide check box's middle may lie beyond its caption.
inline void ClickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

// The node with this caption below the top node `top` (or the top node itself).
inline QTreeWidgetItem* Node(QTreeWidget* tree, int top, const QString& caption = QString())
{
    QTreeWidgetItem* node = tree->topLevelItem(top);
    for (int i = 0; node && !caption.isEmpty() && i < node->childCount(); ++i)
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    return caption.isEmpty() ? node : nullptr;
}

inline void ClickNode(QTreeWidget* tree, QTreeWidgetItem* node)
{
    QVERIFY(node);
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

inline void ClickTab(QTabWidget* pages, QWidget* page)
{
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {},
                      pages->tabBar()->tabRect(pages->indexOf(page)).center());
}

// Answers the next `count` message boxes with `button`; their texts land in `texts`.
inline void AnswerBoxes(QMessageBox::StandardButton button, int count = 1,
                        std::shared_ptr<QStringList> texts = std::make_shared<QStringList>())
{
    auto* poll = new QTimer;
    auto answered = std::make_shared<QPointer<QMessageBox>>();
    QObject::connect(poll, &QTimer::timeout, [poll, button, count, texts, answered] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == answered->data())
            return;
        *answered = box;
        *texts << box->text();
        QTest::mouseClick(box->button(button), Qt::LeftButton);
        if (texts->size() >= count)
            poll->deleteLater();
    });
    poll->start(20);
}

// Right-clicks the node and clicks `entry` in the pop-up menu that opens.
inline void ChooseFromNodeMenu(QTreeWidget* tree, QTreeWidgetItem* node, QAction* entry)
{
    ClickNode(tree, node);
    // Through the window, as the platform delivers it: that is where a right
    // click becomes a request for the context menu.
    QWidget* window = tree->window();
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {},
                      tree->viewport()->mapTo(window, tree->visualItemRect(node).center()));
    QMenu* menu = nullptr;
    QVERIFY(QTest::qWaitFor([&menu] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
}

// The editor of the cell being edited (a closed one may linger until deleted).
inline QLineEdit* OpenCellEditor(QTableWidget* table)
{
    for (QLineEdit* editor : table->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// Double-clicks the cell and types into the editor that opens.
inline void TypeIntoCell(QTableWidget* table, int row, int column, const QString& keys)
{
    const QRect cell = table->visualRect(table->model()->index(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QLineEdit* editor = OpenCellEditor(table);
    QVERIFY(editor);
    QTest::keyClicks(editor, keys);
}

} // namespace windowinput
