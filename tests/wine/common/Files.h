// Scratch files and directories for the Wine tests.
#pragma once
#include <windows.h>

#include <string>

#include "toolkit/WholeFile.h"

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
  std::string s;
  return tk::TryReadWholeFile(name, 1 << 30, FILE_SHARE_READ, s) ? "<missing>" : s;
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

// The Unix path of a file, where Wine tells it; empty elsewhere.
inline std::string UnixPath(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
  const std::string s = unix ? unix : "";
  HeapFree(GetProcessHeap(), 0, unix);
  return s;
}
