#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "AppFixture.h"
#include "Program.h"
#include "tests/wine/imagectl/ImageFixture.h"
#include "toolkit/portable/FileName.h"

using imagectl_test::Bytes;
using imagectl_test::Put;

WORD Form1Fixture::showState = SW_SHOWNORMAL;

// What the layout data cannot say alone: the fixed frame, the application's
// title, the controls that wait for a picture and the tab order once they are
// enabled. (The client size and the window's title are the end-to-end test's.)
// The system menu has no Size; About beeps and informs, a near miss in the low
// bits does nothing. STRETCH, by click or Alt+S, switches the lamp (whose paint
// is the toolkit's panel test); Alt+X ends. Of the show states the program may
// be started with, minimised and maximised are honoured, every other shows the
// window normally.
TEST_F(Form1Fixture, StartsWithoutAPictureAndAnswersItsMenuAndKeys) {
  TForm1& f = Make();
  const LONG style = GetWindowLongW(f.Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_CAPTION | WS_MINIMIZEBOX), WS_CAPTION | WS_MINIMIZEBOX);
  EXPECT_EQ(tk::Application::Instance().Title(), L"Lumoscope32 - [Noname]");
  EXPECT_FALSE(IsWindowEnabled(f.ButtonVollbild->Handle()) ||
               IsWindowEnabled(f.ButtonCpy->Handle()) || IsWindowVisible(f.PMultiImage1->Handle()));
  EXPECT_TRUE(GetWindowLongW(f.Edit1->Handle(), GWL_STYLE) & ES_UPPERCASE);
  EXPECT_EQ(SendMessageW(f.FileListBox1->Handle(), LB_GETITEMHEIGHT, 0, 0), 16);
  f.ButtonVollbild->SetEnabled(true);
  f.ButtonCpy->SetEnabled(true);
  std::vector<HWND> order = {GetFocus()};
  while (order.size() < 9 && (order.size() == 1 || order.back() != order[0]))
    order.push_back(GetNextDlgTabItem(f.Handle(), order.back(), FALSE));
  EXPECT_EQ(order, (std::vector<HWND>{f.Edit1->Handle(), f.FileListBox1->Handle(),
                                      f.BtnStretch->Handle(), f.ButtonVollbild->Handle(),
                                      f.ButtonExit->Handle(), f.ButtonCpy->Handle(),
                                      f.DriveComboBox1->Handle(), f.Edit1->Handle()}));
  HMENU m = GetSystemMenu(f.Handle(), FALSE);
  std::wstring menu;  // Size gone, the others kept; a separator, About, and Help
  for (UINT cmd : {SC_SIZE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE})
    menu += GetMenuState(m, cmd, MF_BYCOMMAND) == static_cast<UINT>(-1) ? L"-" : L"+";
  for (int i = GetMenuItemCount(m) - 3; i < GetMenuItemCount(m); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(m, i, text, 64, MF_BYPOSITION);
    const UINT state = GetMenuState(m, i, MF_BYPOSITION);
    menu += L"|" + std::to_wstring(GetMenuItemID(m, i)) + L" " + text +
            (state & MF_SEPARATOR ? L"separator"
             : state & MF_GRAYED  ? L" (grey)"
                                  : L"");
  }
  // No help file beside the program: the Help command is greyed.
  EXPECT_EQ(menu, L"-++++|0 separator|" + std::to_wstring(kAboutCommand) +
                      L" About &Lumoscope ...|" + std::to_wstring(kHelpCommand) +
                      L" Lumoscope &Help (grey)");
  Post(f.Handle(), WM_SYSCOMMAND, kAboutCommand);
  Post(f.Handle(), WM_SYSCOMMAND, kAboutCommand | 1);
  auto& rec = services.rec();
  ASSERT_EQ(rec.dialogs.size(), 1u);
  EXPECT_EQ(rec.dialogs[0].text, L"Lumoscope V 1.1a -32 for Windows");
  EXPECT_TRUE(rec.dialogs[0].kind == tk::MsgKind::Information &&
              rec.dialogs[0].buttons == tk::mbOK &&
              rec.beeps == std::vector<UINT>{MB_ICONASTERISK});
  EXPECT_EQ(f.PanelLED->GetColor(), tk::clMaroon);
  f.BtnStretch->Perform(BM_CLICK);
  EXPECT_TRUE(f.PanelLED->GetColor() == tk::clRed && GetFocus() == f.FileListBox1->Handle());
  Post(f.Edit1->Handle(), WM_SYSCHAR, 's', 1 << 29);  // as the keyboard delivers Alt+S
  EXPECT_EQ(f.PanelLED->GetColor(), tk::clMaroon);
  Post(f.FileListBox1->Handle(), WM_SYSCHAR, 'x', 1 << 29);
  EXPECT_FALSE(f.HandleAllocated());
  std::wstring commands;
  for (int state :
       {SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED, SW_HIDE, SW_SHOWNORMAL,
        SW_SHOWNOACTIVATE, SW_SHOW, SW_SHOWNA, SW_RESTORE, SW_SHOWDEFAULT, 99})
    commands += std::to_wstring(StartupShowCommand(static_cast<WORD>(state))) + L" ";
  EXPECT_EQ(commands, L"6 6 6 3 0 0 0 0 0 0 0 0 ");
}

