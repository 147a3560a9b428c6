#pragma once
// A titled group of radio buttons whose value is the index of the checked
// button (-1 for none). Every change of the index, by the user or by code,
// emits itemIndexChanged: the window's click rules hang on it.

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    // Out-of-range values are clamped to -1 .. count - 1.
    void setItemIndex(int index);
    int count() const;

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup buttons_;
};
