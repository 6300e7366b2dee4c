#include <gtest/gtest.h>
#include <windows.h>

#include "Fixture.h"
#include "util/Support.h"
#include "util/SystemEntries.h"

using namespace util;

namespace {

const wchar_t kExe[] = L"C:\\Program Files\\Lumo Test\\LUMOS32.EXE";
const wchar_t kDir[] = L"C:\\Program Files\\Lumo Test";

std::wstring WinHelpIni() { return GetWindowsDir() + L"\\WINHELP.INI"; }

}  // namespace

TEST(SystemEntries, WritesEveryValueWithQuotedCommands) {
  WriteSystemEntriesFor(kExe);
  EXPECT_EQ(ProgramDir(), kDir);
  EXPECT_EQ(HelpFileName(), std::wstring(kDir) + L"\\LUMOS32.HLP");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\EXEPath", L""), kDir);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, L""), kExe);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, L"Path"), kDir);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Lumoscope 1.1 -32");
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
            L"\"C:\\Program Files\\Lumo Test\\LUMOS32.EXE\" -u");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32", L""), L"Lumoscope Picture File");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L""),
            L"\"C:\\Program Files\\Lumo Test\\LUMOS32.EXE\" \"%1\"");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\Version", L""), L"1.1a");
}

TEST(SystemEntries, MovingTheProgramUpdatesEveryPath) {
  WriteSystemEntriesFor(kExe);
  WriteSystemEntriesFor(L"D:\\LUMOS32.EXE");
  EXPECT_EQ(ProgramDir(), L"D:\\");
  EXPECT_EQ(HelpFileName(), L"D:\\\\LUMOS32.HLP");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\EXEPath", L""), L"D:\\");
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, L""), L"D:\\LUMOS32.EXE");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L""),
            L"\"D:\\LUMOS32.EXE\" \"%1\"");
}

TEST(SystemEntries, WinHelpLineFollowsTheHelpFile) {
  const std::wstring dir = TempDir(L"lumo-help");
  const std::wstring exe = dir + L"\\LUMOS32.EXE";
  WriteFile(dir + L"\\LUMOS32.HLP", "x");
  WriteSystemEntriesFor(exe);
  wchar_t buf[MAX_PATH];
  GetPrivateProfileStringW(L"Files", L"LUMOS32.HLP", L"", buf, MAX_PATH, WinHelpIni().c_str());
  EXPECT_EQ(_wcsicmp(buf, dir.c_str()), 0) << buf;
  DeleteFileW((dir + L"\\LUMOS32.HLP").c_str());
  WriteSystemEntriesFor(exe);
  GetPrivateProfileStringW(L"Files", L"LUMOS32.HLP", L"<none>", buf, MAX_PATH,
                           WinHelpIni().c_str());
  EXPECT_STREQ(buf, L"<none>");
}

TEST(SystemEntries, AnUnwritableWinHelpIniDoesNotStopTheStart) {
  const std::wstring ini = WinHelpIni();
  DeleteFileW(ini.c_str());
  // A directory in the file's place: every write to it fails.
  ASSERT_TRUE(CreateDirectoryW(ini.c_str(), nullptr));
  const std::wstring dir = TempDir(L"lumo-help-ro");
  WriteFile(dir + L"\\LUMOS32.HLP", "x");
  DeleteRegKey(HKEY_CLASSES_ROOT, L"Lumoscope32");
  WriteSystemEntriesFor(dir + L"\\LUMOS32.EXE");  // must neither throw nor end the program
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\Version", L""), L"1.1a");
  RemoveDirectoryW(ini.c_str());
  DeleteFileW((dir + L"\\LUMOS32.HLP").c_str());
}

TEST(SystemEntries, AReadOnlyWinHelpIniIsLeftAlone) {
  const std::wstring ini = WinHelpIni();
  WriteFile(ini, "[Files]\r\nLUMOS32.HLP=C:\\OLD\r\n");
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  WriteSystemEntriesFor(TempDir(L"lumo-nohelp") + L"\\LUMOS32.EXE");  // no help file: removal
  EXPECT_EQ(ReadFile(ini), "[Files]\r\nLUMOS32.HLP=C:\\OLD\r\n");
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(ini.c_str());
}

