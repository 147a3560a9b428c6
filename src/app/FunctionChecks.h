#pragma once
// The buttons of the settings panel's tab "機能チェック": a user tries the
// update, the restart and the revival by hand.

#include <string>

// Button18 "アップデートテスト": installs the published program file whatever
// its version (no pending mark), in automatic mode.
void RunUpdateTest();
// Button19 "Pellago再起動テスト": ReExe.exe restarts the program in automatic
// mode after 12 s; the program ends at once.
void RunRestartTest();
// Button20 "自動復活テスト": the watchdog (started if needed) revives the
// program, which ends at once.
void RunRevivalTest();

// The command line of the restart test.
std::string RestartTestCommandLine();
