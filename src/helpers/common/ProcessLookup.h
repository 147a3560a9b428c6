#pragma once
// Finding running processes through /proc: by executable file and by the
// process name a helper gives itself.

#include <string>
#include <sys/types.h>
#include <vector>

// The canonical form of a program path, for comparisons.
std::string CanonicalProgramPath(const std::string& path);

// The executable file of a live process ("" for ended or foreign ones). A
// file replaced while the process runs keeps its path, without " (deleted)".
std::string ProcessExecutable(pid_t pid);
std::string ProcessName(pid_t pid); // /proc/<pid>/comm
std::vector<std::string> ProcessArguments(pid_t pid);
// A variable of the environment the process was started with ("" if unset).
std::string ProcessEnvironmentValue(pid_t pid, const std::string& name);
std::string ProcessWorkingFolder(pid_t pid);
// Running and not a zombie.
bool ProcessAlive(pid_t pid);

// Live processes whose executable is `program` (canonical path).
std::vector<pid_t> ProcessesOfProgram(const std::string& program);
// Live processes whose name is `name` (at most 15 bytes are kept by Linux).
std::vector<pid_t> ProcessesNamed(const std::string& name);

// Names the calling process (its main thread) so others can find it.
void SetOwnProcessName(const std::string& name);
