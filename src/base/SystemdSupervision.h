#pragma once
// Whether systemd supervises this process. Under a Type=notify unit systemd
// alone restarts the program: no ReExe restart, no PellagoChecker.

// The exit code of a restart that systemd carries out
// (RestartForceExitStatus= of the unit scripts/install writes).
constexpr int kSupervisorRestartExitCode = 75;

// NOTIFY_SOCKET is set: systemd waits for this process's notifications.
bool SupervisedBySystemd();
