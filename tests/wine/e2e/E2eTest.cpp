// Starts the real program and drives it by window messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "Program.h"
#include "util/Support.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"
#include "toolkit/portable/FileName.h"

// The uninstall switch inside quotes with a blank is no switch: the window
// shows, minimised as the program was started.
TEST(EndToEnd, StartsShowsTheMainWindowAndEndsOnExit) {
  for (const auto& [args, show] :
       {std::pair{L"", SW_SHOWNORMAL}, {L"\"-u x\"", SW_SHOWMINNOACTIVE}}) {
    Program p(args, show);
    HWND main = p.FindWindowOf(L"TForm", L"Lumoscope32 - [Noname]", 30000);
    ASSERT_NE(main, nullptr);
    RECT rc;
    GetClientRect(main, &rc);
    // The client size when shown normally; no size when minimised.
    EXPECT_EQ(IsIconic(main) ? std::pair(0L, 0L) : std::pair(rc.right, rc.bottom),
              show == SW_SHOWNORMAL ? std::pair(598L, 449L) : std::pair(0L, 0L));
    // Every start writes the entries for its real location.
    EXPECT_EQ(util::ReadRegString(HKEY_CLASSES_ROOT, L"Lumoscope32\\shell\\open\\command", L""),
              L"\"" + ExePath() + L"\" \"%1\"");
    PostMessageW(FindWindowIn(main, L"", L"E &X I T"), BM_CLICK, 0, 0);
    EXPECT_TRUE(p.WaitForExit(20000));
  }
}

TEST(EndToEnd, UninstallAnsweredNoEndsWithoutAWindow) {
  Program p(L"-u");
  HWND dlg = p.FindWindowOf(L"", L"Bestätigen", 30000);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(p.FindWindowOf(L"TForm", L"", 0), nullptr);
  HWND no = FindWindowIn(dlg, L"", L"&Nein");
  ASSERT_NE(no, nullptr);
  EXPECT_NE(FindWindowIn(dlg, L"",
                         L"Lumoscope -32 is going to delete itself from your system.\r"
                         L"Do you want to proceed the Uninstall process ?"),
            nullptr);
  PostMessageW(no, BM_CLICK, 0, 0);
  EXPECT_TRUE(p.WaitForExit(20000));
}

// Pictures written under a folder with blanks and, where Wine serves it, a
// network share.
TEST(CommandLine, APictureIsSelectedInItsDirectoryAndShown) {
  const std::wstring dir = TempDir(L"lumo cmd line");
  // Wine serves \\localhost\lumo from dosdevices\unc\localhost\lumo of its prefix.
  wchar_t prefix[MAX_PATH];
  std::wstring unc;
  if (GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) {
    unc = L"\\\\?\\unix" + std::wstring(prefix) + L"\\dosdevices";
    std::replace(unc.begin(), unc.end(), L'/', L'\\');
    for (const wchar_t* part : {L"\\unc", L"\\localhost", L"\\lumo"})
      CreateDirectoryW((unc += part).c_str(), nullptr);
  }
  const std::string bmp = ReadData(L"bmp-topdown.bmp");  // 2 x 2, 24 bits
  // A 2 x 2 bitmap shows; a damaged one gives its message and the empty
  // state; a network path has no drive for the drive box, and no error.
  for (const auto& [folder, name, bytes, title, status] :
       {std::tuple{dir, L"pic.bmp", bmp, L"Lumoscope32 - [PIC.BMP]", L"Picture-Info:  2x2x16M"},
        {dir, L"bad.bmp", bmp.substr(0, 20), L"Lumoscope32 - [Noname]", L"Picture-Info:"},
        {std::wstring(unc.empty() ? L"" : L"\\\\localhost\\lumo"), L"net.bmp", bmp,
         L"Lumoscope32 - [NET.BMP]", L"Picture-Info:  2x2x16M"}}) {
    if (folder.empty()) continue;
    const std::wstring path = folder + L"\\" + name;
    WriteFile(path, bytes);
    Program p(L"\"" + path + L"\"");
    // Every message box the load shows is answered; one is the program's own.
    int boxes = 0, own = 0;
    while (HWND box = p.FindWindowOf(L"#32770", L"", 3000)) {
      ++boxes;
      own += FindWindowIn(box, L"", tk::UpperAscii(name) + L" is not a valid Bitmapfile !") != 0;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      Sleep(200);
    }
    EXPECT_EQ(own, name[0] == L'b' ? 1 : 0);
    EXPECT_EQ(boxes > 0, own > 0);
    HWND main = p.FindWindowOf(L"TForm", title, 30000);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(FindWindowIn(main, L"", status), nullptr);
    // The list selects the picture, the name box shows it, the label its directory.
    HWND list = FindWindowIn(main, L"ListBox");
    ASSERT_NE(list, nullptr);
    const LRESULT sel = SendMessageW(list, LB_GETCURSEL, 0, 0);
    ASSERT_GE(sel, 0);
    wchar_t item[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, name);
    EXPECT_EQ(TextOf(FindWindowIn(main, L"Edit")), tk::UpperAscii(name));
    const std::wstring label = TextOf(FindWindowIn(main, L"Static", L"", L"Path:"));
    EXPECT_EQ(_wcsicmp(label.c_str(), util::ShortenPath(folder, 30).c_str()), 0) << label;
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.WaitForExit(20000));
    DeleteFileW(path.c_str());
  }
}
