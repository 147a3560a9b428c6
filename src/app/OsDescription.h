#pragma once
// One line that names the operating system for the problem report: the
// distribution from its os-release file and the running kernel, e.g.
// "Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64 x86_64)".

#include <string>

// From an os-release text (PRETTY_NAME, else NAME and VERSION) and a kernel
// description; "Unknown" stands for a distribution that cannot be named,
// and an empty kernel description is left out.
std::string OsDescriptionFrom(const std::string& osRelease, const std::string& kernel);

// /etc/os-release (else /usr/lib/os-release) and uname.
std::string OsDescription();
