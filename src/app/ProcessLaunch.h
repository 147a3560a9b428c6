#pragma once
// Starting and ending the helper programs. A command line is the program
// and its arguments, each optionally enclosed in double quotes (as QuoteArg
// builds them) and separated by blanks. Started processes run detached in a
// session of their own and are never waited for. Plain C++ and POSIX, so
// the helper programs compile this file in as well.

#include <string>
#include <sys/types.h>
#include <vector>

// Splits a command line into its arguments: blanks separate, double quotes
// group (the quotes themselves are dropped), "" inside quotes is one quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// The reverse: an argument holding a blank or a quote (or none at all) is
// quoted, with its quotes doubled; the others stand as they are.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// Starts the program with the current directory and environment, no
// inherited descriptors beyond standard input, output and error. Returns
// its process id, or 0 when it could not be started.
pid_t LaunchProcess(const std::string& commandLine);
pid_t LaunchArguments(const std::vector<std::string>& arguments);
// Starts the program as LaunchArguments does and waits for it to end: its
// exit code, or -1 when it could not be started or did not exit normally.
int RunToEnd(const std::vector<std::string>& arguments);

// Ends a process started by LaunchProcess (SIGTERM) and collects it if it
// was our child. False when there was no such process.
bool TerminateProcess(pid_t pid);

// Collects started processes that have ended, so none stays a zombie.
void ReapEndedChildren();
