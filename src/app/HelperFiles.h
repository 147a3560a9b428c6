#pragma once
// The helper programs in Bin/ (ReExe.exe, replace.exe, PellagoChecker.exe):
// kept current from the template's Bin list, installed from beside the
// executable when missing, and the watchdog started and stopped.

#include <pugixml.hpp>

#include <string>
#include <vector>

// The helper programs' names, as the service's list names them.
const std::vector<std::string>& HelperProgramNames();

// Copies each helper that Bin/ lacks from `fromFolder`'s Bin/ or from
// `fromFolder` itself (an installation, or a build tree, beside the
// executable), with its run bit.
void InstallHelperPrograms(const std::string& fromFolder);

// Walks the template's Bin element: each entry's signature (URL + ".minisig")
// names the helper's SHA-256; a missing file or one whose hash differs is
// downloaded. Size is not used: a damaged helper of the right size is
// repaired too. A path outside the program folder ends the walk.
void UpdateHelperFiles(pugi::xml_node bin);

// Downloads into path with the extension ".bin", then, when the trusted key
// signed it, copies it over path (else the ".bin" is deleted).
// `watchdogWasRunning`: the walk found PellagoChecker running, which must be
// stopped while its own file is replaced and started again afterwards.
void DownloadHelperFile(const std::string& name, const std::string& url, const std::string& path,
                        bool watchdogWasRunning);

// A service-given relative path ("Bin\ReExe.exe") inside the program folder,
// or "" when it would lead outside it or holds an unusable name.
std::string ProgramFileFromService(const std::string& relative);

// Starts PellagoChecker.exe, or stops it when it runs; under systemd it
// only stops one.
void WatchdogToggle();
// The command line WatchdogToggle starts.
std::string WatchdogCommandLine();
