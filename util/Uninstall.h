// Removing the program's entries when it is started with "-u", and handing
// the removal of its files to the uninstaller.
#pragma once
#include <windows.h>

#include <string>

namespace util {

void UninstallProgram();

// The uninstaller and its log, both in the Windows directory.
std::wstring UninstallerFileName();
std::wstring UninstallLogFileName();

// Fills the opened log for the program directory; a failed write throws the
// toolkit's input/output error naming the file.
void WriteUninstallLog(HANDLE file, const std::wstring& fileName, const std::wstring& programDir);

}  // namespace util
