// The uninstaller on a scratch installation: what it deletes, what it leaves
// and what it says. %D is the program directory, %L the log, %O a file outside.
#include <gtest/gtest.h>
#include <windows.h>

#include "Program.h"
#include "toolkit/CodePages.h"
#include "uninstaller/Razuvude.h"
#include "util/Support.h"
#include "util/portable/UninstallLog.h"

using tk::MsgKind;

namespace {

const std::wstring root = TempDir(L"lumo-raz"), dir = root + L"\\Lumo Prog",
                   log = root + L"\\RAZUVUDE.LOG", outside = root + L"\\KEEP.TXT",
                   program = dir + L"\\LUMOS32.EXE";

std::wstring Expand(std::wstring text) {
  for (const auto& [mark, value] : {std::pair{L"%D", dir}, {L"%L", log}, {L"%O", outside}})
    for (size_t at; (at = text.find(mark)) != std::wstring::npos;) text.replace(at, 2, value);
  return text;
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

TEST(Razuvude, DeletesOnlyListedFilesInsideItsDirectory) {
  const std::wstring full = util::UninstallLogText(dir);
  const struct {
    std::wstring log;  // empty: none
    MsgKind kind;
    std::wstring says;
  } rows[] = {
      {full + L"File Copy: %O", MsgKind::Warning,
       L"Removed:\r%D\\LUMOS32.EXE\r\rNot removed:\r%O (outside %D)\r"},
      {full + L"File Copy: %D\\..\\KEEP.TXT", MsgKind::Warning,
       L":\r%D\\..\\KEEP.TXT (it climbs out with \"..\")\r%D\\SUB (a directory, not a file)\r%D "
       L"(other files remain in it)"},
      {L"File Copy: %D\\LUMOS32.EXE", MsgKind::Error,
       L"%L is no uninstall log: it has no \"Made Dir:\" line.\r\rNothing has been deleted."},
      {L"", MsgKind::Error, L"the log file %L does not exist.\r\rNothing has been deleted."}};
  for (const auto& row : rows) {
    Install(row.log);
    const razuvude::Report report = razuvude::Uninstall(log, {});
    EXPECT_EQ(report.kind, row.kind);
    EXPECT_NE(report.text.find(Expand(row.says)), std::wstring::npos) << report.text;
    EXPECT_EQ(util::FileExists(program), row.kind == MsgKind::Error);
    EXPECT_EQ(util::FileExists(log), row.kind == MsgKind::Error && !row.log.empty());
    EXPECT_TRUE(util::FileExists(outside));
    DeleteFileW(log.c_str());
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
  EXPECT_FALSE(util::FileExists(program)) << report.text;
}
