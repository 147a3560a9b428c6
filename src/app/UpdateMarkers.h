#pragma once
// Files in Bin/ through which replace.exe and the program it starts talk:
// the new program writes its process id into the first once it is up;
// replace.exe leaves the second when it had to put the old program back.

inline constexpr const char* kProgramUpFile = "update-started";
inline constexpr const char* kRolledBackFile = "update-rolled-back";