// Started maximised (a minimised start is the end-to-end test's), with help.
TEST_F(Form1Fixture, StartedMaximisedWithHelpContentsTopicsAndQuit) {
  WriteFile(programDir + L"\\LUMOS32.HLP", "help");
  WriteFile(programDir + L"\\LUMOS32.CNT", "contents");
  TForm1& f = Make(SW_SHOWMAXIMIZED);
  EXPECT_EQ(tk::Application::Instance().helpFile, programDir + L"\\LUMOS32.HLP>Window1");
  EXPECT_TRUE(
      IsZoomed(f.Handle()) &&
      !(GetMenuState(GetSystemMenu(f.Handle(), FALSE), kHelpCommand, MF_BYCOMMAND) & MF_GRAYED));
  Post(f.Handle(), WM_SYSCOMMAND, kHelpCommand);
  // F1 over the file list asks for topic 130, over a button for 120.
  for (HWND c : {f.FileListBox1->Handle(), f.BtnStretch->Handle()}) {
    SetFocus(c);
    Post(c, WM_KEYDOWN, VK_F1);
  }
  f.ButtonExit->Perform(BM_CLICK);  // closing the window closes the help viewer
  std::wstring calls;
  for (const auto& h : services.rec().help)
    calls += h.file.substr(programDir.size()) + L" " + std::to_wstring(h.command) + L" " +
             std::to_wstring(h.data) + L"|";
  EXPECT_EQ(calls,
            L"\\LUMOS32.HLP>main 11 0|\\LUMOS32.HLP>Window1 1 130|\\LUMOS32.HLP>Window1 1 120|"
            L"\\LUMOS32.HLP>Window1 2 0|");
}

// ---- viewing a picture: loading into the pane, the full-screen view

namespace {

// Seen while FULLVIEW's window was up: maximised, shown and the main window
// disabled; then it closes the window.
bool shownModally = false;
void CALLBACK CloseForm2(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  shownModally = IsZoomed(Form2->Handle()) && IsWindowVisible(Form2->Handle()) &&
                 !IsWindowEnabled(Form1->Handle());
  PostMessageW(Form2->Handle(), WM_CLOSE, 0, 0);
}

// Status line, title, pane and image sizes, scroll bars, and whether the
// picture shows with FULLVIEW and COPY enabled.
std::wstring State(TForm1& f) {
  std::wstring s = f.Panel5->Caption() + L" | " + TextOf(f.Handle()) + L" |";
  for (HWND w : {f.Panel1->Handle(), f.PMultiImage1->Handle()}) {
    RECT r;
    GetWindowRect(w, &r);
    s += L" " + std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top);
  }
  const bool bars = GetWindowLongW(f.Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL);
  const bool shown =
      f.PMultiImage1->Visible() && f.ButtonCpy->Enabled() && f.ButtonVollbild->Enabled();
  return s + (bars ? L" bars" : L"") + (shown ? L" shown" : L"");
}

