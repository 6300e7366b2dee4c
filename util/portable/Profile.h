// Profile-file (INI) text rewriting without Windows headers.
#pragma once
#include <string>

namespace util {

// Removes the key's lines that follow the section header directly, up to the
// first empty line or the next header. Lines compare upper-cased; a line must
// begin with KEY= exactly. Every line is written back with CR LF.
// Returns the new text; removed tells whether a line was dropped.
std::string RemoveProfileLines(const std::string& content, const std::string& section,
                               const std::string& key, bool& removed);

}  // namespace util
