// RAZUVUDE.EXE: removes Lumoscope's files after the program has removed its
// entries. Its one parameter is the full path of the log the program wrote.
#include <windows.h>

#include "uninstaller/Razuvude.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/Uninstall.h"
#include "util/portable/PathUtil.h"
#include "toolkit/portable/FileName.h"

namespace {

// Once its work is done the uninstaller in the Windows directory goes as well,
// at the next start of Windows: a running program cannot delete itself, but
// it can be renamed. Only the renamed file is scheduled, so a RAZUVUDE.EXE
// that a new setup puts there before the restart stays.
void RemoveSelfAtRestart() {
  const std::wstring self = util::ProgramPath();
  if (CompareStringOrdinal(self.c_str(), -1, util::UninstallerFileName().c_str(), -1, TRUE) !=
      CSTR_EQUAL)
    return;
  const std::wstring parked = tk::DirectoryPart(self) + L"RAZUVUDE-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64()) + L".DEL";
  if (MoveFileExW(self.c_str(), parked.c_str(), 0))
    MoveFileExW(parked.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const auto params = util::SplitCommandLine(GetCommandLineW());
  // The program's directory may be this process's current one, which could
  // not be removed then.
  SetCurrentDirectoryW(util::GetWindowsDir().c_str());
  const razuvude::Report report =
      params.size() < 2 ? razuvude::NoLogNamed() : razuvude::Uninstall(params[1], {});
  razuvude::ShowReport(report);
  if (report.kind == tk::MsgKind::Information) RemoveSelfAtRestart();
  return report.kind == tk::MsgKind::Information ? 0 : 1;
}
