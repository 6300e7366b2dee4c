// The entries the program writes at every start: App Paths, the uninstall
// entry, its file type and the help file's WINHELP.INI line.
#pragma once
#include <string>

namespace util {

// Set once by WriteSystemEntries, read-only afterwards.
const std::wstring& ProgramDir();
const std::wstring& HelpFileName();

// Full path of the running program (argument 0 as the system reports it).
std::wstring ProgramPath();

void WriteSystemEntries();
// Same, for a given program path (tests run it for other locations).
void WriteSystemEntriesFor(const std::wstring& programPath);

extern const wchar_t kAppPathsKey[];
extern const wchar_t kUninstallKey[];

}  // namespace util
