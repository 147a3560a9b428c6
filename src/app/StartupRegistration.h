#pragma once
// Start-up registration (CheckBox9): a per-user entry that starts the
// program in automatic mode when the user logs in, so that it comes back
// after a reboot (the reboot every ten failures relies on it).

#include <string>
#include <vector>

class AutostartEntry {
public:
    virtual ~AutostartEntry() = default;
    virtual bool Exists() const = 0;
    // Writes the entry that runs the command (program first). Throws
    // std::runtime_error with the reason when it cannot be written.
    virtual void Create(const std::vector<std::string>& command) = 0;
    // Throws std::runtime_error when an existing entry cannot be removed.
    virtual void Remove() = 0;
};

// The running program with "auto", and the program folder when it is not
// the executable's own (started with --home), so it comes back where it runs.
std::vector<std::string> StartupCommand();

// CheckBox9's click rule: creates the entry when registered and missing,
// removes it when not registered and present, and tells the user either
// way; otherwise nothing happens. An entry that cannot be written or
// removed is reported to the user; the option keeps its value.
void CheckBox9Click(AutostartEntry& entry, bool registered);
