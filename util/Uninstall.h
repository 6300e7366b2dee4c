// Removing the program's entries when it is started with "-u".
#pragma once

namespace util {

void UninstallProgram();

}  // namespace util
