#pragma once
// The message boxes of actions a user started: texts as the program words
// them (lines joined by CR LF), shown modal over the window.

#include <QString>

#include <string>

class QWidget;

// A box without a caption of its own is titled with the program's name.
QString MessageBoxTitle(const std::string& caption);

// OK and Cancel; true for OK.
bool AskOkCancel(QWidget* parent, const std::string& caption, const std::string& text);
void ShowMessage(QWidget* parent, const std::string& caption, const std::string& text);
