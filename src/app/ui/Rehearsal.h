#pragma once
// The rehearsal: a trade against the paper broker pellago-sim, in a program
// folder of its own (never the user's), with demo accounts at the three
// broker families and demo mode on. The simulator runs on loopback beside
// the program and ends when the rehearsal's program ends.

#include "app/ui/CommandLine.h"

// Set for the rehearsal's program, whose window says it is a rehearsal so
// that it is never taken for the user's own trading.
inline constexpr const char* kRehearsalVariable = "PELLAGO_REHEARSAL";

// Runs the whole rehearsal and returns the rehearsal program's exit code
// (1 when it could not be prepared). With --headless the program runs
// without a window; with --once it ends after its trade.
int RunRehearsal(const StartOptions& options);

// Starts `pellago --rehearse` as a program of its own, so the running
// program's folder and settings stay out of it. False when it cannot start.
bool StartRehearsalProgram();
