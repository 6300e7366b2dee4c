// Scratch files and directories for the Wine tests.
#pragma once
#include <windows.h>

#include <string>

inline std::wstring TempDir(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + name;
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

inline void WriteFile(const std::wstring& name, const std::string& content) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  if (!content.empty())
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &put, nullptr);
  CloseHandle(h);
}

inline std::string ReadFile(const std::wstring& name) {
  HANDLE h =
      CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string s(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  if (!s.empty()) ::ReadFile(h, s.data(), static_cast<DWORD>(s.size()), &got, nullptr);
  CloseHandle(h);
  return s;
}

// A test picture under tests/data.
inline std::wstring DataFile(const std::wstring& name) {
  std::wstring path;
  for (const char* c = LUMOS_TEST_DATA; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  return path + L"\\" + name;
}

inline std::string ReadData(const std::wstring& name) { return ReadFile(DataFile(name)); }

// The running test program's directory, with its trailing backslash: the
// programs of the build sit beside it.
inline std::wstring BinDir() {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self, n);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}
