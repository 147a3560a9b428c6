#pragma once
// The start-up registration on a Linux desktop: the XDG autostart entry
// "Pellago.desktop" in $XDG_CONFIG_HOME/autostart (~/.config/autostart when
// the variable is unset or not absolute), which the desktop runs at log-in.

#include "app/StartupRegistration.h"

#include <string>

class XdgAutostart : public AutostartEntry {
public:
    bool Exists() const override;
    void Create(const std::vector<std::string>& command) override;
    void Remove() override;

    // Where the entry lives for the current environment.
    static std::string EntryPath();
};

// The Exec value for a command: every argument quoted and escaped as the
// desktop entry format wants it. Throws std::runtime_error for an argument
// that holds a line break or another control character.
std::string DesktopExecLine(const std::vector<std::string>& command);
