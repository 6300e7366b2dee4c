// UninstallProgram against the prefix's registry and files, with a stand-in
// Program Manager.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "Program.h"
#include "Recorders.h"
#include "toolkit/Dde.h"
#include "toolkit/portable/Errors.h"
#include "uninstaller/Razuvude.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/Uninstall.h"
#include "toolkit/FileExists.h"

using namespace util;

namespace {

// What the stand-in received since the last call, asked through a
// conversation on the topic; empty when no stand-in answers.
std::string Take(const char* topic = "LumoTest") {
  tk::DdeInstance dde;
  tk::DdeString service(dde, "Progman"), t(dde, topic), item(dde, "Record");
  tk::DdeConversation conv(DdeConnect(dde.Id(), service.Get(), t.Get(), nullptr));
  tk::DdeData data(conv ? DdeClientTransaction(nullptr, 0, conv.get(), item.Get(), CF_TEXT,
                                               XTYP_REQUEST, 10000, nullptr)
                        : nullptr);
  std::string bytes(data ? DdeGetData(data.get(), nullptr, 0, 0) : 0, '\0');
  if (data) DdeGetData(data.get(), reinterpret_cast<BYTE*>(bytes.data()), bytes.size(), 0);
  return bytes;
}

}  // namespace

TEST(Uninstall, HandsOverToTheUninstallerOrSaysWhereTheFilesAre) {
  testing_support::RecordingServices services;
  auto& rec = services.rec();
  const std::wstring log = UninstallLogFileName(), uninstaller = UninstallerFileName();
  Program progman(L"", SW_SHOWNORMAL, BinDir() + L"progman_server.exe");
  for (int i = 0; i < 300 && Take().empty(); ++i) Sleep(100);  // until it serves
  ASSERT_EQ(Take("PROGMAN"), "record:connect ") << "the stand-in must answer first";
  const std::wstring byHand =
      L"Error running RAZUVUDE.EXE with the LOG-File !\r\rTo finish the Unistall Process you "
      L"have to delete,\rthe Program-Path of Lumoscope manually.\rThe Files are located in the "
      L"Path: D:\\\r\r";
  const std::string handedOver =
      "*** Installation Started 1/1/96 00:00 ***\r\nTitle: Lumoscope 1.1 -32 Installation\r\n"
      "Source: A:\\INST32.EXE\r\nMade Dir: D:\\\r\nFile Copy: D:\\\\LUMOS32.EXE\r\n"
      "File Copy: D:\\\\LUMOS32.HLP\r\nFile Copy: D:\\\\LUMOS32.CNT\r\n"
      "File Copy: D:\\\\LUMOS32.GID\r\nFile Copy: D:\\\\RSTRIM32.DLL\r\n";
  const std::wstring handOver =
      L"Lumoscope has deleted its Windows-Entries !\r\rTo delete the Program-Path of Lumoscope,"
      L"\rLumoscope have to close itself and run RAZUVUDE.EXE,\rwhich will delete the "
      L"Lumoscope-Files from your Drive.\r\rPress OK to run RAZUVUDE.EXE";
  const std::wstring started = uninstaller + L" \"" + log + L"\"";
  const struct {
    const wchar_t* group;  // nullptr: no key
    std::function<void()> breakage;
    std::string record, log;
    UINT beep;
    std::wstring text, shell;
  } runs[] = {{L"Lumo Group", [] {},
               "record:connect execute:" + std::string("[DeleteGroup(Lumo Group)]\r\n", 28),
               handedOver, MB_ICONASTERISK, handOver, started},
              // Best-fit ANSI would turn these into brackets or into "..": nothing is sent.
              {L"X\xFF09\xFF3D\xFF3B"
               L"DeleteGroup\xFF08"
               L"Other",
               [] {}, "record:", handedOver, MB_ICONASTERISK, handOver, started},
              {L"\xFF0E\xFF0E", [] {}, "record:", handedOver, MB_ICONASTERISK, handOver, started},
              {L"X)][DeleteGroup(Other", [&] { DeleteFileW(uninstaller.c_str()); }, "record:", "",
               MB_ICONHAND, byHand, L""},
              {nullptr, [&] { CreateDirectoryW(log.c_str(), nullptr); }, "record:", "<missing>",
               MB_ICONHAND, byHand, L""}};
  for (const auto& run : runs) {
    rec = {};
    WriteSystemEntriesFor(L"D:\\LUMOS32.EXE");
    if (run.group) WriteRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\PMGroup", L"", run.group);
    DeleteFileW(log.c_str());
    WriteFile(uninstaller, "MZ");
    run.breakage();
    UninstallProgram();
    EXPECT_EQ(Take(), run.record);
    EXPECT_EQ(ReadFile(log), run.log);
    EXPECT_EQ(rec.beeps, std::vector<UINT>{run.beep});
    // No assertion may end the loop: the clean-up below must run.
    EXPECT_EQ(rec.dialogs.size() == 1 ? rec.dialogs[0].text : L"not one dialog", run.text);
    EXPECT_EQ(rec.shell.empty() ? L"" : rec.shell[0], run.shell);
  }
  RemoveDirectoryW(log.c_str());
  DeleteFileW(uninstaller.c_str());
}

