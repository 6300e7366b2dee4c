#include "toolkit/portable/FileName.h"

namespace tk {

std::wstring FileExtension(const std::wstring& name) {
  const auto cut = name.find_last_of(L".\\:");
  if (cut == std::wstring::npos || name[cut] != L'.') return {};
  return name.substr(cut);
}

std::wstring UpperAscii(std::wstring s) {
  for (auto& c : s)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return s;
}

std::wstring ExtensionKey(const std::wstring& name) {
  return UpperAscii(FileExtension(name).substr(0, 4));
}

std::wstring FileNamePart(const std::wstring& name) {
  const auto cut = name.find_last_of(L"\\:");
  return cut == std::wstring::npos ? name : name.substr(cut + 1);
}

std::wstring DirectoryPart(const std::wstring& name) {
  const auto cut = name.find_last_of(L"\\:");
  return cut == std::wstring::npos ? std::wstring() : name.substr(0, cut + 1);
}

}  // namespace tk
