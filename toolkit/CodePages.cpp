#include "toolkit/CodePages.h"

#include <windows.h>

namespace tk {
namespace {

// lossy, when given, tells whether a character had no exact equivalent.
std::string Narrow(const std::wstring& s, UINT codePage, DWORD flags, BOOL* lossy) {
  if (s.empty()) return {};
  const int length = static_cast<int>(s.size());
  const int n = WideCharToMultiByte(codePage, flags, s.data(), length, nullptr, 0, nullptr, lossy);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, s.data(), length, out.data(), n, nullptr, lossy);
  return out;
}

std::wstring Widen(const std::string& s, UINT codePage) {
  if (s.empty()) return {};
  const int length = static_cast<int>(s.size());
  const int n = MultiByteToWideChar(codePage, 0, s.data(), length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), length, out.data(), n);
  return out;
}

}  // namespace

std::string ToAnsi(const std::wstring& s) { return Narrow(s, CP_ACP, 0, nullptr); }
std::wstring FromAnsi(const std::string& s) { return Widen(s, CP_ACP); }

std::optional<std::string> ToAnsiExact(const std::wstring& s) {
  BOOL lossy = FALSE;
  std::string out = Narrow(s, CP_ACP, WC_NO_BEST_FIT_CHARS, &lossy);
  if (lossy || (out.empty() && !s.empty())) return std::nullopt;
  return out;
}

std::string ToUtf8(const std::wstring& s) { return Narrow(s, CP_UTF8, 0, nullptr); }
std::wstring FromUtf8(const std::string& s) { return Widen(s, CP_UTF8); }

}  // namespace tk
