#include <gtest/gtest.h>

#include "util/portable/ProgmanCommand.h"
#include "util/portable/UninstallLog.h"

using namespace util;

namespace {
UninstallPlan ParseWithCopy(const std::wstring& dir, const std::wstring& copy) {
  return ParseUninstallLog(L"*** Installation Started\r\nMade Dir: " + dir + L"\r\nFile Copy: " +
                           copy + L"\r\n");
}
}  // namespace

TEST(ParseUninstallLog, TakesOnlyFilesInsideTheDirectory) {
  struct Row {
    const wchar_t *dir, *copy, *file, *reason;
  };
  const Row rows[] = {
      {L"C:\\Prog\\Lumo", L"c:\\prog\\LUMO\\sub\\x.dat", L"c:\\prog\\LUMO\\sub\\x.dat", nullptr},
      {L"C:\\Prog\\Lumo\\", L"C:\\Prog\\Lumo//RSTRIM32.DLL", L"C:\\Prog\\Lumo\\RSTRIM32.DLL",
       nullptr},
      {L"D:\\", L"D:\\\\LUMOS32.EXE", L"D:\\LUMOS32.EXE", nullptr},
      {L"\\\\srv\\share\\Lumo", L"\\\\srv\\share\\Lumo\\A.EXE", L"\\\\srv\\share\\Lumo\\A.EXE",
       nullptr},
      {L"C:\\Prog\\Lumo", L"C:\\Prog\\Lumo\\..\\SYSTEM.INI", nullptr, L"it climbs out with \"..\""},
      {L"C:\\Prog\\Lumo", L"C:\\Prog\\LumoX\\A.EXE", nullptr, L"outside C:\\Prog\\Lumo"},
      {L"C:\\Prog\\Lumo", L"C:\\Prog\\Lumo\\", nullptr, L"outside C:\\Prog\\Lumo"},
      {L"C:\\Prog\\Lumo", L"LUMOS32.EXE", nullptr, L"not a full path"},
      {L"C:\\Prog\\Lumo", L"C:\\Prog\\Lumo\\A.EXE:x", nullptr, L"not a plain file name"},
      {L"C:\\Prog\\Lumo", L"C:\\Prog\\Lumo\\...", nullptr, L"not a plain file name"},
  };
  for (const auto& row : rows) {
    const UninstallPlan plan = ParseWithCopy(row.dir, row.copy);
    SCOPED_TRACE(row.copy);
    EXPECT_EQ(plan.error, L"");
    EXPECT_EQ(plan.files.size(), row.file ? 1u : 0u);
    if (row.file && !plan.files.empty()) EXPECT_EQ(plan.files[0], row.file);
    ASSERT_EQ(plan.skipped.size(), row.reason ? 1u : 0u);
    if (row.reason) EXPECT_EQ(plan.skipped[0].reason, row.reason);
  }
}

TEST(ParseUninstallLog, RefusesALogItCannotTrust) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"", L"it has no \"Made Dir:\" line."},
      {L"Made Dir: C:\\A\nMade Dir: C:\\B", L"it has more than one \"Made Dir:\" line."},
      {L"Made Dir: Lumo", L"its \"Made Dir:\" line names no full path."},
      {L"Made Dir: C:\\A\\..", L"its \"Made Dir:\" line names no full path."},
      {L"Made Dir: C:\\A\r\rDelete: C:\\X", L"line 3 is no uninstall log line."},
  };
  for (const auto& [text, error] : rows) {
    const UninstallPlan plan = ParseUninstallLog(text);
    EXPECT_EQ(plan.error, error) << text;
    EXPECT_TRUE(plan.files.empty());
  }
}

TEST(ParseUninstallLog, ReadsWhatTheProgramWrites) {
  for (const std::wstring dir : {L"C:\\Program Files\\Lumo", L"C:\\"}) {
    const UninstallPlan plan = ParseUninstallLog(UninstallLogText(dir));
    EXPECT_EQ(plan.directory, dir);
    ASSERT_EQ(plan.files.size(), 5u);
    EXPECT_EQ(plan.files[4], CleanPath(dir + L"\\RSTRIM32.DLL"));
    EXPECT_TRUE(plan.skipped.empty());
  }
}

TEST(ProgmanCommand, SendsOnlyNamesThatStayOneGroupName) {
  const std::pair<const wchar_t*, bool> rows[] = {
      {L"Lumoscope", true},    {L"Lumo Tools 1.1", true},     {L"", false},     {L" . ", false},
      {L"..", false},          {L"A)][DeleteGroup(B", false}, {L"A\"B", false}, {L"A,1", false},
      {L"..\\Startup", false}, {L"C:Tools", false},           {L"A\rB", false},
  };
  for (const auto& [name, safe] : rows) EXPECT_EQ(IsSafeGroupName(name), safe) << name;
  EXPECT_EQ(DeleteGroupCommand(L"Lumo"), L"[DeleteGroup(Lumo)]\r\n");
}
