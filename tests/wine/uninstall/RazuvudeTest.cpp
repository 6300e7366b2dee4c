// The uninstaller on a scratch installation: what it deletes, what it leaves
// and what it says. %D is the program directory, %L the log, %O a file
// outside, %W the Windows folder, %U the user's profile.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include "Program.h"
#include "toolkit/CodePages.h"
#include "uninstaller/Razuvude.h"
#include "util/Support.h"
#include "util/portable/UninstallLog.h"
#include "toolkit/FileExists.h"

using tk::MsgKind;

namespace {

const std::wstring root = TempDir(L"lumo-raz"), dir = root + L"\\Lumo Prog",
                   log = root + L"\\RAZUVUDE.LOG", outside = root + L"\\KEEP.TXT",
                   program = dir + L"\\LUMOS32.EXE", library = dir + L"\\RSTRIM32.DLL";

std::wstring Expand(std::wstring text) {
  wchar_t profile[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile);
  for (const auto& [mark, value] : {std::pair{L"%D", dir},
                                    {L"%L", log},
                                    {L"%O", outside},
                                    {L"%W", util::GetWindowsDir()},
                                    {L"%U", std::wstring(profile)}})
    for (size_t at; (at = text.find(mark)) != std::wstring::npos;) text.replace(at, 2, value);
  return text;
}

// The library as a link to the file outside, or no link. Wine makes no links
// of its own and its DeleteFile deletes a link's target, so ln and rm do it
// on the Unix side; Wine signals their end before they have run.
void LinkLibraryOut(bool made) {
  ASSERT_NE(UnixPath(library), "") << "links are made on Wine's Unix side";
  const std::wstring link = L"\"" + tk::FromUtf8(UnixPath(library)) + L"\"";
  Program(made ? L"-sf " + tk::FromUtf8(UnixPath(outside)) + L" " + link : L"-f " + link, SW_HIDE,
          made ? L"Z:\\bin\\ln" : L"Z:\\bin\\rm")
      .WaitForExit(10000);
  for (int i = 0; i < 100 && tk::FileExists(library) != made; ++i) Sleep(50);
  ASSERT_EQ(tk::FileExists(library), made);
}

// The program in its directory beside a sub-directory (which the log lists
// too), and a file outside.
void Install(const std::wstring& logText) {
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\SUB").c_str(), nullptr);
  WriteFile(program, "x");
  WriteFile(outside, "x");
  if (!logText.empty()) WriteFile(log, tk::ToAnsi(Expand(logText + L"\r\nFile Copy: %D\\SUB")));
}

}  // namespace

TEST(Razuvude, DeletesOnlyTheProgramsFilesInAFolderOfItsOwn) {
  const std::wstring full = util::UninstallLogText(L"%D");
  const struct {
    std::wstring log;  // empty: none
    bool linkOut, programKept, logKept;
    MsgKind kind;
    std::wstring says;
  } rows[] = {
      {full + L"File Copy: %O\r\nFile Copy: %D\\..\\KEEP.TXT", false, false, false,
       MsgKind::Warning,
       L"Removed:\r%D\\LUMOS32.EXE\r\rNot removed:\r%O (not one of Lumoscope's files in %D)\r%D\\"
       L"..\\KEEP.TXT (not one of Lumoscope's files in %D)\r%D\\SUB (not one of Lumoscope's files "
       L"in %D)\r%D (other files remain in it)"},
      {full, true, false, false, MsgKind::Warning, L"\r%D\\RSTRIM32.DLL (it leads to %O)"},
      {util::UninstallLogText(L"%D\\GONE"), false, true, true, MsgKind::Warning,
       L"RAZUVUDE found none of Lumoscope's files in %D\\GONE.\r\rNothing has been deleted."},
      {util::UninstallLogText(L"%W"), false, true, true, MsgKind::Error,
       L"the folder %W holds files of Windows or of its users."},
      {util::UninstallLogText(L"%U"), false, true, true, MsgKind::Error,
       L"the folder %U holds files of Windows or of its users."},
      {L"File Copy: %D\\LUMOS32.EXE", false, true, true, MsgKind::Error,
       L"%L is no uninstall log: it is not the log of Lumoscope's installation.\r\rNothing has "
       L"been deleted."},
      {L"", false, true, false, MsgKind::Error,
       L"the log file %L does not exist.\r\rNothing has been deleted."}};
  for (const auto& row : rows) {
    Install(row.log);
    if (row.linkOut) LinkLibraryOut(true);
    const razuvude::Report report = razuvude::Uninstall(log, {});
    EXPECT_EQ(report.kind, row.kind) << report.text;
    EXPECT_NE(report.text.find(Expand(row.says)), std::wstring::npos) << report.text;
    EXPECT_EQ(tk::FileExists(program), row.programKept);
    EXPECT_EQ(tk::FileExists(log), row.logKept);
    EXPECT_EQ(ReadFile(outside), "x");
    DeleteFileW(log.c_str());
    if (row.linkOut) LinkLibraryOut(false);
  }
}

TEST(Razuvude, WaitsUntilTheProgramHasEnded) {
  Install(util::UninstallLogText(dir));
  CopyFileW((BinDir() + L"progman_server.exe").c_str(), program.c_str(), FALSE);
  Program running(L"", SW_SHOWNORMAL, program);
  int pauses = 0;
  const razuvude::Report report = razuvude::Uninstall(log, {30000, [&] {
                                                              ++pauses;
                                                              running.End();
                                                            }});
  EXPECT_EQ(pauses, 1);
  EXPECT_FALSE(tk::FileExists(program)) << report.text;
}
