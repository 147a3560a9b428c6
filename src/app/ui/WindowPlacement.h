#pragma once
// Where the main window opens. The first start centres a window of a
// comfortable size on the primary screen; later starts restore the stored
// placement, maximized and normal bounds apart, and move a window whose
// title bar no longer lies on any screen back onto one.

#include <QString>

class QWidget;
class SettingsFile;
class SettingsSectionWriter;

void SaveWindowPlacement(SettingsSectionWriter& file, const QWidget& window);
void RestoreWindowPlacement(QWidget& window, const SettingsFile& file, const QString& section);
