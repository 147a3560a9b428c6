#pragma once
// The program's files are its user's alone: broker log-ins, service
// passwords and trading records must stay unreadable to the machine's other
// users. The program and every helper make new files private at start, and
// explicit modes (a swapped-in program, a replaced file) stay within the
// owner's bits.

#include <string>

// Whatever this process creates from now on is private (umask 077).
void MakeNewFilesPrivate();

// Takes the group's and others' permissions off `path` and, for a folder,
// off everything below it; symbolic links are neither changed nor followed.
// How many entries changed; what cannot be changed is left as it is.
int TightenPermissions(const std::string& path);
