// The entries every start writes, the help file's WINHELP.INI line, the
// profile-file rewrite and the registry helpers, against the prefix's own
// registry and Windows directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>

#include "AppFixture.h"
#include "base/Handles.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "toolkit/FileExists.h"
#include "toolkit/portable/FileName.h"

using namespace util;

namespace {

// Cleans up after every test: the help files and the profile file.
class SystemEntries : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& f : {ini, file}) {
      SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
      RemoveDirectoryW(f.c_str());
      DeleteFileW(f.c_str());
    }
    DeleteFileW((dir + L"\\LUMOS32.HLP").c_str());
  }
  const std::wstring ini = GetWindowsDir() + L"\\WINHELP.INI", dir = TempDir(L"lumo-help"),
                     file = TempDir(L"lumo-ini") + L"\\TEST.INI";
};

// Every entry, for a program in a folder with blanks and for one at a drive's
// root; ReadRegString reads strings only, and nothing where there is none.
TEST_F(SystemEntries, EveryValueFollowsTheProgramsLocationWithQuotedCommands) {
  const std::tuple<const wchar_t*, std::wstring, std::wstring> rows[] = {
      {L"C:\\Program Files\\Lumo Test\\LUMOS32.EXE", L"C:\\Program Files\\Lumo Test",
       L"C:\\Program Files\\Lumo Test\\LUMOS32.HLP"},
      {L"D:\\LUMOS32.EXE", L"D:\\", L"D:\\\\LUMOS32.HLP"}};
  for (const auto& [exe, folder, help] : rows) {
    WriteSystemEntriesFor(exe);
    const DWORD number = 7;
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Lumoscope32", L"d", REG_DWORD, &number, sizeof number);
    const std::wstring quoted = L"\"" + std::wstring(exe) + L"\"";
    EXPECT_EQ(ProgramDir() + L"|" + HelpFileName(), folder + L"|" + help);
    const std::tuple<HKEY, std::wstring, const wchar_t*, std::wstring> values[] = {
        {HKEY_CLASSES_ROOT, L"Lumoscope32\\EXEPath", L"", folder},
        {HKEY_LOCAL_MACHINE, kAppPathsKey, L"", exe},
        {HKEY_LOCAL_MACHINE, kAppPathsKey, L"Path", folder},
        {HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Lumoscope 1.1 -32"},
        {HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", quoted + L" -u"},
        {HKEY_CLASSES_ROOT, L"Lumoscope32", L"", L"Lumoscope Picture File"},
        {HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L"", quoted + L" \"%1\""},
        {HKEY_CLASSES_ROOT, L"Lumoscope32\\Version", L"", L"1.1a"},
        {HKEY_CLASSES_ROOT, L"Lumoscope32", L"d", L""},
        {HKEY_CLASSES_ROOT, L"Lumoscope32", L"missing", L""},
        {HKEY_CLASSES_ROOT, L"Lumoscope32\\nokey", L"", L""}};
    for (const auto& [root, key, name, value] : values)
      EXPECT_EQ(ReadRegString(root, key, name), value) << key << " " << name;
    EXPECT_TRUE(DeleteRegValue(HKEY_CLASSES_ROOT, L"Lumoscope32", L"d"));
    EXPECT_FALSE(DeleteRegValue(HKEY_CLASSES_ROOT, L"Lumoscope32", L"d"));
  }
}

// The WINHELP.INI line follows the help file; an unwritable file does not stop the start.
TEST_F(SystemEntries, HelpLineFollowsTheHelpFileAndAnUnwritableIniDoesNotStopTheStart) {
  WriteFile(dir + L"\\LUMOS32.HLP", "x");
  WriteSystemEntriesFor(dir + L"\\LUMOS32.EXE");
  wchar_t buf[MAX_PATH];
  GetPrivateProfileStringW(L"Files", L"LUMOS32.HLP", L"", buf, MAX_PATH, ini.c_str());
  EXPECT_EQ(_wcsicmp(buf, dir.c_str()), 0) << buf;
  DeleteFileW((dir + L"\\LUMOS32.HLP").c_str());
  WriteSystemEntriesFor(dir + L"\\LUMOS32.EXE");
  GetPrivateProfileStringW(L"Files", L"LUMOS32.HLP", L"<none>", buf, MAX_PATH, ini.c_str());
  EXPECT_STREQ(buf, L"<none>");
  DeleteFileW(ini.c_str());
  // A directory in the file's place: every write to it fails.
  ASSERT_TRUE(CreateDirectoryW(ini.c_str(), nullptr));
  WriteFile(dir + L"\\LUMOS32.HLP", "x");
  DeleteRegKey(HKEY_CLASSES_ROOT, L"Lumoscope32");
  WriteSystemEntriesFor(dir + L"\\LUMOS32.EXE");  // must neither throw nor end the program
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\Version", L""), L"1.1a");
}

// The line parsing itself is the portable tests'; here the file's rewrite, and
// a failed replace (another program holds the file open without sharing
// delete) that keeps the original and removes the temporary.
TEST_F(SystemEntries, ProfileFileRewrittenInPlaceWithoutALeftoverOrLeftAlone) {
  // Before, after, whether removed, the attributes, whether held open.
  const DWORD normal = FILE_ATTRIBUTE_NORMAL, readOnly = FILE_ATTRIBUTE_READONLY;
  const std::tuple<const char*, const char*, bool, DWORD, bool> rows[] = {
      {"[other]\nlumos32.hlp=keep\n[files]\nA=1\nlumos32.hlp=c:\\x\n",
       "[other]\r\nlumos32.hlp=keep\r\n[files]\r\nA=1\r\n", true, normal, false},
      {"[Files]\r\nX.HLP=C:\\\r\n", "[Files]\r\nX.HLP=C:\\\r\n", false, normal, false},
      {"[Files]\nLUMOS32.HLP=1\n", "[Files]\nLUMOS32.HLP=1\n", false, readOnly, false},
      {"[Files]\nLUMOS32.HLP=1\n", "[Files]\nLUMOS32.HLP=1\n", false, normal, true}};
  for (const auto& [before, after, removed, attributes, held] : rows) {
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFile(file, before);
    SetFileAttributesW(file.c_str(), attributes);
    base::File holder(held ? CreateFileW(file.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr)
                           : INVALID_HANDLE_VALUE);
    EXPECT_EQ(RemoveProfileEntry(file, L"Files", L"LUMOS32.HLP"), removed) << before;
    holder.reset();
    EXPECT_EQ(ReadFile(file), after);
    EXPECT_FALSE(tk::FileExists(tk::DirectoryPart(file) + L"$$$$----.BAK"));
  }
  EXPECT_FALSE(RemoveProfileEntry(file + L".missing", L"Files", L"LUMOS32.HLP"));
  WriteFile(file, "[Files]\nLUKASZ=1\n");  // what a best-fit key would name
  EXPECT_FALSE(RemoveProfileEntry(file, L"Files", L"\x0141UKASZ"));
  EXPECT_EQ(ReadFile(file), "[Files]\nLUKASZ=1\n");
}

}  // namespace
