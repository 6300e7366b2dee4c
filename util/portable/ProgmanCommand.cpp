#include "util/portable/ProgmanCommand.h"

namespace util {

bool IsSafeGroupName(const std::string& ansiName) {
  if (ansiName.find_first_not_of(". ") == std::string::npos) return false;
  for (char c : ansiName)
    if (static_cast<unsigned char>(c) < ' ' ||
        std::string("[]()\",\\/:*?<>|").find(c) != std::string::npos)
      return false;
  return true;
}

std::string DeleteGroupCommand(const std::string& ansiName) {
  return "[DeleteGroup(" + ansiName + ")]\r\n";
}

}  // namespace util
