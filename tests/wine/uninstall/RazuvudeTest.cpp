// The uninstaller's work on scratch directories: what it deletes, what it
// leaves, and what it says.
#include <gtest/gtest.h>
#include <windows.h>

#include "Files.h"
#include "uninstaller/Razuvude.h"
#include "util/Support.h"
#include "util/portable/UninstallLog.h"

namespace {

const wchar_t* const kFiles[] = {L"\\LUMOS32.EXE", L"\\LUMOS32.HLP", L"\\RSTRIM32.DLL"};

// %D the program directory, %L the log, %O a file outside the directory.
class Razuvude : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring root = TempDir(L"lumo-raz");
    dir = root + L"\\Lumo Prog";
    log = root + L"\\RAZUVUDE.LOG";
    outside = root + L"\\KEEP.TXT";
    CreateDirectoryW(dir.c_str(), nullptr);
    for (const wchar_t* name : kFiles) WriteFile(dir + name, "x");
    WriteFile(outside, "x");
  }
  void TearDown() override {
    for (const wchar_t* name : kFiles) DeleteFileW((dir + name).c_str());
    RemoveDirectoryW((dir + L"\\SUB").c_str());
    RemoveDirectoryW(dir.c_str());
    DeleteFileW(outside.c_str());
    DeleteFileW(log.c_str());
  }
  std::wstring Expand(std::wstring text) const {
    for (const auto& [mark, value] : {std::pair{L"%D", dir}, {L"%L", log}, {L"%O", outside}})
      for (size_t at; (at = text.find(mark)) != std::wstring::npos;) text.replace(at, 2, value);
    return text;
  }
  void WriteLog(const std::wstring& text) const { WriteFile(log, util::ToAnsi(Expand(text))); }
  std::wstring LogText() const { return util::UninstallLogText(dir); }

  std::wstring dir, log, outside;
};

struct StandIn {
  // A running program whose file is the log's LUMOS32.EXE.
  explicit StandIn(const std::wstring& exe) {
    CopyFileW((BinDir() + L"progman_server.exe").c_str(), exe.c_str(), FALSE);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\"";
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  }
  ~StandIn() {
    End();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  void End() {
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, INFINITE);
  }
  PROCESS_INFORMATION pi{};
};

}  // namespace

TEST_F(Razuvude, RemovesOnlyWhatTheLogListsInsideTheDirectory) {
  const std::wstring removedAll =
      L"Removed:\r%D\\LUMOS32.EXE\r%D\\LUMOS32.HLP\r%D\\RSTRIM32.DLL\r%D";
  struct Row {
    const char* name;
    std::wstring log;        // empty: no log file
    bool filesGone, subDir;  // before the run
    tk::MsgKind kind;
    std::wstring text;
    bool programLeft, dirLeft, logLeft;
  };
  const std::wstring refused = L"RAZUVUDE cannot uninstall Lumoscope: the log file %L ";
  const Row rows[] = {
      {"normal", LogText(), false, false, tk::MsgKind::Information,
       L"RAZUVUDE has removed Lumoscope from your drive.\r\r" + removedAll, false, false, false},
      {"files already gone", LogText(), true, false, tk::MsgKind::Information,
       L"RAZUVUDE has removed Lumoscope from your drive.\r\rRemoved:\r%D", false, false, false},
      {"outside", LogText() + L"File Copy: %O\r\n", false, false, tk::MsgKind::Warning,
       L"RAZUVUDE could not remove all of Lumoscope.\r\r" + removedAll +
           L"\r\rNot removed:\r%O (outside %D)",
       false, false, false},
      {"dot dot", LogText() + L"File Copy: %D\\..\\KEEP.TXT\r\n", false, false,
       tk::MsgKind::Warning,
       L"RAZUVUDE could not remove all of Lumoscope.\r\r" + removedAll +
           L"\r\rNot removed:\r%D\\..\\KEEP.TXT (it climbs out with \"..\")",
       false, false, false},
      {"directory", LogText() + L"File Copy: %D\\SUB\r\n", false, true, tk::MsgKind::Warning,
       L"RAZUVUDE could not remove all of Lumoscope.\r\rRemoved:\r%D\\LUMOS32.EXE\r%D\\LUMOS32."
       L"HLP\r%D\\RSTRIM32.DLL\r\rNot removed:\r%D\\SUB (a directory, not a file)\r%D (other "
       L"files remain in it)",
       false, true, false},
      {"malformed", L"*** x\r\nFile Copy: %D\\LUMOS32.EXE\r\n", false, false, tk::MsgKind::Error,
       refused + L"is no uninstall log: it has no \"Made Dir:\" line.\r\rNothing has been deleted.",
       true, true, true},
      {"missing", L"", false, false, tk::MsgKind::Error,
       refused + L"does not exist.\r\rNothing has been deleted.", true, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TearDown();
    SetUp();
    if (row.filesGone)
      for (const wchar_t* name : kFiles) DeleteFileW((dir + name).c_str());
    if (row.subDir) CreateDirectoryW((dir + L"\\SUB").c_str(), nullptr);
    if (!row.log.empty()) WriteLog(row.log);
    const razuvude::Report report = razuvude::Uninstall(log, {});
    EXPECT_EQ(report.kind, row.kind);
    EXPECT_EQ(report.text, Expand(row.text));
    EXPECT_EQ(util::FileExists(dir + L"\\LUMOS32.EXE"), row.programLeft);
    EXPECT_EQ(GetFileAttributesW(dir.c_str()) != INVALID_FILE_ATTRIBUTES, row.dirLeft);
    EXPECT_EQ(util::FileExists(log), row.logLeft);
    EXPECT_TRUE(util::FileExists(outside));
  }
}

TEST_F(Razuvude, WaitsUntilTheProgramHasEnded) {
  WriteLog(LogText());
  StandIn program(dir + L"\\LUMOS32.EXE");
  int pauses = 0;
  const razuvude::Report report = razuvude::Uninstall(log, {30000, [&] {
                                                              ++pauses;
                                                              program.End();
                                                            }});
  EXPECT_EQ(pauses, 1);
  EXPECT_EQ(report.kind, tk::MsgKind::Information);
  EXPECT_FALSE(util::FileExists(dir + L"\\LUMOS32.EXE"));
}

TEST_F(Razuvude, AProgramStillRunningAtTheLimitIsReported) {
  WriteLog(LogText());
  StandIn program(dir + L"\\LUMOS32.EXE");
  const razuvude::Report report = razuvude::Uninstall(log, {0, [] {}});
  EXPECT_EQ(report.kind, tk::MsgKind::Warning);
  EXPECT_NE(report.text.find(Expand(L"\r%D\\LUMOS32.EXE (the program still runs)")),
            std::wstring::npos)
      << report.text;
  program.End();
}
