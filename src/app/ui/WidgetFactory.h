#pragma once
// Small constructors for the designer-style layout of the window: each
// control gets its designer name, caption and bounds in one call.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace ui {

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* label = Named(new QLabel(text, parent), name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

inline QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& text, int x, int y, int width)
{
    auto* check = Named(new QCheckBox(text, parent), name);
    check->setGeometry(x, y, width, 20);
    return check;
}

inline QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int width)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setGeometry(x, y, width, 22);
    return edit;
}

inline QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& bounds)
{
    auto* button = Named(new QPushButton(text, parent), name);
    button->setGeometry(bounds);
    return button;
}

} // namespace ui
