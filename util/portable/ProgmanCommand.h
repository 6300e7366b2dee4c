// The Program Manager command that deletes the program's group. No Windows
// headers, so it is unit-tested natively.
#pragma once
#include <string>

namespace util {

// True when the name can stand in a command as exactly one group name. The
// command language ends at "]", ")" and quotes and takes a second argument
// after a comma; today's shells also turn a group name into a folder below the
// Start menu, so a path, a drive or an empty name would name another folder.
bool IsSafeGroupName(const std::wstring& name);

// "[DeleteGroup(" name ")]" CR LF.
std::wstring DeleteGroupCommand(const std::wstring& name);

}  // namespace util
