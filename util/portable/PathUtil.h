// Name and path logic shared by the program's modules; no Windows headers, so
// it is unit-tested natively.
#pragma once
#include <string>
#include <vector>

namespace util {

// The seven extensions the browser and the command line open, in test order.
extern const wchar_t* const PictureExtensions[7];

bool IsPictureFile(const std::wstring& name);

// "C:..." (any case): the path begins with a drive letter and a colon; a
// network path (\\server\share) does not.
bool StartsWithDrive(const std::wstring& path);
// Directory of a program path; a trailing backslash is kept only for a drive root.
std::wstring ProgramDirOf(const std::wstring& programPath);

// Shortens a directory for the path label: C:\...\BILDER\URLAUB\1996.
std::wstring ShortenPath(const std::wstring& path, size_t limit);

// Parameters as the program sees them: split at characters below "!", double
// quotes group blanks and are dropped. Element 0 is the program name.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// The name box's type-ahead search: the index to select, Count meaning none.
size_t TypeAheadSearch(const std::vector<std::wstring>& items, const std::wstring& text);

}  // namespace util
