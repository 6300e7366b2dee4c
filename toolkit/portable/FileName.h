// Parts of a file name that the toolkit and the program both take apart. No
// Windows headers, so it is tested natively.
#pragma once
#include <string>

namespace tk {

// The extension as written: from the last dot of the last path component
// (after the last "\" or ":"), dot included; empty when there is none.
std::wstring FileExtension(const std::wstring& name);

}  // namespace tk
