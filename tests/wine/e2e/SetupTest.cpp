// The whole life of an installation: the setup program, a start from there,
// "-u" answered Yes, the uninstaller, a new install before the next start of
// Windows and its uninstall; afterwards the machine is as before.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <tuple>

#include "Program.h"
#include "toolkit/CodePages.h"
#include "base/Handles.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "toolkit/FileExists.h"

using namespace util;

namespace {

const wchar_t kExe[] = L"C:\\Test Dir\\Lumoscope\\LUMOS32.EXE";
const wchar_t kPending[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kExtensions[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";
const wchar_t* const kTypes[] = {L"BMP", L"GIF", L"ICO", L"JPG", L"PCX", L"TIF", L"WMF"};
const std::pair<HKEY, const wchar_t*> kKeys[] = {{HKEY_CLASSES_ROOT, L"Lumoscope32"},
                                                 {HKEY_LOCAL_MACHINE, kAppPathsKey},
                                                 {HKEY_LOCAL_MACHINE, kUninstallKey}};

std::wstring Group() {
  wchar_t programs[MAX_PATH];
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
  return std::wstring(programs) + L"\\Lumoscope";
}

// The whole key, values and sub-keys, as reg.exe exports it.
std::string Exported(const std::wstring& key) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring file = TempDir(L"lumo-setup") + L"\\key.reg";
  DeleteFileW(file.c_str());
  Program(L"export " + key + L" \"" + file + L"\" /y", SW_HIDE, std::wstring(system) + L"\\reg.exe")
      .WaitForExit(30000);
  return ReadFile(file);
}

// Each picture type's key, Extensions value and WIN.INI line, the program's
// keys, its files and WIN.INI.
std::wstring State() {
  std::wstring state = tk::FromAnsi(ReadFile(GetWindowsDir() + L"\\WIN.INI"));
  for (const wchar_t* type : kTypes) {
    wchar_t line[MAX_PATH];
    GetProfileStringW(L"Extensions", type, L"", line, MAX_PATH);
    const std::wstring ext = std::wstring(L".") + type;
    state += L"\n" + ext + (RegKeyExists(HKEY_CLASSES_ROOT, ext) ? L" " : L" no key ") +
             ReadRegString(HKEY_CLASSES_ROOT, ext, L"") + L"|" +
             ReadRegString(HKEY_LOCAL_MACHINE, kExtensions, ext) + L"|" + line;
  }
  state += tk::FromAnsi(Exported(L"HKCR\\.BMP"));
  for (const auto& [root, key] : kKeys)
    if (RegKeyExists(root, key)) state += L"\n" + std::wstring(key);
  for (const std::wstring& path :
       {Group(), std::wstring(kExe), GetWindowsDir() + L"\\RAZUVUDE.EXE",
        GetWindowsDir() + L"\\RAZUVUDE.LOG", std::wstring(L"C:\\LUMOS32.EXE")})
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) state += L"\n" + path;
  return state;
}

// Does what the next start of Windows does with the files the uninstall left
// to it; returns their names.
std::wstring RestartDeletions() {
  std::wstring names(4096, L'\0');
  DWORD size = static_cast<DWORD>(names.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kPending, L"PendingFileRenameOperations",
                   RRF_RT_REG_MULTI_SZ, nullptr, names.data(), &size) != ERROR_SUCCESS)
    return L"";
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPending, L"PendingFileRenameOperations");
  // Pairs of a name ("\??\C:\...") and its new name, empty for a deletion.
  for (const wchar_t* p = names.c_str(); *p; p += wcslen(p) + 1) {
    const std::wstring from = p;
    p += wcslen(p) + 1;
    if (!*p) DeleteFileW(from.substr(from.rfind(L'\\', from.find(L':')) + 1).c_str());
  }
  return names;
}

void Click(HWND dialog, const wchar_t* button) {
  ASSERT_NE(dialog, nullptr) << button;
  PostMessageW(FindWindowIn(dialog, L"", button), BM_CLICK, 0, 0);
}

void Install(const std::wstring& params) {
  const std::wstring setupExe = BinDir() + L"..\\setup\\LUMOS-SETUP.EXE";
  // NSIS takes everything after /D= as the directory, blanks included.
  ASSERT_TRUE(Program(params, SW_SHOWNORMAL, setupExe).WaitForExit(120000));
}

