#pragma once
// Files in Bin/ through which replace.exe and the program it starts talk:
// the new program writes its process id into the first once it is up;
// replace.exe leaves the second when it had to put the old program back.
// Under systemd the program swaps itself in (replace.exe --swap) and leaves
// the third, holding "swapped" until the next start begins and "starting"
// while that start has not come up.

inline constexpr const char* kProgramUpFile = "update-started";
inline constexpr const char* kRolledBackFile = "update-rolled-back";
inline constexpr const char* kSwappedFile = "update-swapped";
