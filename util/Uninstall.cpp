#include "util/Uninstall.h"

#include <exception>
#include <optional>

#include "toolkit/Application.h"
#include "toolkit/CodePages.h"
#include "toolkit/Dde.h"
#include "base/Handles.h"
#include "toolkit/Services.h"
#include "toolkit/portable/Errors.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"
#include "util/portable/ProgmanCommand.h"
#include "util/portable/UninstallLog.h"
#include "toolkit/portable/FileName.h"
#include "toolkit/FileExists.h"

namespace util {
namespace {

const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
const wchar_t kGroupKey[] = L"Lumoscope32\\PMGroup";
// What the setup found before it took an extension over: the type under the
// extension's name, the shell's Extensions value and the WIN.INI line in the
// sub-keys. Read before the file type's key goes.
const wchar_t kPreviousKey[] = L"Lumoscope32\\Previous";
const wchar_t kPreviousOpenerKey[] = L"Lumoscope32\\Previous\\Extensions";
const wchar_t kPreviousLineKey[] = L"Lumoscope32\\Previous\\WIN.INI";
// The order in which the uninstall looks at the associations.
const wchar_t* const kAssociatedExtensions[] = {L".BMP", L".GIF", L".ICO", L".JPG",
                                                L".PCX", L".TIF", L".WMF"};

// A key whose last value went is deleted; one with anything left in it is
// somebody else's too.
void DeleteRegKeyIfEmpty(HKEY root, const std::wstring& key) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
  base::RegKey k(raw);
  DWORD subKeys = 0, values = 0;
  if (RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      subKeys == 0 && values == 0)
    RegDeleteKeyW(root, key.c_str());
}

// ext is ".BMP": its WIN.INI line, its Extensions value and its type go back
// to what they were before the setup; where there was nothing, only what the
// setup wrote goes.
void GiveBackAssociation(const std::wstring& ext) {
  const std::wstring key = ext.substr(1);
  const std::wstring line = ReadRegString(HKEY_CLASSES_ROOT, kPreviousLineKey, key);
  RemoveProfileEntry(L"WIN.INI", L"Extensions", key);
  // NT keeps this WIN.INI section in the registry, which a rewrite of the file
  // does not reach; the profile functions find it wherever it is.
  DeleteProfileEntry(L"WIN.INI", L"Extensions", key);
  if (!line.empty()) WriteProfileStringW(L"Extensions", key.c_str(), line.c_str());

  const std::wstring opener = ReadRegString(HKEY_CLASSES_ROOT, kPreviousOpenerKey, ext);
  if (opener.empty())
    DeleteRegValue(HKEY_LOCAL_MACHINE, kExtensionsKey, ext);
  else
    WriteRegString(HKEY_LOCAL_MACHINE, kExtensionsKey, ext, opener);

  const std::wstring type = ReadRegString(HKEY_CLASSES_ROOT, kPreviousKey, ext);
  if (!type.empty()) {
    WriteRegString(HKEY_CLASSES_ROOT, ext, L"", type);
    return;
  }
  DeleteRegValue(HKEY_CLASSES_ROOT, ext, L"");
  DeleteRegKeyIfEmpty(HKEY_CLASSES_ROOT, ext);
}

// Only associations that still name the program's file type; others belong
// to another program now.
void GiveBackAssociations() {
  for (const wchar_t* ext : kAssociatedExtensions)
    if (tk::UpperAscii(ReadRegString(HKEY_CLASSES_ROOT, ext, L"")) == L"LUMOSCOPE32")
      GiveBackAssociation(ext);
}

void DeleteProgramGroup() {
  if (!RegKeyExists(HKEY_CLASSES_ROOT, kGroupKey)) return;
  // The bytes that would be sent are checked: a best-fit conversion turns
  // full-width brackets into real ones. A name without an exact ANSI form is
  // not sent at all.
  const auto group = tk::ToAnsiExact(ReadRegString(HKEY_CLASSES_ROOT, kGroupKey, L""));
  if (!group || !IsSafeGroupName(*group)) return;
  tk::DdeClientConv conv;
  // Today's shells serve the Program Manager's service on its own topic only,
  // not to "any topic"; so that one is asked before a Program Manager is started.
  conv.connectMode = tk::DdeConnectMode::Manual;
  conv.SetLink("Progman", "PROGMAN");
  if (!conv.Connect()) {
    conv.connectMode = tk::DdeConnectMode::Automatic;
    conv.SetLink("Progman", "");
  }
  conv.ExecuteMacro(DeleteGroupCommand(*group), false);
}

// The log in exact ANSI: the folder's own name, else its short name. A
// best-fit name ("C:\Pics" for "C:\Ｐｉｃｓ") would send the uninstaller to
// another folder; with neither name exact there is no log to write.
std::optional<std::string> LogTextFor(const std::wstring& programDir) {
  if (auto text = tk::ToAnsiExact(UninstallLogText(programDir))) return text;
  std::wstring shortDir(MAX_PATH, L'\0');
  const DWORD n = GetShortPathNameW(programDir.c_str(), shortDir.data(), MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::nullopt;
  shortDir.resize(n);
  return tk::ToAnsiExact(UninstallLogText(shortDir));
}

void ShowHandOver() {
  tk::BeepAndMessageDlg(
      L"Lumoscope has deleted its Windows-Entries !\r\rTo delete the Program-Path of Lumoscope,\r"
      L"Lumoscope have to close itself and run RAZUVUDE.EXE,\r"
      L"which will delete the Lumoscope-Files from your Drive.\r\rPress OK to run RAZUVUDE.EXE",
      tk::MsgKind::Information, tk::mbOK);
}

void ShowManualRemoval() {
  tk::BeepAndMessageDlg(
      L"Error running RAZUVUDE.EXE with the LOG-File !\r\rTo finish the Unistall Process you "
      L"have to delete,\rthe Program-Path of Lumoscope manually.\rThe Files are located in the "
      L"Path: " +
          ProgramDir() + L"\r\r",
      tk::MsgKind::Error, tk::mbOK);
}

// Writes the uninstaller's log; false when it cannot be created, the
// uninstaller is missing or the folder has no exact name, so the user has to
// remove the files by hand (the log then stays empty). A write error on the
// created log raises.
bool WriteLogForUninstaller(const std::wstring& logName) {
  base::File log(CreateFileW(logName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log || !tk::FileExists(UninstallerFileName())) return false;
  const auto text = LogTextFor(ProgramDir());
  if (!text) return false;
  WriteUninstallLog(log.get(), logName, *text);
  return true;
}

}  // namespace

std::wstring UninstallerFileName() { return GetWindowsDir() + L"\\RAZUVUDE.EXE"; }
std::wstring UninstallLogFileName() { return GetWindowsDir() + L"\\RAZUVUDE.LOG"; }

void WriteUninstallLog(HANDLE file, const std::wstring& fileName, const std::string& text) {
  DWORD put = 0;
  if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) ||
      put != text.size())
    throw tk::EInOutError("Schreibfehler in Datei " + tk::ToUtf8(fileName));
}

