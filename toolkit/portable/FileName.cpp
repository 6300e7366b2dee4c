#include "toolkit/portable/FileName.h"

namespace tk {

std::wstring FileExtension(const std::wstring& name) {
  const auto cut = name.find_last_of(L".\\:");
  if (cut == std::wstring::npos || name[cut] != L'.') return {};
  return name.substr(cut);
}

}  // namespace tk