// A picture larger than the window by extra (smaller when negative): start,
// key, new position.
const std::array<int, 6> kPans[] = {
    {15, 0, 0, VK_DOWN, 0, -2},    {15, 0, -15, VK_DOWN, 0, -15}, {15, 0, -2, VK_UP, 0, 0},
    {15, 0, 0, VK_UP, 0, 0},       {15, 0, 0, VK_RIGHT, -2, 0},   {15, -2, 0, VK_LEFT, 0, 0},
    {15, 0, 0, VK_NEXT, 0, -10},   {15, 0, -10, VK_NEXT, 0, -15}, {9, 0, 0, VK_NEXT, 0, -9},
    {15, 0, -15, VK_PRIOR, 0, -5}, {15, 0, -9, VK_PRIOR, 0, 0},   {15, 0, 0, VK_END, -10, 0},
    {15, -10, 0, VK_END, -15, 0},  {15, -15, 0, VK_HOME, -5, 0},  {15, -9, 0, VK_HOME, 0, 0},
    {15, -4, -4, 'A', -4, -4},     {-9, 0, 0, VK_DOWN, 0, 0},     {-9, 0, 0, VK_RIGHT, 0, 0},
    {-9, 0, 0, VK_NEXT, 0, 0},     {-9, 0, 0, VK_END, 0, 0},      {0, 0, 0, VK_DOWN, 0, 0},
    {0, 0, 0, VK_RIGHT, 0, 0},     {0, 0, 0, VK_NEXT, 0, 0},      {0, 0, 0, VK_END, 0, 0}};

// The same with the wheel on a picture 15 pixels larger: turned ('v'), with
// Shift ('s') or tilted ('h'), by a delta, from a start to a new position. A
// notch pans as Page Down or Up, sideways as End or Home; half notches add
// up, a turn back starts afresh.
const std::array<int, 6> kWheelPans[] = {
    {'v', -240, 0, 0, 0, -15}, {'v', 120, 0, -9, 0, 0},    {'v', -60, 0, 0, 0, 0},
    {'v', -60, 0, 0, 0, -10},  {'v', -60, 0, -15, 0, -15}, {'v', 60, 0, -15, 0, -15},
    {'v', 60, 0, -15, 0, -5},  {'s', -120, 0, 0, -10, 0},  {'h', -120, -9, 0, 0, 0}};

}  // namespace
TEST_F(Form1Fixture, PicturesShowStretchedAndNotAndAFailedLoadEndsEmptyWithOneMessage) {
  TForm1& f = Make();
  for (const auto& [file, picture, info, natural, stretched] :
       {std::tuple{L"p8.bmp", L"view-640x480.bmp", L"640x480x256", L"648x488 640x480 bars",
                   L"360x273 352x265"},
        {L"photo.jpg", L"view-1024x768.jpg", L"1024x768x16M", L"1032x776 1024x768 bars",
         L"360x273 352x265"},
        {L"icon.ico", L"icon.ico", L"32x32xN/A", L"40x40 32x32", L"360x361 352x353"},
        {L"pic.wmf", L"red.wmf", L"200x100xN/A", L"208x108 200x100", L"360x185 352x177"},
        {L"mono.bmp", L"view-100x400.bmp", L"100x400x2", L"108x408 100x400", L"115x432 107x424"},
        {L"box.png", L"view-352x424.png", L"352x424x16M", L"360x432 352x424", L"361x432 353x424"},
        {L"tiny.bmp", L"view-3x2.bmp", L"3x2x16", L"11x10 3x2", L"360x244 352x236"},
        // 16.5 rounds to the even 16; a 2-bit picture shows 4 colours.
        {L"half.bmp", L"view-64x3.bmp", L"64x3x16M", L"72x11 64x3", L"360x25 352x17"},
        {L"pal2.png", L"png-pal2.png", L"45x29x4", L"53x37 45x29", L"360x236 352x228"}}) {
    const std::wstring start = L"Picture-Info:  " + std::wstring(info) + L" | Lumoscope32 - [" +
                               tk::UpperAscii(file) + L"] | ";
    f.LoadPicture(Put(file, picture));
    EXPECT_EQ(State(f), start + natural + L" shown");
    f.BtnStretch->Perform(BM_CLICK);
    EXPECT_EQ(State(f), start + stretched + L" shown");
    f.BtnStretch->Perform(BM_CLICK);
    EXPECT_TRUE(form2->PMultiImage1->Picture().SharesImageWith(f.PMultiImage1->Picture()));
  }
  // The file already shown: nothing happens, not even the focus moves.
  f.Edit1->SetFocus();
  f.LoadPicture(imagectl_test::TempPath(L"pal2.png"));
  auto& rec = services.rec();
  EXPECT_TRUE(GetFocus() == f.Edit1->Handle() && rec.dialogs.empty());
  // A failed load ends empty with one message and can be tried again.
  // No input/output failure, the damaged icon goes to the general report.
  for (const auto& [file, bytes, message] :
       {std::tuple{L"bad.bmp", Bytes{'B', 'M', 1}, L"BAD.BMP is not a valid Bitmapfile !"},
        // A bitmap that cannot be had: the library's failure, then the empty state.
        {L"huge.jpg", imagectl_test::DataBytes(L"view-60000x60000.jpg"),
         L"The picture is too large for memory."},
        {L"broken.ico", Bytes{0, 0, 1, 0, 1, 0}, L"Symbol ist ung\u00fcltig"},
        {L"broken.wmf", Bytes{0xD7, 0xCD, 0xC6, 0x9A, 0, 0}, L"Metadatei ist ung\u00fcltig"}}) {
    f.LoadPicture(Put(L"good.bmp", L"bmp-8.bmp"));
    for (int attempt = 1; attempt <= 2; ++attempt) {
      f.LoadPicture(Put(file, bytes));
      for (int press = 0; press <= 2; ++press) {  // STRETCH leaves the empty pane alone
        if (press) f.BtnStretch->Perform(BM_CLICK);
        EXPECT_EQ(State(f), L"Picture-Info: | Lumoscope32 - [Noname] | 360x272 352x264") << press;
      }
      EXPECT_EQ(std::count_if(rec.dialogs.begin(), rec.dialogs.end(),
                              [&](const auto& d) { return d.text == message; }),
                attempt);
      EXPECT_TRUE(rec.dialogs.back().kind == tk::MsgKind::Error &&
                  rec.beeps.back() == MB_ICONHAND && f.Enabled() && f.BtnStretch->Enabled() &&
                  f.ButtonExit->Enabled() && form2->PMultiImage1->Picture().Empty() &&
                  tk::Application::Instance().Cursor() == tk::ScreenCursor::Default);
    }
  }
  EXPECT_TRUE(std::none_of(rec.dialogs.begin(), rec.dialogs.end(),
                           [](const auto& d) { return d.text.find(L"BROKEN.ICO") == 0; }));
}

