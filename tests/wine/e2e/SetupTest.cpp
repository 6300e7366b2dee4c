// The whole life of an installation: the setup program, a start from there,
// "-u" answered Yes, the uninstaller; afterwards nothing of the program is left.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "Program.h"
#include "util/Support.h"
#include "util/SystemEntries.h"

using namespace util;

namespace {

const wchar_t kDir[] = L"C:\\Test Dir\\Lumoscope";
const wchar_t kExe[] = L"C:\\Test Dir\\Lumoscope\\LUMOS32.EXE";
const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
const wchar_t kPending[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t* const kTypes[] = {L"BMP", L"GIF", L"ICO", L"JPG", L"PCX", L"TIF", L"WMF"};

std::wstring ProgramsGroup() {
  wchar_t programs[MAX_PATH];
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
  return std::wstring(programs) + L"\\Lumoscope";
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring WinIniLine(const wchar_t* type) {
  wchar_t line[MAX_PATH];
  GetProfileStringW(L"Extensions", type, L"", line, MAX_PATH);
  return line;
}

void Click(HWND dialog, const wchar_t* button) {
  HWND b = FindChildByText(dialog, button);
  ASSERT_NE(b, nullptr) << button;
  PostMessageW(b, BM_CLICK, 0, 0);
}

// Files that wait for the next start of Windows to be deleted.
std::vector<std::wstring> PendingDeletions() {
  std::vector<std::wstring> names;
  std::wstring data(32768, L'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kPending, L"PendingFileRenameOperations",
                   RRF_RT_REG_MULTI_SZ, nullptr, data.data(), &size) != ERROR_SUCCESS)
    return names;
  // Pairs of source and target; an empty target deletes the source.
  for (const wchar_t* p = data.c_str(); *p;) {
    const std::wstring from = p;
    p += from.size() + 1;
    const std::wstring to = p;
    p += to.size() + 1;
    if (to.empty()) names.push_back(from);
  }
  return names;
}

// Does now what the next start of Windows would do for the uninstaller.
void DeleteUninstallerAsAtRestart() {
  DeleteFileW((GetWindowsDir() + L"\\RAZUVUDE.EXE").c_str());
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPending, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, L"PendingFileRenameOperations");
  RegCloseKey(key);
}

}  // namespace

TEST(Setup, InstallUseAndUninstallLeaveNothingBehind) {
  const std::wstring setupExe = BinDir() + L"..\\setup\\LUMOS-SETUP.EXE";
  if (!FileExists(setupExe)) GTEST_SKIP() << "no setup program (makensis missing)";
  if (!PendingDeletions().empty()) DeleteUninstallerAsAtRestart();  // an earlier run's
  const std::wstring winIni = GetWindowsDir() + L"\\WIN.INI";
  const std::string winIniBefore = ::ReadFile(winIni);
  CreateDirectoryW(L"C:\\Test Dir", nullptr);
  // Another program's picture type: the setup leaves it unticked, the uninstall alone.
  WriteRegString(HKEY_CLASSES_ROOT, L".PCX", L"", L"Other.Picture");

  // NSIS takes everything after /D= as the directory, blanks included.
  Program setup(L"/S /D=" + std::wstring(kDir), SW_SHOWNORMAL, setupExe);
  ASSERT_TRUE(setup.WaitForExit(120000));
  ASSERT_EQ(setup.ExitCode(), 0u);
  EXPECT_TRUE(FileExists(kExe));
  EXPECT_TRUE(FileExists(std::wstring(kDir) + L"\\RSTRIM32.DLL"));
  EXPECT_TRUE(FileExists(GetWindowsDir() + L"\\RAZUVUDE.EXE"));
  EXPECT_TRUE(FileExists(ProgramsGroup() + L"\\Lumoscope.lnk"));
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\PMGroup", L""), L"Lumoscope");
  for (const wchar_t* type : kTypes) {
    const std::wstring ext = std::wstring(L".") + type;
    const bool other = ext == L".PCX";
    const std::wstring opener = other ? L"" : std::wstring(kExe) + L" ^" + ext;
    EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, ext, L""),
              other ? L"Other.Picture" : L"Lumoscope32");
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kExtensionsKey, ext), opener) << ext;
    EXPECT_EQ(WinIniLine(type), opener) << type;
  }

  {  // the program starts from there
    Program viewer(L"", SW_SHOWNORMAL, kExe);
    HWND main = viewer.FindWindowOf(L"TForm", L"Lumoscope32 - [Noname]", 30000);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, L""), kExe);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer.WaitForExit(20000));
  }

  Program uninstall(L"-u", SW_SHOWNORMAL, kExe);
  HWND confirm = uninstall.FindWindowOf(L"", L"Bestätigen", 30000);
  ASSERT_NE(confirm, nullptr);
  Click(confirm, L"&Ja");
  HWND handOver = uninstall.FindWindowOf(L"", L"Information", 30000);
  ASSERT_NE(handOver, nullptr);
  Click(handOver, L"OK");
  EXPECT_TRUE(uninstall.WaitForExit(20000));

  HWND report =
      FindTopWindow({0, L"RAZUVUDE.EXE", L"", L"Information"}, 60000, [] { return true; });
  ASSERT_NE(report, nullptr);
  EXPECT_NE(FindChildByText(report,
                            L"RAZUVUDE has removed Lumoscope from your drive.\r\rRemoved:\r"
                            L"C:\\Test Dir\\Lumoscope\\LUMOS32.EXE\r"
                            L"C:\\Test Dir\\Lumoscope\\RSTRIM32.DLL\r"
                            L"C:\\Test Dir\\Lumoscope"),
            nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(report, &pid);
  HANDLE uninstaller = OpenProcess(SYNCHRONIZE, FALSE, pid);
  Click(report, L"OK");
  EXPECT_EQ(WaitForSingleObject(uninstaller, 20000), WAIT_OBJECT_0);
  CloseHandle(uninstaller);

  // The shell deletes the group in its own time.
  for (int i = 0; i < 300 && Exists(ProgramsGroup()); ++i) Sleep(100);
  EXPECT_FALSE(Exists(ProgramsGroup()));
  EXPECT_FALSE(Exists(kDir));
  EXPECT_TRUE(RemoveDirectoryW(L"C:\\Test Dir")) << "not empty";
  EXPECT_FALSE(Exists(GetWindowsDir() + L"\\RAZUVUDE.LOG"));
  const auto pending = PendingDeletions();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(_wcsicmp(pending[0].c_str(), (L"\\??\\" + GetWindowsDir() + L"\\RAZUVUDE.EXE").c_str()),
            0)
      << pending[0];
  DeleteUninstallerAsAtRestart();
  for (const wchar_t* key : {L"Lumoscope32", L".BMP", L".GIF", L".ICO", L".JPG", L".TIF", L".WMF"})
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, key)) << key;
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L".PCX", L""), L"Other.Picture");
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  for (const wchar_t* type : kTypes) {
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kExtensionsKey, std::wstring(L".") + type), L"");
    EXPECT_EQ(WinIniLine(type), L"") << type;
  }
  EXPECT_EQ(::ReadFile(winIni), winIniBefore);
  DeleteRegKey(HKEY_CLASSES_ROOT, L".PCX");
}
