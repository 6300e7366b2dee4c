#include <gtest/gtest.h>

#include "util/portable/ProgmanCommand.h"
#include "util/portable/UninstallLog.h"

TEST(ParseUninstallLog, TakesOnlyTheProgramsOwnFilesFromAFolderOfItsOwn) {
  const std::wstring title = L"*** x\r\nTitle: Lumoscope 1.1 -32 Installation\r\n";
  const std::pair<std::wstring, const wchar_t*> rows[] = {
      // log, files taken or the error
      {title + L"Made Dir: C:\\Lumo\\\nFile Copy: C:\\\\Lumo\\lumos32.exe\nFile Copy: c:\\lumo/"
               L"RSTRIM32.DLL",
       L"C:\\Lumo\\lumos32.exe|c:\\lumo\\RSTRIM32.DLL|"},
      {title + L"Made Dir: C:\\Lumo\nFile Copy: C:\\Lumo\\KEEP.TXT\nFile Copy: C:\\Lumo\\..\\"
               L"LUMOS32.EXE\nFile Copy: C:\\Lumo\\LUMOS32.EXE:x\nFile Copy: C:\\Lumo\\SUB\\"
               L"LUMOS32.HLP\nFile Copy: C:\\LumoX\\LUMOS32.EXE\nFile Copy: LUMOS32.EXE",
       L""},
      {title + L"Made Dir: \\\\srv\\s\\L\nFile Copy: \\\\srv\\s\\l\\LUMOS32.GID",
       L"\\\\srv\\s\\l\\LUMOS32.GID|"},
      {title + L"Made Dir: C:\\", L"its \"Made Dir:\" line names a drive root."},
      {title + L"Made Dir: \\\\srv\\share\\", L"its \"Made Dir:\" line names a drive root."},
      {title + L"Made Dir: \\\\.\\C:", L"its \"Made Dir:\" line names a device or volume path."},
      {title + L"Made Dir: \\\\?\\C:\\Lumo",
       L"its \"Made Dir:\" line names a device or volume path."},
      {title + L"Made Dir: C:\\A\\..", L"its \"Made Dir:\" line names no full path."},
      {title + L"\nDelete: C:\\X", L"line 4 is no uninstall log line."},
      {L"Made Dir: C:\\Lumo", L"it is not the log of Lumoscope's installation."},
      {L"Title: Other 2.0 Installation\nMade Dir: C:\\Lumo",
       L"it is not the log of Lumoscope's installation."},
  };
  for (const auto& [log, taken] : rows) {
    const auto plan = util::ParseUninstallLog(log);
    std::wstring got = plan.error;
    for (const auto& file : plan.files) got += file + L"|";
    EXPECT_EQ(got, taken) << log;
  }
}

TEST(ProgmanCommand, SendsOnlyBytesThatStayOneGroupName) {
  // The last: a double-byte character whose second byte is a backslash.
  for (const char* name : {" . ", "A\"B", "A,1", "..\\Startup", "C:X", "A\rB", "A\x95\\"})
    EXPECT_FALSE(util::IsSafeGroupName(name)) << name;
  EXPECT_TRUE(util::IsSafeGroupName("Lumo Tools 1.1"));
}