class ProfileFile : public ::testing::Test {
 protected:
  void SetUp() override { file = TempDir(L"lumo-ini") + L"\\TEST.INI"; }
  void TearDown() override {
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
  }
  std::wstring file;
};

TEST_F(ProfileFile, RemovesTheKeyFromASectionInAnotherCase) {
  WriteFile(file, "[other]\nlumos32.hlp=keep\n[files]\nA=1\nlumos32.hlp=c:\\x\nLUMOS32.HLP =stay\n");
  EXPECT_TRUE(RemoveProfileEntry(file, L"Files", L"LUMOS32.HLP"));
  EXPECT_EQ(ReadFile(file),
            "[other]\r\nlumos32.hlp=keep\r\n[files]\r\nA=1\r\nLUMOS32.HLP =stay\r\n");
  EXPECT_FALSE(FileExists(util::DirectoryPart(file) + L"$$$$----.BAK"));
}

TEST_F(ProfileFile, LinesAfterAnEmptyLineStay) {
  WriteFile(file, "[Files]\r\nLUMOS32.HLP=1\r\n\r\nLUMOS32.HLP=2\r\n");
  EXPECT_TRUE(RemoveProfileEntry(file, L"Files", L"LUMOS32.HLP"));
  EXPECT_EQ(ReadFile(file), "[Files]\r\n\r\nLUMOS32.HLP=2\r\n");
}

TEST_F(ProfileFile, WithoutTheLineTheFileIsRewrittenUnchanged) {
  WriteFile(file, "[Files]\r\nX.HLP=C:\\\r\n");
  EXPECT_FALSE(RemoveProfileEntry(file, L"Files", L"LUMOS32.HLP"));
  EXPECT_EQ(ReadFile(file), "[Files]\r\nX.HLP=C:\\\r\n");
}

TEST_F(ProfileFile, ReadOnlyOrMissingFileIsLeftAlone) {
  WriteFile(file, "[Files]\nLUMOS32.HLP=1\n");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(RemoveProfileEntry(file, L"Files", L"LUMOS32.HLP"));
  EXPECT_EQ(ReadFile(file), "[Files]\nLUMOS32.HLP=1\n");
  EXPECT_FALSE(RemoveProfileEntry(file + L".missing", L"Files", L"LUMOS32.HLP"));
}

TEST_F(ProfileFile, FailedReplaceKeepsTheOriginalAndRemovesTheTemporary) {
  WriteFile(file, "[Files]\nLUMOS32.HLP=1\n");
  // Another program holds the file open without sharing delete: the replace fails.
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(RemoveProfileEntry(file, L"Files", L"LUMOS32.HLP"));
  CloseHandle(h);
  EXPECT_EQ(ReadFile(file), "[Files]\nLUMOS32.HLP=1\n");
  EXPECT_FALSE(FileExists(util::DirectoryPart(file) + L"$$$$----.BAK"));
}

TEST(Registry, DeleteRegKeyRemovesSubKeys) {
  const std::wstring key = L"Lumoscope32Test";
  ASSERT_TRUE(WriteRegString(HKEY_CLASSES_ROOT, key + L"\\shell\\open\\command", L"", L"x"));
  ASSERT_TRUE(WriteRegString(HKEY_CLASSES_ROOT, key + L"\\Version", L"", L"1"));
  EXPECT_TRUE(DeleteRegKey(HKEY_CLASSES_ROOT, key));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, key));
  EXPECT_FALSE(DeleteRegKey(HKEY_CLASSES_ROOT, key));
}

TEST(Registry, ReadRegStringOnlyReadsStrings) {
  const std::wstring key = L"Software\\LumoscopeTest";
  ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, key, L"s", L"text"));
  HKEY k;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
  const DWORD v = 7;
  RegSetValueExW(k, L"d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  RegCloseKey(k);
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, L"s"), L"text");
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, L"d"), L"");
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, L"missing"), L"");
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key + L"\\nokey", L"s"), L"");
  EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, key, L"s"));
  EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, key, L"s"));
  DeleteRegKey(HKEY_CURRENT_USER, key);
}
