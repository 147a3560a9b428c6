#pragma once
// The power layer tests select: it records every request and answers as
// told, and never touches the machine.

#include "app/PowerControl.h"

#include <string>
#include <vector>

class RecordingPower : public PowerControl {
public:
    bool SuspendMachine(bool force) override;
    bool HibernateMachine(bool force) override;
    bool ExitWindowsForced(int flags) override;
    bool RequestKeepAwake() override;

    // "Suspend(force)", "Hibernate(force)", "ExitWindows(5)", "KeepAwake".
    std::vector<std::string> requests;
    bool accept = true;

private:
    bool Record(const std::string& request);
};
