// The toolkit's own behaviour: the general exception handler, the real message
// and input dialogs, the panel's bevels and which windows it takes for its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <stdexcept>

#include "Program.h"
#include "Recorders.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Form.h"
#include "base/Handles.h"
#include "toolkit/StdCtrls.h"

namespace {

class TestForm : public tk::Form {
 public:
  TestForm() {
    SetBorderStyle(tk::BorderStyle::Single);
    SetClientSize(300, 200);
    Handle();
  }
};

// Answers the next dialog of this thread by clicking the button with the text.
struct DialogAnswer {
  static std::wstring button;
  static std::wstring caption;
  static std::wstring editText;
  static std::vector<std::wstring> seen;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = GetActiveWindow();
    wchar_t cls[32];
    if (!dlg || !GetClassNameW(dlg, cls, 32) || std::wstring(cls) != L"#32770") return;
    KillTimer(nullptr, id);
    caption = TextOf(dlg);
    seen.clear();
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      seen.push_back(TextOf(c));
      GetClassNameW(c, cls, 32);
      if (std::wstring(cls) == L"Edit" && !editText.empty()) SetWindowTextW(c, editText.c_str());
    }
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (TextOf(c) == button) SendMessageW(c, BM_CLICK, 0, 0);
  }
  static void Arm(const std::wstring& b, const std::wstring& edit = L"") {
    button = b;
    editText = edit;
    SetTimer(nullptr, 0, 50, &DialogAnswer::Tick);
  }
};
std::wstring DialogAnswer::button;
std::wstring DialogAnswer::caption;
std::wstring DialogAnswer::editText;
std::vector<std::wstring> DialogAnswer::seen;

bool Contains(const std::vector<std::wstring>& v, const std::wstring& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

TEST(GeneralHandler, AnExceptionInAHandlerIsReportedAndTheProgramGoesOn) {
  testing_support::RecordingServices services;
  TestForm form;
  tk::Button button;
  button.SetParent(&form);
  button.OnClick = [](tk::Control&) { throw std::runtime_error("Disk full"); };
  button.Perform(BM_CLICK);
  auto& rec = services.rec();
  ASSERT_EQ(rec.dialogs.size(), 1u);
  EXPECT_EQ(rec.dialogs[0].text, L"Disk full");
  EXPECT_EQ(rec.dialogs[0].kind, tk::MsgKind::Error);
  EXPECT_EQ(rec.beeps, std::vector<UINT>{MB_ICONHAND});
  // The window still works after the failure.
  button.OnClick = [](tk::Control& c) { c.tag = 5; };
  button.Perform(BM_CLICK);
  EXPECT_EQ(button.tag, 5);
}

// The real dialog of each kind: German caption and buttons, the text, the answer, the beep.
TEST(MessageDialog, EachKindHasItsCaptionButtonsAndBeep) {
  const struct {
    tk::MsgKind kind;
    unsigned buttons;
    const wchar_t *click, *caption;
    int answer;
    UINT beep;
  } rows[] = {
      {tk::MsgKind::Confirmation, tk::mbYesNo, L"&Nein", L"Bestätigen", tk::mrNo, MB_ICONQUESTION},
      {tk::MsgKind::Confirmation, tk::mbYesNo, L"&Ja", L"Bestätigen", tk::mrYes, MB_ICONQUESTION},
      {tk::MsgKind::Warning, tk::mbOK, L"OK", L"Warnung", tk::mrOk, MB_ICONEXCLAMATION},
      {tk::MsgKind::Error, tk::mbOK, L"OK", L"Fehler", tk::mrOk, MB_ICONHAND},
      {tk::MsgKind::Information, tk::mbOK, L"OK", L"Information", tk::mrOk, MB_ICONASTERISK}};
  for (const auto& r : rows) {
    DialogAnswer::Arm(r.click);
    EXPECT_EQ(tk::ShowMessageDialog(L"Line one\rLine two", r.kind, r.buttons), r.answer) << r.click;
    EXPECT_EQ(DialogAnswer::caption, r.caption);
    EXPECT_TRUE(Contains(DialogAnswer::seen, L"Line one\rLine two"));
    EXPECT_TRUE(Contains(DialogAnswer::seen, r.kind == tk::MsgKind::Confirmation ? L"&Ja" : L"OK"));
    EXPECT_EQ(tk::KindBeep(r.kind), r.beep);
  }
}

TEST(InputDialog, OkReturnsTheEditedTextAndCancelKeepsTheOld) {
  std::wstring value = L"OLD.BMP";
  DialogAnswer::Arm(L"OK", L"NEW.BMP");
  EXPECT_TRUE(tk::ShowInputDialog(L"Rename File", L"New Name:", value));
  EXPECT_EQ(value, L"NEW.BMP");
  EXPECT_EQ(DialogAnswer::caption, L"Rename File");
  EXPECT_TRUE(Contains(DialogAnswer::seen, L"New Name:"));
  EXPECT_TRUE(Contains(DialogAnswer::seen, L"Abbrechen"));
  DialogAnswer::Arm(L"Abbrechen", L"OTHER.BMP");
  EXPECT_FALSE(tk::ShowInputDialog(L"Rename File", L"New Name:", value));
  EXPECT_EQ(value, L"NEW.BMP");
}

TEST(PanelPaint, LoweredInnerBevelInsideARaisedOuterOne) {
  TestForm form;
  tk::Panel panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 40, 30);
  panel.bevelInner = tk::Bevel::Lowered;
  panel.bevelWidth = 2;
  panel.SetColor(tk::clBlack);
  base::WindowDc screen(panel.Handle());
  base::MemoryDc mem(CreateCompatibleDC(screen.get()));
  base::Bitmap bmp(CreateCompatibleBitmap(screen.get(), 40, 30));
  base::SelectGuard sel(mem.get(), bmp.get());
  SendMessageW(panel.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.get()), PRF_CLIENT);
  const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
  EXPECT_EQ(GetPixel(mem.get(), 0, 10), hi);   // outer raised: light left edge
  EXPECT_EQ(GetPixel(mem.get(), 39, 10), sh);  // dark right edge
  EXPECT_EQ(GetPixel(mem.get(), 2, 10), sh);   // inner lowered: dark left edge
  EXPECT_EQ(GetPixel(mem.get(), 37, 10), hi);
  EXPECT_EQ(GetPixel(mem.get(), 20, 15), RGB(0, 0, 0));  // 4 pixels in: the panel's colour
  EXPECT_EQ(GetPixel(mem.get(), 4, 15), RGB(0, 0, 0));
}

TEST(Binding, OnlyOurOwnWindowsAreTakenForWrappers) {
  TestForm form;
  HWND other =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(other, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&form));
  EXPECT_EQ(tk::Control::FromHandle(other), nullptr);
  DestroyWindow(other);
}
