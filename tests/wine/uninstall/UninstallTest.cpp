// UninstallProgram against the real registry and profile files of the prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "Files.h"
#include "Recorders.h"
#include "toolkit/Dde.h"
#include "toolkit/StdCtrls.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/Uninstall.h"

using namespace util;

namespace {

const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Extensions";

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char b : bytes)
    out += "0123456789ABCDEF"[b >> 4], out += "0123456789ABCDEF"[b & 15];
  return out;
}

// The stand-in Program Manager as a child process.
class ProgmanServer {
 public:
  ProgmanServer() {
    std::wstring cmd = L"\"" + BinDir() + L"progman_server.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    // Ready once it answers on its own topic.
    for (int i = 0; i < 300 && !Connect("LumoTest"); ++i) Sleep(100);
  }
  ~ProgmanServer() {
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 10000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  tk::DdeConversation Connect(const char* topic) {
    tk::DdeString service(dde_, "Progman"), t(dde_, topic);
    return tk::DdeConversation(DdeConnect(dde_.Id(), service.Get(), t.Get(), nullptr));
  }
  // The process that a client of the Program Manager's topic reaches.
  DWORD AnsweringProcess() {
    auto conv = Connect("PROGMAN");
    CONVINFO info{};
    info.cb = sizeof info;
    DWORD pid = 0;
    if (conv && DdeQueryConvInfo(conv.get(), QID_SYNC, &info))
      GetWindowThreadProcessId(info.hwndPartner, &pid);
    return pid;
  }
  DWORD Pid() const { return pi_.dwProcessId; }
  // What it received since the last call. Its answer comes after every
  // command posted to it before.
  std::string TakeRecord() {
    auto conv = Connect("LumoTest");
    tk::DdeString item(dde_, "Record");
    tk::DdeData data(DdeClientTransaction(nullptr, 0, conv.get(), item.Get(), CF_TEXT, XTYP_REQUEST,
                                          10000, nullptr));
    DWORD size = 0;
    const BYTE* text = data ? DdeAccessData(data.get(), &size) : nullptr;
    std::string record = text ? reinterpret_cast<const char*>(text) : "<no answer>";
    if (text) DdeUnaccessData(data.get());
    return record;
  }

 private:
  tk::DdeInstance dde_;
  PROCESS_INFORMATION pi_{};
};

class Uninstall : public ::testing::Test {
 protected:
  void SetUp() override {
    savedWinIni = ReadFile(winIni);
    WriteSystemEntriesFor(L"C:\\Program Files\\Lumo Un\\LUMOS32.EXE");
    WriteFile(UninstallerFileName(), "MZ");
  }
  void TearDown() override {
    if (savedWinIni != "<missing>") WriteFile(winIni, savedWinIni);
    DeleteFileW(UninstallerFileName().c_str());
    DeleteFileW(UninstallLogFileName().c_str());
    DeleteRegKey(HKEY_CLASSES_ROOT, L"Lumoscope32");
  }
  testing_support::Recorder& rec() { return services.rec(); }

  testing_support::RecordingServices services;
  const std::wstring winIni = GetWindowsDir() + L"\\WIN.INI";
  std::string savedWinIni;
};

}  // namespace

TEST_F(Uninstall, RemovesOnlyTheAssociationsThatNameTheProgram) {
  struct Row {
    const wchar_t* ext;
    const wchar_t* type;  // nullptr: no key
    bool removed;
  };
  const Row rows[] = {{L"BMP", L"Lumoscope32", true},  {L"GIF", L"LUMOSCOPE32", true},
                      {L"ICO", L"lumoscope32", true},  {L"JPG", L"Other.Picture", false},
                      {L"PCX", nullptr, false},        {L"TIF", L"", false},
                      {L"WMF", L"Lumoscope32x", false}};
  std::string ini = "[Extensions]\r\n", kept = ini;
  for (const auto& row : rows) {
    const std::wstring ext = std::wstring(L".") + row.ext;
    if (row.type) WriteRegString(HKEY_CLASSES_ROOT, ext, L"", row.type);
    WriteRegString(HKEY_LOCAL_MACHINE, kExtensionsKey, ext, L"x");
    // Where the system keeps the section (the registry on NT), and the file.
    WriteProfileStringW(L"Extensions", row.ext, L"x");
    ini += ToAnsi(row.ext) + "=x\r\n";
    if (!row.removed) kept += ToAnsi(row.ext) + "=x\r\n";
  }
  WriteFile(winIni, ini);
  UninstallProgram();
  EXPECT_EQ(ReadFile(winIni), kept);
  for (const auto& row : rows) {
    const std::wstring ext = std::wstring(L".") + row.ext;
    SCOPED_TRACE(ext);
    EXPECT_EQ(RegKeyExists(HKEY_CLASSES_ROOT, ext), row.type != nullptr && !row.removed);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kExtensionsKey, ext), row.removed ? L"" : L"x");
    wchar_t line[8];
    GetProfileStringW(L"Extensions", row.ext, L"", line, 8);
    EXPECT_STREQ(line, row.removed ? L"" : L"x");
    DeleteRegKey(HKEY_CLASSES_ROOT, ext);
    DeleteRegValue(HKEY_LOCAL_MACHINE, kExtensionsKey, ext);
    WriteProfileStringW(L"Extensions", row.ext, nullptr);
  }
}

