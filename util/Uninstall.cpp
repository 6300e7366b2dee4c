#include "util/Uninstall.h"

#include <exception>

#include "toolkit/Application.h"
#include "toolkit/CodePages.h"
#include "toolkit/Dde.h"
#include "toolkit/Handles.h"
#include "toolkit/Services.h"
#include "toolkit/StdCtrls.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"
#include "util/portable/ProgmanCommand.h"
#include "util/portable/UninstallLog.h"

namespace util {
namespace {

const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
const wchar_t kGroupKey[] = L"Lumoscope32\\PMGroup";
// The order in which the uninstall looks at the associations.
const wchar_t* const kAssociatedExtensions[] = {L".BMP", L".GIF", L".ICO", L".JPG",
                                                L".PCX", L".TIF", L".WMF"};

// ext is ".BMP": its WIN.INI line, its Extensions value and its key.
void RemoveAssociation(const std::wstring& ext) {
  const std::wstring key = ext.substr(1);
  RemoveProfileEntry(L"WIN.INI", L"Extensions", key);
  // NT keeps this WIN.INI section in the registry, which a rewrite of the file
  // does not reach; the profile functions find it wherever it is.
  DeleteProfileEntry(L"WIN.INI", L"Extensions", key);
  DeleteRegValue(HKEY_LOCAL_MACHINE, kExtensionsKey, ext);
  DeleteRegKey(HKEY_CLASSES_ROOT, ext);
}

// Only associations that still name the program's file type; others belong
// to another program now.
void RemoveAssociations() {
  for (const wchar_t* ext : kAssociatedExtensions)
    if (UpperAscii(ReadRegString(HKEY_CLASSES_ROOT, ext, L"")) == L"LUMOSCOPE32")
      RemoveAssociation(ext);
}

void DeleteProgramGroup() {
  if (!RegKeyExists(HKEY_CLASSES_ROOT, kGroupKey)) return;
  const std::wstring group = ReadRegString(HKEY_CLASSES_ROOT, kGroupKey, L"");
  // The name comes from the registry: one that could smuggle in further
  // commands or name another folder is not sent at all.
  if (!IsSafeGroupName(group)) return;
  tk::DdeClientConv conv;
  // Today's shells serve the Program Manager's service on its own topic only,
  // not to "any topic"; so that one is asked before a Program Manager is started.
  conv.connectMode = tk::DdeConnectMode::Manual;
  conv.SetLink("Progman", "PROGMAN");
  if (!conv.Connect()) {
    conv.connectMode = tk::DdeConnectMode::Automatic;
    conv.SetLink("Progman", "");
  }
  conv.ExecuteMacro(tk::ToAnsi(DeleteGroupCommand(group)), false);
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

// Writes the uninstaller's log; false when it cannot be created or the
// uninstaller is missing, so the user has to remove the files by hand. A
// write error on the created log raises.
bool WriteLogForUninstaller(const std::wstring& logName) {
  tk::File log(CreateFileW(logName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log || !FileExists(UninstallerFileName())) return false;
  WriteUninstallLog(log.get(), logName, ProgramDir());
  return true;
}

}  // namespace

std::wstring UninstallerFileName() { return GetWindowsDir() + L"\\RAZUVUDE.EXE"; }
std::wstring UninstallLogFileName() { return GetWindowsDir() + L"\\RAZUVUDE.LOG"; }

void WriteUninstallLog(HANDLE file, const std::wstring& fileName, const std::wstring& programDir) {
  const std::string text = tk::ToAnsi(UninstallLogText(programDir));
  DWORD put = 0;
  if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) ||
      put != text.size())
    throw tk::EInOutError("Schreibfehler in Datei " + tk::ToUtf8(fileName));
}

void UninstallProgram() {
  DeleteRegKey(HKEY_LOCAL_MACHINE, kAppPathsKey);
  RemoveProfileEntry(GetWindowsDir() + L"\\WINHELP.INI", L"Files", L"LUMOS32.HLP");
  DeleteRegKey(HKEY_LOCAL_MACHINE, kUninstallKey);
  RemoveAssociations();
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