// FULLVIEW shows the full-screen window modally, maximised and without a caption.
TEST_F(Form1Fixture, FullviewShowsModallyPansHidesTheCursorAndClosesOnClickEnterEscSpace) {
  TForm1& f = Make();
  ASSERT_GT(2000, GetSystemMetrics(SM_CXSCREEN));  // the picture is wider than the screen
  f.LoadPicture(Put(L"wide.bmp", L"view-2000x40.bmp"));
  auto& app = tk::Application::Instance();
  HWND view = form2->Handle(), picture = form2->PMultiImage1->Handle();
  EXPECT_FALSE(IsWindowVisible(view) || (GetWindowLongW(view, GWL_STYLE) & WS_CAPTION));
  shownModally = false;
  SetTimer(nullptr, 0, 100, &CloseForm2);
  f.ButtonVollbild->Perform(BM_CLICK);
  EXPECT_TRUE(shownModally && !IsWindowVisible(view) && IsWindowEnabled(f.Handle()));
  // Keys sent to the picture reach the window's handlers first.
  for (const auto& [to, msg, key, closes] : {std::tuple{view, WM_CHAR, 'a', false},
                                             {view, WM_KEYDOWN, VK_F2, false},
                                             {view, WM_CHAR, 13, true},
                                             {picture, WM_CHAR, 27, true},
                                             {view, WM_CHAR, ' ', true},
                                             {view, WM_LBUTTONUP, 0, true}}) {
    form2->SetWindowState(tk::WindowState::Maximized);
    form2->Show();
    const RECT p = Placement(picture);
    EXPECT_TRUE(app.Cursor() == tk::ScreenCursor::None && p.left == 0 && p.right == 2000);
    SendMessageW(view, WM_KEYDOWN, VK_END, 0);  // panned: the next showing starts at 0, 0 again
    if (msg == WM_LBUTTONUP) SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(to, msg, static_cast<WPARAM>(key), 0);
    EXPECT_EQ(IsWindowVisible(view) == FALSE, closes) << key;
  }
  EXPECT_EQ(app.Cursor(), tk::ScreenCursor::Default);  // the click put it back
  form2->Show();
  for (const auto& [extra, left, top, key, newLeft, newTop] : kPans) {
    form2->PMultiImage1->SetBounds(left, top, form2->ClientWidth() + extra,
                                   form2->ClientHeight() + extra);
    SendMessageW(view, WM_KEYDOWN, key, 0);
    EXPECT_EQ(Placement(picture).left * 100 + Placement(picture).top, newLeft * 100 + newTop)
        << key << " at " << left << "," << top << " extra " << extra;
  }
  for (const auto& [axis, delta, left, top, newLeft, newTop] : kWheelPans) {
    form2->PMultiImage1->SetBounds(left, top, form2->ClientWidth() + 15,
                                   form2->ClientHeight() + 15);
    Post(view, axis == 'h' ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
         MAKEWPARAM(axis == 's' ? MK_SHIFT : 0, delta));
    EXPECT_EQ(Placement(picture).left * 100 + Placement(picture).top, newLeft * 100 + newTop)
        << char(axis) << delta << " at " << left << "," << top;
  }
}

