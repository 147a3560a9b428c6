#pragma once
// The service password travels in the signal address and the program runs
// what it downloads: over plain HTTP to another machine, anyone on the way
// can read the one and change the other.

#include <string>

// True when `webBase` is an http:// address of a host other than this
// machine (loopback: localhost, 127.0.0.0/8, ::1).
bool TravelsUnencrypted(const std::string& webBase);

// Logs a warning when the service's web host is such an address; the start
// calls it once.
void WarnIfServiceUnencrypted();
