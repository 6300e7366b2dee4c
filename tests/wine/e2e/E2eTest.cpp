// Starts the real program and drives it by window messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
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
  // Every start writes the entries for the program's real location.
  EXPECT_EQ(util::ReadRegString(HKEY_LOCAL_MACHINE, util::kAppPathsKey, L""), ExePath());
  EXPECT_EQ(util::ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L""),
            L"\"" + ExePath() + L"\" \"%1\"");
  const std::wstring dir = util::ProgramDirOf(ExePath());
  EXPECT_EQ(util::ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\EXEPath", L""), dir);
  EXPECT_EQ(util::ReadRegString(HKEY_LOCAL_MACHINE, util::kAppPathsKey, L"Path"), dir);
  EXPECT_EQ(util::ReadRegString(HKEY_LOCAL_MACHINE, util::kUninstallKey, L"DisplayName"),
            L"Lumoscope 1.1 -32");
  EXPECT_EQ(util::ReadRegString(HKEY_LOCAL_MACHINE, util::kUninstallKey, L"UninstallString"),
            L"\"" + ExePath() + L"\" -u");
  EXPECT_EQ(util::ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32", L""), L"Lumoscope Picture File");
  EXPECT_EQ(util::ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\Version", L""), L"1.1a");
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

TEST(EndToEnd, APictureOnTheCommandLineIsSelectedInItsDirectory) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"lumo cmd line";
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring pic = dir + L"\\pic.bmp";
  HANDLE h = CreateFileW(pic.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  Program p(L"\"" + pic + L"\"");
  HWND main = p.FindWindowOf(L"TForm", L"", 30000);
  ASSERT_NE(main, nullptr);
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
  EXPECT_STREQ(item, L"pic.bmp");
  EXPECT_EQ(TextOf(edit), L"PIC.BMP");
  HWND pathLabel = nullptr;
  for (HWND panel = FindWindowExW(main, nullptr, L"TPanel", nullptr); panel;
       panel = FindWindowExW(main, panel, L"TPanel", nullptr)) {
    HWND first = FindWindowExW(panel, nullptr, L"Static", L"Path:");
    if (first) pathLabel = FindWindowExW(panel, first, L"Static", nullptr);
  }
  ASSERT_NE(pathLabel, nullptr);
  EXPECT_EQ(_wcsicmp(TextOf(pathLabel).c_str(), util::ShortenPath(dir, 30).c_str()), 0)
      << TextOf(pathLabel);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(p.WaitForExit(20000));
  DeleteFileW(pic.c_str());
  RemoveDirectoryW(dir.c_str());
}
