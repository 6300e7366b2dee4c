#include "util/Support.h"

#include <vector>

#include "toolkit/Application.h"
#include "toolkit/CodePages.h"
#include "toolkit/Form.h"
#include "base/Handles.h"
#include "toolkit/Services.h"
#include "toolkit/WholeFile.h"
#include "util/portable/PathUtil.h"
#include "util/portable/Profile.h"
#include "toolkit/portable/FileName.h"

namespace util {

bool WriteRegString(HKEY root, const std::wstring& key, const std::wstring& value,
                    const std::wstring& text) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &raw, nullptr) != ERROR_SUCCESS)
    return false;
  base::RegKey k(raw);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(k.get(), value.empty() ? nullptr : value.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

std::wstring ReadRegString(HKEY root, const std::wstring& key, const std::wstring& value) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return {};
  base::RegKey k(raw);
  const wchar_t* name = value.empty() ? nullptr : value.c_str();
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(k.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
  if (RegQueryValueExW(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
      ERROR_SUCCESS)
    return {};
  buf.back() = L'\0';
  return std::wstring(buf.data());
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  base::RegKey k(raw);
  return true;
}

bool DeleteRegKey(HKEY root, const std::wstring& key) {
  // RegDeleteKey alone fails on NT while sub-keys exist, which would leave an
  // "open" command pointing at a deleted program.
  if (key.empty()) return false;
  if (RegDeleteTreeW(root, key.c_str()) != ERROR_SUCCESS) return false;
  RegDeleteKeyW(root, key.c_str());
  return !RegKeyExists(root, key);
}

bool DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& value) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) return false;
  base::RegKey k(raw);
  return RegDeleteValueW(k.get(), value.c_str()) == ERROR_SUCCESS;
}

std::wstring GetWindowsDir() {
  wchar_t buf[MAX_PATH + 1];
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  return std::wstring(buf, n);
}

bool WriteProfileEntry(const std::wstring& file, const std::wstring& section,
                       const std::wstring& key, const std::wstring& value) {
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                    tk::UpperAscii(file).c_str()) != FALSE;
}

namespace {

// A profile file larger than this is not one the program rewrites.
constexpr std::size_t kMaxProfileBytes = 64u * 1024u * 1024u;

bool WriteWholeFile(const std::wstring& name, const std::string& content) {
  base::File f(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  DWORD put = 0;
  if (!content.empty() &&
      (!WriteFile(f.get(), content.data(), static_cast<DWORD>(content.size()), &put, nullptr) ||
       put != content.size()))
    return false;
  return FlushFileBuffers(f.get()) != FALSE;
}

}  // namespace

bool RemoveProfileEntry(const std::wstring& file, const std::wstring& section,
                        const std::wstring& key) {
  // A best-fit key ("Lukasz" for "Łukasz") would remove another program's
  // line; a key the code page cannot hold exactly is in no line at all.
  const auto ansiSection = tk::ToAnsiExact(section), ansiKey = tk::ToAnsiExact(key);
  if (!ansiSection || !ansiKey) return false;
  std::wstring name = tk::UpperAscii(file);
  if (tk::FileNamePart(name) == name) name = GetWindowsDir() + L"\\" + name;
  const DWORD attr = GetFileAttributesW(name.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES ||
      (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  std::string content;
  if (tk::TryReadWholeFile(name, kMaxProfileBytes, FILE_SHARE_READ | FILE_SHARE_WRITE, content) !=
      ERROR_SUCCESS)
    return false;
  bool removed = false;
  const std::string out = RemoveProfileLines(content, *ansiSection, *ansiKey, removed);
  // Write beside the file, then replace it in one step: an interruption
  // leaves either the old or the new file, never none.
  const std::wstring temp = tk::DirectoryPart(name) + L"$$$$----.BAK";
  if (!WriteWholeFile(temp, out) ||
      !MoveFileExW(temp.c_str(), name.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return removed;
}

bool DeleteProfileEntry(const std::wstring& file, const std::wstring& section,
                        const std::wstring& key) {
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), nullptr,
                                    tk::UpperAscii(file).c_str()) != FALSE;
}

INT_PTR RunProgram(const std::wstring& program, const std::wstring& params,
                   const std::wstring& workDir, int show) {
  tk::Form* main = tk::Application::Instance().MainForm();
  HWND owner = main ? main->HandleIfCreated() : nullptr;
  return tk::Shell().Open(owner, L"", program, params, workDir, show);
}

}  // namespace util
