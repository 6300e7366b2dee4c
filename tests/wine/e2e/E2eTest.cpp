// Starts the real program and drives it by window messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "Program.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"

TEST(EndToEnd, StartsShowsTheMainWindowAndEndsOnExit) {
  Program p(L"");
  ASSERT_TRUE(p.Started());
  HWND main = p.FindWindowOf(L"TForm", L"Lumoscope32 - [Noname]", 30000);
  ASSERT_NE(main, nullptr);
  RECT rc;
  GetClientRect(main, &rc);
  EXPECT_EQ(rc.right, 598);
  EXPECT_EQ(rc.bottom, 449);
  // Every start writes the entries (each value is the system-entry tests') for its real location.
  EXPECT_EQ(util::ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L""),
            L"\"" + ExePath() + L"\" \"%1\"");
  HWND exitButton = FindChildByText(main, L"E &X I T");
  ASSERT_NE(exitButton, nullptr);
  PostMessageW(exitButton, BM_CLICK, 0, 0);
  EXPECT_TRUE(p.WaitForExit(20000));
}

TEST(EndToEnd, MinimisedStartShowsAMinimisedWindow) {
  Program p(L"", SW_SHOWMINNOACTIVE);
  HWND main = p.FindWindowOf(L"TForm", L"", 30000);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsIconic(main));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit(20000));
}

TEST(EndToEnd, UninstallAnsweredNoEndsWithoutAWindow) {
  Program p(L"-u");
  ASSERT_TRUE(p.Started());
  HWND dlg = p.FindWindowOf(L"", L"Bestätigen", 30000);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(p.FindWindowOf(L"TForm", L"", 0), nullptr);
  EXPECT_NE(FindChildByText(dlg, L"&Ja"), nullptr);
  HWND no = FindChildByText(dlg, L"&Nein");
  ASSERT_NE(no, nullptr);
  EXPECT_NE(FindChildByText(dlg,
                            L"Lumoscope -32 is going to delete itself from your system.\r"
                            L"Do you want to proceed the Uninstall process ?"),
            nullptr);
  PostMessageW(no, BM_CLICK, 0, 0);
  EXPECT_TRUE(p.WaitForExit(20000));
  EXPECT_EQ(p.FindWindowOf(L"TForm", L"", 0), nullptr);
}

TEST(EndToEnd, AQuotedPathWithBlanksIsOneParameter) {
  // The uninstall switch inside quotes with a blank is no switch: the window shows.
  Program p(L"\"-u x\"");
  HWND main = p.FindWindowOf(L"TForm", L"Lumoscope32 - [Noname]", 30000);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit(20000));
}

namespace {

HWND FindChildOfClass(HWND parent, const wchar_t* cls) {
  return FindWindowExW(parent, nullptr, cls, nullptr);
}

// WM_GETTEXT: GetWindowText does not ask a window of another process.
std::wstring TextOf(HWND w) {
  wchar_t buf[512] = {};
  SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
  return buf;
}

}  // namespace

TEST(EndToEnd, APictureOnTheCommandLineIsSelectedInItsDirectoryAndShown) {
  wchar_t temp[MAX_PATH], prefix[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"lumo cmd line";
  CreateDirectoryW(dir.c_str(), nullptr);
  // Wine serves \\localhost\lumo from dosdevices\unc\localhost\lumo of its prefix.
  std::wstring unc;
  if (GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) {
    unc = L"\\\\?\\unix" + std::wstring(prefix) + L"\\dosdevices";
    std::replace(unc.begin(), unc.end(), L'/', L'\\');
    for (const wchar_t* part : {L"\\unc", L"\\localhost", L"\\lumo"})
      CreateDirectoryW((unc += part).c_str(), nullptr);
  }
  const std::string bmp =
      std::string(
          "BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\2\0\0\0\2\0\0\0\1\0\x18\0\0\0\0\0"
          "\x10\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0",
          54) +
      std::string(16, '\x7f');
  // A 2 x 2 bitmap shows; a damaged one gives its message and the empty
  // state; a network path has no drive for the drive box, and no error.
  for (const auto& [folder, name, bytes, title, status] :
       {std::tuple{dir, L"pic.bmp", bmp, L"Lumoscope32 - [PIC.BMP]", L"Picture-Info:  2x2x16M"},
        {dir, L"bad.bmp", bmp.substr(0, 20), L"Lumoscope32 - [Noname]", L"Picture-Info:"},
        {std::wstring(unc.empty() ? L"" : L"\\\\localhost\\lumo"), L"net.bmp", bmp,
         L"Lumoscope32 - [NET.BMP]", L"Picture-Info:  2x2x16M"}}) {
    if (folder.empty()) continue;
    const std::wstring pic = folder + L"\\" + name;
    HANDLE h = CreateFileW(pic.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);

    Program p(L"\"" + pic + L"\"");
    // Every message box the load shows is answered; one is the program's own.
    int boxes = 0, own = 0;
    while (HWND box = p.FindWindowOf(L"#32770", L"", 3000)) {
      ++boxes;
      own += FindChildByText(box, util::UpperAscii(name) + L" is not a valid Bitmapfile !") != 0;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      Sleep(200);
    }
    EXPECT_EQ(own, name[0] == L'b' ? 1 : 0);
    EXPECT_EQ(boxes > 0, own > 0);
    HWND main = p.FindWindowOf(L"TForm", title, 30000);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(FindChildByText(main, status), nullptr);
    // The browser panel holds the drive box, the name box and the list.
    HWND list = nullptr, edit = nullptr;
    for (HWND panel = FindWindowExW(main, nullptr, L"TPanel", nullptr); panel && !list;
         panel = FindWindowExW(main, panel, L"TPanel", nullptr)) {
      list = FindChildOfClass(panel, L"ListBox");
      edit = FindChildOfClass(panel, L"Edit");
    }
    ASSERT_NE(list, nullptr);
    const LRESULT sel = SendMessageW(list, LB_GETCURSEL, 0, 0);
    ASSERT_GE(sel, 0);
    wchar_t item[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, name);
    EXPECT_EQ(TextOf(edit), util::UpperAscii(name));
    HWND pathLabel = nullptr;
    for (HWND panel = FindWindowExW(main, nullptr, L"TPanel", nullptr); panel;
         panel = FindWindowExW(main, panel, L"TPanel", nullptr)) {
      HWND first = FindWindowExW(panel, nullptr, L"Static", L"Path:");
      if (first) pathLabel = FindWindowExW(panel, first, L"Static", nullptr);
    }
    ASSERT_NE(pathLabel, nullptr);
    EXPECT_EQ(_wcsicmp(TextOf(pathLabel).c_str(), util::ShortenPath(folder, 30).c_str()), 0)
        << TextOf(pathLabel);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.WaitForExit(20000));
    DeleteFileW(pic.c_str());
  }
  RemoveDirectoryW(dir.c_str());
}
