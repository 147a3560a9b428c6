#pragma once
// What the service operations (signal reception, template fetch, self-update)
// need from the main window: the values of its controls at the moment of
// the call, and the few things only the window can do.

#include <functional>
#include <string>
#include <vector>

struct ServiceSettings {
    std::string loginId;          // Edit1
    std::string password;         // Edit2 (put into the reference address)
    std::string passwordConfirm;  // Edit6 (the mailbox password)
    bool demoMode = false;        // CheckBox10
    bool webRoute = false;        // CheckBox26: the web host instead of the mailbox
    int updateMode = 0;           // RadioGroup2: 0 install, 1 mail only, 2 no automatic check
    bool mailReports = false;     // CheckBox1
    bool autoTradeTimerEnabled = false; // false: manual mode
};

struct ServiceHooks {
    // Status bar text.
    std::function<void(const std::string& text)> setStatusText;
    // After a fetched template was merged: the broker names for ComboBox1
    // (Button3 enabled when there are any); the window reloads its trees.
    std::function<void(const std::vector<std::string>& brokerNames)> templateFetched;
    // The template could not be fetched (offline): the window draws its trees
    // from the account document as it stands.
    std::function<void()> templateUnavailable;
    // Bring the window back from the tray before replace.exe gets its handle.
    std::function<void()> leaveTray;
    // Arm ReplaceWaitTimer (one shot) with the given interval; its tick calls
    // OnReplaceWaitTimeout.
    std::function<void(int intervalMs)> startReplaceWait;
    // Close the settings panel (as Button15).
    std::function<void()> closeSettingsPanel;
    // End the program at once (the restart and revival tests).
    std::function<void()> terminateProgram;
    // End the program with the exit code systemd answers with a fresh start.
    std::function<void()> restartBySupervisor;
    // A question with OK and Cancel; true for OK. Without it the answer is Cancel.
    std::function<bool(const std::string& caption, const std::string& text)> askOkCancel;
};

void SetServiceHooks(ServiceHooks hooks);
const ServiceHooks& CurrentServiceHooks();
