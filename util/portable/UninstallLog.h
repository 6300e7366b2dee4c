// The uninstall log that the program writes and its uninstaller reads, and the
// checks that keep an edited log from naming anything but the program's own
// files in its own folder. No Windows headers, so it is unit-tested natively.
#pragma once
#include <string>
#include <vector>

namespace util {

// The nine lines for a program directory, each ended by CR LF.
std::wstring UninstallLogText(const std::wstring& programDir);

// One "File Copy:" line the uninstaller will not touch, and why.
struct SkippedEntry {
  std::wstring path;
  std::wstring reason;
};

// What a log asks the uninstaller to remove. With a non-empty error the log is
// unusable and nothing may be deleted.
struct UninstallPlan {
  std::wstring error;
  std::wstring directory;           // the "Made Dir:" line, cleaned; never a root
  std::vector<std::wstring> files;  // the program's own files directly inside it
  std::vector<SkippedEntry> skipped;
};

UninstallPlan ParseUninstallLog(const std::wstring& text);

// Collapses doubled separators ("C:\\X" from a program in a drive root), turns
// "/" into "\" and drops a trailing separator except after a drive root.
std::wstring CleanPath(const std::wstring& path);

}  // namespace util
