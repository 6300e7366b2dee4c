// The Program Manager command that deletes the program's group. No Windows
// headers, so it is unit-tested natively.
#pragma once
#include <string>

namespace util {

// True when the bytes that will be sent can stand in a command as exactly one
// group name. The command language ends at "]", ")" and quotes and takes a
// second argument after a comma; today's shells also turn a group name into a
// folder below the Start menu, so a path, a drive or a name of dots would name
// another folder. The bytes are checked, not the wide name: in a double-byte
// code page a second byte may be any of these characters.
bool IsSafeGroupName(const std::string& ansiName);

// "[DeleteGroup(" name ")]" CR LF.
std::string DeleteGroupCommand(const std::string& ansiName);

}  // namespace util
