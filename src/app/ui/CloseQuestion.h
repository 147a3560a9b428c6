#pragma once
// The question the close box asks while automatic trading is on: closing
// the window ends unattended trading, so the user confirms it, or keeps the
// program running (in the tray, where there is one).

class QWidget;

enum class CloseAnswer { Quit, KeepRunning, ToTray };

CloseAnswer AskBeforeEndingAutoTrading(QWidget* parent, bool trayAvailable);