TEST(Uninstall, AFailedLogWriteRaisesTheToolkitsError) {
  const std::wstring name = TempDir(L"lumo-un") + L"\\READ.LOG";
  WriteFile(name, "");
  base::File readOnly(
      CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_THROW(WriteUninstallLog(readOnly.get(), name, "x"), tk::EInOutError);
}

// Program folders whose names the ANSI code page may not hold: the uninstaller
// reaches the real folder through its short name, or the user is told which
// folder to delete; the folders a best-fit name would give are never touched.
TEST(Uninstall, TheUninstallerReachesTheRealFolderOrNone) {
  testing_support::RecordingServices services;
  const std::wstring base = TempDir(L"lumo-names"), log = UninstallLogFileName();
  for (const wchar_t* decoy : {L"\\Pics", L"\\Lukasz"}) {
    CreateDirectoryW((base + decoy).c_str(), nullptr);
    WriteFile(base + decoy + L"\\LUMOS32.EXE", "x");
  }
  using tk::MsgKind;
  // Warning: a file of the user's stays in the folder; Error: no hand-over.
  const std::pair<const wchar_t*, MsgKind> rows[] = {
      {L"\\Plain", MsgKind::Information},
      {L"\\With Blank", MsgKind::Warning},
      {L"\\\xFF30\xFF49\xFF43\xFF53", MsgKind::Information},
      {L"\\\x0141ukasz", MsgKind::Warning},
      {L"\\\xFF27\xFF4F\xFF4E\xFF45", MsgKind::Error}};  // no short name to be had
  for (const auto& [folder, kind] : rows) {
    const std::wstring dir = base + folder, mine = dir + L"\\MINE.TXT";
    if (kind != MsgKind::Error) CreateDirectoryW(dir.c_str(), nullptr);
    for (const wchar_t* file : {L"\\LUMOS32.EXE", L"\\RSTRIM32.DLL"}) WriteFile(dir + file, "x");
    if (kind == MsgKind::Warning) WriteFile(mine, "x");
    services.rec() = {};
    WriteSystemEntriesFor(dir + L"\\LUMOS32.EXE");
    WriteFile(UninstallerFileName(), "MZ");
    UninstallProgram();
    if (kind == MsgKind::Error) {
      EXPECT_EQ(ReadFile(log), "");
      EXPECT_NE(services.rec().dialogs.at(0).text.find(L"Path: " + dir + L"\r\r"),
                std::wstring::npos);
      continue;
    }
    const razuvude::Report report = razuvude::Uninstall(log, {});
    EXPECT_EQ(report.kind, kind) << report.text;
    EXPECT_FALSE(tk::FileExists(dir + L"\\LUMOS32.EXE")) << report.text;
    EXPECT_EQ(tk::FileExists(mine), kind == MsgKind::Warning);
    DeleteFileW(mine.c_str());
    RemoveDirectoryW(dir.c_str());
  }
  for (const wchar_t* decoy : {L"\\Pics", L"\\Lukasz"})
    EXPECT_TRUE(tk::FileExists(base + decoy + L"\\LUMOS32.EXE")) << decoy;
  DeleteFileW(UninstallerFileName().c_str());
  DeleteFileW(log.c_str());
}
