#include "util/portable/ProgmanCommand.h"

namespace util {

bool IsSafeGroupName(const std::wstring& name) {
  if (name.find_first_not_of(L". ") == std::wstring::npos) return false;
  for (wchar_t c : name)
    if (c < L' ' || std::wstring(L"[]()\",\\/:*?<>|").find(c) != std::wstring::npos) return false;
  return true;
}

std::wstring DeleteGroupCommand(const std::wstring& name) {
  return L"[DeleteGroup(" + name + L")]\r\n";
}

}  // namespace util