// "-u" answered Yes, the hand-over acknowledged, the uninstaller's report.
void Uninstall() {
  Program uninstall(L"-u", SW_SHOWNORMAL, kExe);
  Click(uninstall.FindWindowOf(L"", L"Bestätigen", 30000), L"&Ja");
  Click(uninstall.FindWindowOf(L"", L"Information", 30000), L"OK");
  EXPECT_TRUE(uninstall.WaitForExit(20000));
  const std::wstring said =
      L"RAZUVUDE has removed Lumoscope from your drive.\r\rRemoved:\rC:\\Test Dir\\Lumoscope\\"
      L"LUMOS32.EXE\rC:\\Test Dir\\Lumoscope\\RSTRIM32.DLL\rC:\\Test Dir\\Lumoscope";
  HWND report = nullptr;  // RAZUVUDE's, once it shows its text
  for (int i = 0; i < 600 && !((report = FindWindowW(L"#32770", L"Information")) &&
                               FindWindowIn(report, L"", said));
       ++i)
    Sleep(100);
  ASSERT_NE(FindWindowIn(report, L"", said), nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(report, &pid);
  base::File uninstaller(OpenProcess(SYNCHRONIZE, FALSE, pid));
  Click(report, L"OK");
  EXPECT_EQ(WaitForSingleObject(uninstaller.get(), 20000), WAIT_OBJECT_0);
  for (int i = 0; i < 300 && GetFileAttributesW(Group().c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(100);  // the shell deletes the group in its own time
}

}  // namespace

TEST(Setup, InstallUseAndUninstallLeaveTheMachineAsItWas) {
  if (!tk::FileExists(BinDir() + L"..\\setup\\LUMOS-SETUP.EXE"))
    GTEST_SKIP() << "no setup program (makensis missing)";
  RestartDeletions();  // an earlier run's
  // A machine without the program: other tests have started it.
  for (const auto& [root, key] : kKeys) DeleteRegKey(root, key);
  for (const wchar_t* type : kTypes) {
    DeleteRegKey(HKEY_CLASSES_ROOT, std::wstring(L".") + type);
    DeleteRegValue(HKEY_LOCAL_MACHINE, kExtensions, std::wstring(L".") + type);
    WriteProfileStringW(L"Extensions", type, nullptr);
  }
  DeleteFileW((GetWindowsDir() + L"\\RAZUVUDE.LOG").c_str());
  CreateDirectoryW(L"C:\\Test Dir", nullptr);
  // Other programs' types, which the user ticks: the uninstall gives them back.
  WriteRegString(HKEY_CLASSES_ROOT, L".PCX", L"", L"Other.Picture");
  for (const auto& [key, value, text] : {std::tuple{L".BMP", L"", L"Other.Bitmap"},
                                         {L".BMP", L"Content Type", L"image/bmp"},
                                         {L".BMP", L"PerceivedType", L"image"},
                                         {L".BMP\\ShellNew", L"NullFile", L""},
                                         {L".BMP\\OpenWithProgids", L"Other.Bitmap", L""}})
    WriteRegString(HKEY_CLASSES_ROOT, key, value, text);
  WriteRegString(HKEY_LOCAL_MACHINE, kExtensions, L".BMP", L"other.exe ^.bmp");
  WriteProfileStringW(L"Extensions", L"BMP", L"other.exe ^.bmp");
  const std::wstring before = State();

  Install(L"/S /D=C:\\");  // refused: the uninstall removes the program's folder
  EXPECT_EQ(State(), before);
  Install(L"/S /ALLTYPES /D=C:\\Test Dir\\Lumoscope");
  EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, L".BMP", L"") + L"|" +
                ReadRegString(HKEY_LOCAL_MACHINE, kExtensions, L".BMP") + L"|" +
                ReadRegString(HKEY_CLASSES_ROOT, L".PCX", L"") + L"|" +
                ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation"),
            L"Lumoscope32|" + std::wstring(kExe) + L" ^.BMP|Lumoscope32|C:\\Test Dir\\Lumoscope");
  EXPECT_TRUE(tk::FileExists(Group() + L"\\Lumoscope.lnk"));
  WriteRegString(HKEY_CLASSES_ROOT, L".GIF", L"", L"lumoscope32");  // its own, in another case

  Program viewer(L"", SW_SHOWNORMAL, kExe);
  HWND main = viewer.FindWindowOf(L"TForm", L"Lumoscope32 - [Noname]", 30000);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(viewer.WaitForExit(20000));
  Uninstall();
  EXPECT_EQ(State(), before);

  // Installed again before the restart that deletes the old uninstaller: the
  // new one stays.
  Install(L"/S /ALLTYPES /D=C:\\Test Dir\\Lumoscope");
  EXPECT_EQ(RestartDeletions().find(GetWindowsDir() + L"\\RAZUVUDE.EXE"), std::wstring::npos);
  EXPECT_TRUE(tk::FileExists(GetWindowsDir() + L"\\RAZUVUDE.EXE"));
  Uninstall();
  RestartDeletions();
  EXPECT_EQ(State(), before);
  EXPECT_TRUE(RemoveDirectoryW(L"C:\\Test Dir")) << "not empty";
  DeleteRegKey(HKEY_CLASSES_ROOT, L".PCX");
  DeleteRegKey(HKEY_CLASSES_ROOT, L".BMP");
}
