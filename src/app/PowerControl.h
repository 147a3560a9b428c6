#pragma once
// The machine's power as the unattended cycle uses it. The program selects
// the real layer; tests select the recording one, so no test ever suspends
// the machine. The operations log nothing to the activity log: the cycle
// states its intention first where it wants a line.

class PowerControl {
public:
    // Windows-style exit flags the cycle passes to ExitWindowsForced.
    static constexpr int kShutdownForced = 5;
    static constexpr int kRebootForced = 6;

    virtual ~PowerControl() = default;

    // Each returns whether the platform accepted the request; a refused
    // request leaves the program running.
    virtual bool SuspendMachine(bool force) = 0;
    virtual bool HibernateMachine(bool force) = 0;
    virtual bool ExitWindowsForced(int flags) = 0;
    // System and display are required continuously; never withdrawn.
    virtual bool RequestKeepAwake() = 0;
};
