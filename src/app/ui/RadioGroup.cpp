#include "app/ui/RadioGroup.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_.addButton(button, i);
        layout->addWidget(button);
    }
    connect(&buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const { return buttons_.checkedId(); }

int RadioGroup::count() const { return static_cast<int>(buttons_.buttons().size()); }

void RadioGroup::setItemIndex(int index)
{
    index = std::clamp(index, -1, count() - 1);
    if (index == itemIndex())
        return;
    if (index >= 0) {
        buttons_.button(index)->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button directly.
    buttons_.setExclusive(false);
    buttons_.checkedButton()->setChecked(false);
    buttons_.setExclusive(true);
    emit itemIndexChanged(-1);
}
