#pragma once
// Saving and restoring a window's controls by name: edit boxes keep their
// text, check boxes a boolean, radio groups and combo boxes their selected
// index (-1 for none), date-time pickers their date and time; the window its
// placement (WindowPlacement.h). Controls are visited in the order given, which is the
// order in which their click rules run when a loaded value differs.

#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

struct StoredControls {
    std::vector<QWidget*> controls;  // in saving and loading order
    std::vector<QWidget*> scrambled; // edit boxes stored with AngouEncodeText
    // Values the window keeps without a control (the log pane's height), by key.
    std::vector<std::pair<QString, int*>> integers;
};

void SaveFormSettings(const QWidget& window, const StoredControls& stored, const QString& section);
// Each control's current value is its default. Setting a check box or radio
// group to a different value runs its click rule, as a user's click would;
// a combo box's change rule does not run.
void LoadFormSettings(QWidget& window, const StoredControls& stored, const QString& section);
