// Removing the program's entries when it is started with "-u", and handing
// the removal of its files to the uninstaller.
#pragma once
#include <windows.h>

#include <string>

namespace util {

void UninstallProgram();

// Without the rights to change the machine's entries the uninstall would fail
// quietly (or, virtualised, seem to succeed). An administrator whose rights
// are held back is asked for them by a new, elevated "-u" run; true when this
// run has to end for it, whatever the answer.
bool RelaunchElevatedIfNeeded();

// The uninstaller and its log, both in the Windows directory.
std::wstring UninstallerFileName();
std::wstring UninstallLogFileName();

// Writes the log's text into the opened file; a failed write throws the
// toolkit's input/output error naming the file.
void WriteUninstallLog(HANDLE file, const std::wstring& fileName, const std::string& text);

}  // namespace util
