#include <gtest/gtest.h>

#include "util/portable/ProgmanCommand.h"
#include "util/portable/UninstallLog.h"

TEST(ParseUninstallLog, TakesOnlyFilesInsideTheDirectoryOfATrustworthyLog) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      // log, files taken or error
      {L"Made Dir: D:\\\r\nFile Copy: D:\\\\LUMOS32.EXE\r\nFile Copy: d:\\A/B",
       L"D:\\LUMOS32.EXE|d:\\A\\B|"},
      {L"Made Dir: \\\\srv\\s\\L\\\nFile Copy: \\\\srv\\s\\l\\A\nFile Copy: C:\\L\\A:x\n"
       L"File Copy: \\\\srv\\s\\L\\...\nFile Copy: A\nFile Copy: \\\\srv\\s\\LX\\A",
       L"\\\\srv\\s\\l\\A|"},
      {L"Made Dir: C:\\A\\..", L"its \"Made Dir:\" line names no full path."},
      {L"*** x\n\nDelete: C:\\X", L"line 3 is no uninstall log line."},
  };
  for (const auto& [log, taken] : rows) {
    const auto plan = util::ParseUninstallLog(log);
    std::wstring got = plan.error;
    for (const auto& file : plan.files) got += file + L"|";
    EXPECT_EQ(got, taken) << log;
  }
}

TEST(ProgmanCommand, SendsOnlyANameThatStaysOneGroupName) {
  for (const wchar_t* name : {L" . ", L"A\"B", L"A,1", L"..\\Startup", L"C:X", L"A\rB"})
    EXPECT_FALSE(util::IsSafeGroupName(name)) << name;
  EXPECT_TRUE(util::IsSafeGroupName(L"Lumo Tools 1.1"));
}
