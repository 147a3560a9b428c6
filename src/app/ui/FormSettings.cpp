#include "app/ui/FormSettings.h"

#include "base/Angou.h"
#include "app/ui/RadioGroup.h"
#include "app/ui/SettingsFile.h"
#include "app/ui/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>

#include <algorithm>
#include <climits>

namespace {

bool IsScrambled(const StoredControls& stored, const QWidget* control)
{
    return std::find(stored.scrambled.begin(), stored.scrambled.end(), control) != stored.scrambled.end();
}

// An integer that fits a control's int, else the current value.
int ReadInt(const SettingsFile& file, const QString& section, const QString& key, int current)
{
    const long long value = file.readInteger(section, key, current);
    return value < INT_MIN || value > INT_MAX ? current : static_cast<int>(value);
}

void SaveControl(SettingsSectionWriter& file, QWidget* control, bool scrambled)
{
    const QString key = control->objectName();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (scrambled)
            file.writeBytes(key, AngouEncodeText(edit->text().toStdString()));
        else
            file.writeString(key, edit->text());
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        file.writeBool(key, check->isChecked());
    } else if (auto* radio = qobject_cast<RadioGroup*>(control)) {
        file.writeInteger(key, radio->itemIndex());
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        file.writeInteger(key, combo->currentIndex());
    } else if (auto* picker = qobject_cast<QDateTimeEdit*>(control)) {
        file.writeDateTime(key, picker->dateTime());
    }
}

void LoadEdit(const SettingsFile& file, const QString& section, QLineEdit* edit, bool scrambled)
{
    const QString key = edit->objectName();
    if (!scrambled) {
        edit->setText(file.readString(section, key, edit->text()));
        return;
    }
    if (const auto bytes = file.readBytes(section, key))
        edit->setText(QString::fromStdString(AngouDecodeText(*bytes)));
}

void LoadControl(const SettingsFile& file, const QString& section, QWidget* control, bool scrambled)
{
    const QString key = control->objectName();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        LoadEdit(file, section, edit, scrambled);
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        check->setChecked(file.readBool(section, key, check->isChecked()));
    } else if (auto* radio = qobject_cast<RadioGroup*>(control)) {
        radio->setItemIndex(ReadInt(file, section, key, radio->itemIndex()));
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        const QSignalBlocker quiet(combo);
        const int index = ReadInt(file, section, key, combo->currentIndex());
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    } else if (auto* picker = qobject_cast<QDateTimeEdit*>(control)) {
        picker->setDateTime(file.readDateTime(section, key, picker->dateTime()));
    }
}

} // namespace

void SaveFormSettings(const QWidget& window, const StoredControls& stored, const QString& section)
{
    SettingsSectionWriter file(section);
    SaveWindowPlacement(file, window);
    for (const auto& [key, value] : stored.integers)
        file.writeInteger(key, *value);
    for (QWidget* control : stored.controls)
        SaveControl(file, control, IsScrambled(stored, control));
    file.save();
}

void LoadFormSettings(QWidget& window, const StoredControls& stored, const QString& section)
{
    const SettingsFile file;
    RestoreWindowPlacement(window, file, section);
    for (const auto& [key, value] : stored.integers)
        *value = ReadInt(file, section, key, *value);
    for (QWidget* control : stored.controls)
        LoadControl(file, section, control, IsScrambled(stored, control));
}
