// Whether a name is an existing file or directory, as the file list and the
// loaders ask before they open anything.
#pragma once
#include <string>

namespace tk {

// True for a file (not a directory) or a directory that exists now.
bool FileExists(const std::wstring& name);
bool DirectoryExists(const std::wstring& name);

}  // namespace tk