TEST_F(Uninstall, RemovesItsEntriesAndHandsTheLogToTheUninstaller) {
  const std::pair<const wchar_t*, std::string> rows[] = {
      {L"C:\\Program Files\\Lumo Un\\LUMOS32.EXE",
       "*** Installation Started 1/1/96 00:00 ***\r\n"
       "Title: Lumoscope 1.1 -32 Installation\r\n"
       "Source: A:\\INST32.EXE\r\n"
       "Made Dir: C:\\Program Files\\Lumo Un\r\n"
       "File Copy: C:\\Program Files\\Lumo Un\\LUMOS32.EXE\r\n"
       "File Copy: C:\\Program Files\\Lumo Un\\LUMOS32.HLP\r\n"
       "File Copy: C:\\Program Files\\Lumo Un\\LUMOS32.CNT\r\n"
       "File Copy: C:\\Program Files\\Lumo Un\\LUMOS32.GID\r\n"
       "File Copy: C:\\Program Files\\Lumo Un\\RSTRIM32.DLL\r\n"},
      {L"D:\\LUMOS32.EXE",
       "*** Installation Started 1/1/96 00:00 ***\r\n"
       "Title: Lumoscope 1.1 -32 Installation\r\n"
       "Source: A:\\INST32.EXE\r\n"
       "Made Dir: D:\\\r\n"
       "File Copy: D:\\\\LUMOS32.EXE\r\n"
       "File Copy: D:\\\\LUMOS32.HLP\r\n"
       "File Copy: D:\\\\LUMOS32.CNT\r\n"
       "File Copy: D:\\\\LUMOS32.GID\r\n"
       "File Copy: D:\\\\RSTRIM32.DLL\r\n"}};
  const std::wstring winHelpIni = GetWindowsDir() + L"\\WINHELP.INI";
  for (const auto& [program, log] : rows) {
    rec() = {};
    WriteSystemEntriesFor(program);
    WriteProfileEntry(winHelpIni, L"Files", L"LUMOS32.HLP", ProgramDir());
    UninstallProgram();
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, L"Lumoscope32"));
    wchar_t line[MAX_PATH];
    GetPrivateProfileStringW(L"Files", L"LUMOS32.HLP", L"<none>", line, MAX_PATH,
                             winHelpIni.c_str());
    EXPECT_STREQ(line, L"<none>");
    EXPECT_EQ(ReadFile(UninstallLogFileName()), log);
    EXPECT_EQ(rec().beeps, std::vector<UINT>{MB_ICONASTERISK});
    ASSERT_EQ(rec().dialogs.size(), 1u);
    EXPECT_EQ(rec().dialogs[0].kind, tk::MsgKind::Information);
    EXPECT_EQ(rec().dialogs[0].text,
              L"Lumoscope has deleted its Windows-Entries !\r\rTo delete the Program-Path of "
              L"Lumoscope,\rLumoscope have to close itself and run RAZUVUDE.EXE,\rwhich will "
              L"delete the Lumoscope-Files from your Drive.\r\rPress OK to run RAZUVUDE.EXE");
    EXPECT_EQ(rec().shell, std::vector<std::wstring>{UninstallerFileName() + L" \"" +
                                                     UninstallLogFileName() + L"\""});
  }
}

TEST_F(Uninstall, WithoutUninstallerOrLogTheUserIsToldWhereTheFilesAre) {
  const std::wstring log = UninstallLogFileName(), uninstaller = UninstallerFileName();
  const std::function<void()> breakages[] = {
      [&] { DeleteFileW(uninstaller.c_str()); },
      [&] {  // the log cannot be created
        DeleteFileW(log.c_str());
        CreateDirectoryW(log.c_str(), nullptr);
      },
  };
  for (const auto& breakage : breakages) {
    rec() = {};
    breakage();
    UninstallProgram();
    EXPECT_EQ(rec().beeps, std::vector<UINT>{MB_ICONHAND});
    ASSERT_EQ(rec().dialogs.size(), 1u);
    EXPECT_EQ(rec().dialogs[0].kind, tk::MsgKind::Error);
    EXPECT_EQ(rec().dialogs[0].text,
              L"Error running RAZUVUDE.EXE with the LOG-File !\r\rTo finish the Unistall Process "
              L"you have to delete,\rthe Program-Path of Lumoscope manually.\rThe Files are "
              L"located in the Path: C:\\Program Files\\Lumo Un\r\r");
    EXPECT_TRUE(rec().shell.empty());
    RemoveDirectoryW(log.c_str());
    WriteFile(uninstaller, "MZ");
  }
}

TEST_F(Uninstall, AFailedLogWriteRaisesTheToolkitsErrorNamingTheFile) {
  const std::wstring name = TempDir(L"lumo-un") + L"\\READONLY.LOG";
  WriteFile(name, "");
  tk::File readOnly(
      CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  try {
    WriteUninstallLog(readOnly.get(), name, L"C:\\Lumo");
    ADD_FAILURE() << "no error";
  } catch (const tk::EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find(ToAnsi(name)), std::string::npos) << e.what();
  }
}

TEST_F(Uninstall, AsksTheProgramManagerOnlyForASafeGroupName) {
  ProgmanServer server;
  ASSERT_EQ(server.AnsweringProcess(), server.Pid()) << "another Progman server answers first";
  server.TakeRecord();
  const std::pair<const wchar_t*, std::string> rows[] = {
      {nullptr, ""},  // no PMGroup key: no conversation
      {L"Lumo Group",
       "connect execute:" + Hex(std::string("[DeleteGroup(Lumo Group)]\r\n", 28)) + " "},
      {L"X)][DeleteGroup(Other", ""},
      {L"..\\Startup", ""},
      {L"", ""},
  };
  for (const auto& [group, record] : rows) {
    if (group) WriteRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\PMGroup", L"", group);
    UninstallProgram();
    EXPECT_EQ(server.TakeRecord(), record) << (group ? group : L"<no key>");
  }
}
