#include "util/SystemEntries.h"

#include <windows.h>

#include "util/Support.h"
#include "util/portable/PathUtil.h"
#include "toolkit/FileExists.h"

namespace util {
namespace {

std::wstring& ProgramDirValue() {
  static std::wstring v;
  return v;
}
std::wstring& HelpFileValue() {
  static std::wstring v;
  return v;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

}  // namespace

const wchar_t kAppPathsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\LUMOS32.EXE";
const wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumoscope32";

const std::wstring& ProgramDir() { return ProgramDirValue(); }
const std::wstring& HelpFileName() { return HelpFileValue(); }

std::wstring ProgramPath() {
  std::wstring buf(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

void WriteSystemEntries() { WriteSystemEntriesFor(ProgramPath()); }

void WriteSystemEntriesFor(const std::wstring& programPath) {
  ProgramDirValue() = ProgramDirOf(programPath);
  HelpFileValue() = ProgramDirValue() + L"\\LUMOS32.HLP";
  const std::wstring& dir = ProgramDirValue();

  WriteRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\EXEPath", L"", dir);
  WriteRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, L"", programPath);
  WriteRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, L"Path", dir);
  // A read-only or unwritable WINHELP.INI must not keep the viewer from starting.
  const std::wstring winHelpIni = GetWindowsDir() + L"\\WINHELP.INI";
  if (tk::FileExists(HelpFileValue()))
    WriteProfileEntry(winHelpIni, L"Files", L"LUMOS32.HLP", dir);
  else
    RemoveProfileEntry(winHelpIni, L"Files", L"LUMOS32.HLP");
  WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Lumoscope 1.1 -32");
  // Quoted, so a program in a path with blanks starts, and with it a picture
  // whose path has blanks.
  WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString",
                 Quoted(programPath) + L" -u");
  WriteRegString(HKEY_CLASSES_ROOT, L"Lumoscope32", L"", L"Lumoscope Picture File");
  WriteRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L"",
                 Quoted(programPath) + L" " + Quoted(L"%1"));
  WriteRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\Version", L"", L"1.1a");
}

}  // namespace util
