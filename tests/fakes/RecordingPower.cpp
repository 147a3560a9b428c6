#include "fakes/RecordingPower.h"

namespace {
std::string ForceText(bool force)
{
    return force ? "force" : "ask";
}
} // namespace

bool RecordingPower::SuspendMachine(bool force)
{
    return Record("Suspend(" + ForceText(force) + ")");
}

bool RecordingPower::HibernateMachine(bool force)
{
    return Record("Hibernate(" + ForceText(force) + ")");
}

bool RecordingPower::ExitWindowsForced(int flags)
{
    return Record("ExitWindows(" + std::to_string(flags) + ")");
}

bool RecordingPower::RequestKeepAwake()
{
    return Record("KeepAwake");
}

bool RecordingPower::Record(const std::string& request)
{
    requests.push_back(request);
    return accept;
}