bool RelaunchElevatedIfNeeded() {
  HKEY raw = nullptr;
  const std::wstring entry = kUninstallKey;
  const std::wstring uninstallRoot = entry.substr(0, entry.rfind(L'\\'));
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstallRoot.c_str(), 0,
                    KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &raw) == ERROR_SUCCESS) {
    base::RegKey writable(raw);
    return false;
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  base::File owned(token);
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) ||
      type != TokenElevationTypeLimited)
    return false;
  tk::Shell().Open(nullptr, L"runas", ProgramPath(), L"-u", L"", SW_SHOWNORMAL);
  return true;
}

void UninstallProgram() {
  DeleteRegKey(HKEY_LOCAL_MACHINE, kAppPathsKey);
  RemoveProfileEntry(GetWindowsDir() + L"\\WINHELP.INI", L"Files", L"LUMOS32.HLP");
  DeleteRegKey(HKEY_LOCAL_MACHINE, kUninstallKey);
  GiveBackAssociations();
  DeleteProgramGroup();
  DeleteRegKey(HKEY_CLASSES_ROOT, L"Lumoscope32");
  const std::wstring logName = UninstallLogFileName();
  try {
    if (WriteLogForUninstaller(logName)) {
      ShowHandOver();
      // Quoted: a Windows directory with blanks would split the path.
      RunProgram(UninstallerFileName(), L"\"" + logName + L"\"", L"", SW_SHOW);
    } else {
      ShowManualRemoval();
    }
  } catch (const std::exception& e) {
    // A half-written log must not reach the uninstaller.
    tk::Application::Instance().HandleException(e);
  }
}

}  // namespace util
