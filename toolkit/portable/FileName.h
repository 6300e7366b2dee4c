// Parts of a file name that the toolkit and the program both take apart. No
// Windows headers, so it is tested natively.
#pragma once
#include <string>

namespace tk {

// The extension as written: from the last dot of the last path component
// (after the last "\" or ":"), dot included; empty when there is none.
std::wstring FileExtension(const std::wstring& name);

// ".jpeg" -> ".JPE": the extension from the last dot of the last path
// component, dot included, ASCII-upper-cased and cut to four characters.
std::wstring ExtensionKey(const std::wstring& name);

// Everything after the last "\" or ":"; and everything up to and including it.
std::wstring FileNamePart(const std::wstring& name);
std::wstring DirectoryPart(const std::wstring& name);

std::wstring UpperAscii(std::wstring s);

}  // namespace tk
