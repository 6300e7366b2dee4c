// Registry, profile-file and shell support routines.
//
// How util reports failures: its routines answer with a flag (or an empty
// text) that callers may ignore, and neither raise nor show anything, so a
// failed registry or profile write is silent. The uninstall (Uninstall.h) is
// the one user action here: it shows its own messages, and a failed write of
// the uninstaller's log raises the toolkit's EInOutError, which it hands to
// the general handler.
#pragma once
#include <windows.h>

#include <string>

namespace util {

bool WriteRegString(HKEY root, const std::wstring& key, const std::wstring& value,
                    const std::wstring& text);
std::wstring ReadRegString(HKEY root, const std::wstring& key, const std::wstring& value);
bool RegKeyExists(HKEY root, const std::wstring& key);
// Removes the key with all its sub-keys.
bool DeleteRegKey(HKEY root, const std::wstring& key);
bool DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& value);

std::wstring GetWindowsDir();

// Writes KEY=VALUE into the section; false when the file cannot be written.
bool WriteProfileEntry(const std::wstring& file, const std::wstring& section,
                       const std::wstring& key, const std::wstring& value);
// Rewrites the file without the section's lines for the key, replacing it
// atomically; true if at least one line was removed.
bool RemoveProfileEntry(const std::wstring& file, const std::wstring& section,
                        const std::wstring& key);
// Deletes the key through the system's profile functions, which also reach a
// section that NT maps from the file into the registry.
bool DeleteProfileEntry(const std::wstring& file, const std::wstring& section,
                        const std::wstring& key);

INT_PTR RunProgram(const std::wstring& program, const std::wstring& params,
                   const std::wstring& workDir, int show);

}  // namespace util