// Drops as the shell builds them, a DROPFILES block of wide names (each ended
// by a zero, the list by one more): the first name counts, as a command line's.
TEST_F(Form1Fixture, ADroppedPictureOpensADirectoryBrowsesAndTheWheelScrollsOverThePane) {
  TForm1& f = Make();
  const std::wstring dir = browseDir + L"\\Am Strand \u00e9t\u00e9 \u014D";
  const std::wstring picture = dir + L"\\Bild 1 \u00e4 \u014D.bmp", text = browseDir + L"\\a.txt";
  CreateDirectoryW(dir.c_str(), nullptr);
  imagectl_test::WriteBytes(picture, imagectl_test::DataBytes(L"view-3x2.bmp"));
  WriteFile(text, "text");
  EXPECT_TRUE(GetWindowLongW(f.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  // The names (apart by zeros), enabled, whether the picture shows, the list's
  // directory and the name box.
  for (const auto& [names, enabled, shown, directory, edit] :
       {std::tuple{text, true, false, browseDir, L"*.*"},
        {dir, true, false, dir, L"*.*"},
        {picture + L'\0' + text, false, false, dir, L"*.*"},
        {picture + L'\0' + text, true, true, dir, L"BILD 1 \u00c4 \u014C.BMP"},
        {browseDir, true, true, browseDir, L"*.*"}}) {
    // Zeroed, so that the names end in two zeros.
    auto* d = static_cast<DROPFILES*>(GlobalAlloc(GPTR, sizeof(DROPFILES) + 2 * names.size() + 4));
    *d = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(d + 1));
    EnableWindow(f.Handle(), enabled);  // the window frees the block
    Post(f.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(d));
    EXPECT_EQ(TextOf(f.Handle()) + L"|" + f.FileListBox1->Directory() + L"|" + f.Edit1->Text(),
              (shown ? L"Lumoscope32 - [BILD 1 \u00e4 \u014D.BMP]" : L"Lumoscope32 - [Noname]") +
                  (L"|" + directory + L"|" + edit));
  }
  // Over the picture pane the wheel scrolls the window (three lines of 8 pixels
  // a notch), sideways with Shift or tilted, though the file list has the focus.
  f.LoadPicture(Put(L"photo.jpg", L"view-1024x768.jpg"));
  const int end = 776 - f.ClientHeight();  // the pane's height less the window's
  // One after the other: axis, delta, then the scroll position x and y.
  const std::array<int, 4> steps[] = {
      {'v', -240, 0, 48}, {'v', 120, 0, 24},   {'v', -60, 0, 24},
      {'v', -60, 0, 48},  {'s', -120, 24, 48}, {'h', 120, 48, 48},
      {'h', -240, 0, 48}, {'v', 1200, 0, 0},   {'v', -12000, 0, end}};
  for (const auto& [axis, delta, x, y] : steps) {
    // From a point the pane covers however the window is scrolled.
    Post(f.FileListBox1->Handle(), axis == 'h' ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
         MAKEWPARAM(axis == 's' ? MK_SHIFT : 0, delta), MAKELPARAM(f.Left() + 400, f.Top() + 200));
    const RECT pane = Placement(f.Panel1->Handle());
    EXPECT_EQ((236 - pane.left) * 1000 - pane.top, x * 1000 + y) << char(axis) << delta;
  }
}
