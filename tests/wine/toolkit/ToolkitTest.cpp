// The toolkit's own behaviour: the general exception handler, the real message
// and input dialogs, the panel's bevels, which windows it takes for its own,
// notifications reflected to the control they came from, the form's key
// preview and scroll range, and the file list's owner-drawn items.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

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
  static inline std::wstring button, caption, editText;
  static inline std::set<std::wstring> seen;  // the texts of the last dialog's controls
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = GetActiveWindow();
    wchar_t cls[32];
    if (!dlg || !GetClassNameW(dlg, cls, 32) || std::wstring(cls) != L"#32770") return;
    KillTimer(nullptr, id);
    caption = TextOf(dlg);
    seen.clear();
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      seen.insert(TextOf(c));
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

// The client area of a window as it paints itself into a memory bitmap.
struct Printout {
  explicit Printout(HWND w, LPARAM what = PRF_CLIENT) {
    RECT r;
    GetClientRect(w, &r);
    base::WindowDc screen(w);
    dc.reset(CreateCompatibleDC(screen.get()));
    bmp.reset(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
    SelectObject(dc.get(), bmp.get());
    SendMessageW(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), what);
    width = r.right;
  }
  COLORREF At(int x, int y) const { return GetPixel(dc.get(), x, y); }
  base::Bitmap bmp;
  base::MemoryDc dc;  // goes first: a bitmap still selected would not be freed
  int width;
};

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
  EXPECT_EQ(std::tuple(rec.dialogs[0].text, rec.dialogs[0].kind, rec.beeps),
            std::tuple(L"Disk full", tk::MsgKind::Error, std::vector<UINT>{MB_ICONHAND}));
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
    const int answer = tk::ShowMessageDialog(L"Line one\rLine two", r.kind, r.buttons);
    const wchar_t* first = r.kind == tk::MsgKind::Confirmation ? L"&Ja" : L"OK";
    EXPECT_EQ(
        std::tuple(answer, DialogAnswer::caption, DialogAnswer::seen.count(L"Line one\rLine two"),
                   DialogAnswer::seen.count(first), tk::KindBeep(r.kind)),
        std::tuple(r.answer, r.caption, 1u, 1u, r.beep))
        << r.click;
  }
}

TEST(InputDialog, OkReturnsTheEditedTextAndCancelKeepsTheOld) {
  std::wstring value = L"OLD.BMP";
  DialogAnswer::Arm(L"OK", L"NEW.BMP");
  EXPECT_TRUE(tk::ShowInputDialog(L"Rename File", L"New Name:", value));
  EXPECT_EQ(std::tuple(value, DialogAnswer::caption, DialogAnswer::seen.count(L"New Name:"),
                       DialogAnswer::seen.count(L"Abbrechen")),
            std::tuple(L"NEW.BMP", L"Rename File", 1u, 1u));
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
  const Printout p(panel.Handle());
  const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
  // The outer bevel raised (light left, dark right), the inner one lowered,
  // and 4 pixels in the panel's colour.
  EXPECT_EQ(std::vector<COLORREF>(
                {p.At(0, 10), p.At(39, 10), p.At(2, 10), p.At(37, 10), p.At(20, 15), p.At(4, 15)}),
            std::vector<COLORREF>({hi, sh, sh, hi, RGB(0, 0, 0), RGB(0, 0, 0)}));
}

TEST(Binding, OnlyOurOwnWindowsAreTakenForWrappers) {
  TestForm form;
  HWND other =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(other, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&form));
  EXPECT_EQ(tk::Control::FromHandle(other), nullptr);
  DestroyWindow(other);
}

// A standard control's WM_COMMAND and WM_CTLCOLOR* go to its parent, which
// hands them back: the control's events fire and it paints in its own colour,
// on the form itself as inside a panel.
TEST(Reflection, NotificationsReachTheControlTheyCameFrom) {
  for (bool inPanel : {false, true}) {
    TestForm form;
    tk::Panel panel;
    panel.SetParent(&form);
    panel.SetBounds(0, 0, 300, 200);
    tk::Edit edit;
    tk::Button button;
    tk::Label label;
    std::string events;
    edit.OnChange = [&](tk::Control&) { events += "change "; };
    button.OnClick = [&](tk::Control&) { events += "click "; };
    for (tk::Control* c : std::initializer_list<tk::Control*>{&edit, &button, &label}) {
      c->SetParent(inPanel ? static_cast<tk::Control*>(&panel) : &form);
      c->SetColor(RGB(0, 128, 0));
    }
    edit.SetText(L"x");
    button.Perform(BM_CLICK);
    EXPECT_EQ(events, "change click ") << inPanel;
    EXPECT_EQ(Printout(edit.Handle(), PRF_CLIENT | PRF_ERASEBKGND).At(60, 8), RGB(0, 128, 0));
    EXPECT_EQ(Printout(label.Handle(), PRF_CLIENT | PRF_ERASEBKGND).At(2, 2), RGB(0, 128, 0));
  }
}

// A form that previews keys sees them before its control; a handler that
// zeroes the key keeps it from the control, one that changes it hands on the
// new key.
TEST(KeyPreview, TheFormSeesKeysFirstAndMaySwallowOrChangeThem) {
  const std::tuple<bool, wchar_t, const char*, const wchar_t*> rows[] = {
      {false, 0, "edit 65 edit a ", L"a"},  // preview, what the form makes of the key
      {true, 'a', "form 65 edit 65 form a edit a ", L"a"},
      {true, 'b', "form 65 edit 66 form a edit b ", L"b"},
      {true, 0, "form 65 form a ", L""}};
  for (const auto& [preview, formGives, seen, text] : rows) {
    TestForm form;
    form.keyPreview = preview;
    tk::Edit edit;
    edit.SetParent(&form);
    std::string got;
    for (tk::Control* c : std::initializer_list<tk::Control*>{&form, &edit}) {
      const bool isForm = c == &form;
      const wchar_t give = formGives;
      c->OnKeyDown = [&got, isForm, give](tk::Control&, WORD& key, unsigned) {
        got += (isForm ? "form " : "edit ") + std::to_string(key) + " ";
        if (isForm) key = static_cast<WORD>(std::towupper(give));
      };
      c->OnKeyPress = [&got, isForm, give](tk::Control&, wchar_t& key) {
        got += (isForm ? "form " : "edit ") + std::string(1, static_cast<char>(key)) + " ";
        if (isForm) key = give;
      };
    }
    edit.Perform(WM_KEYDOWN, 'A');
    edit.Perform(WM_CHAR, L'a');
    EXPECT_EQ(got, seen);
    EXPECT_EQ(edit.Text(), text) << seen;
  }
}

// An automatically scrolling form's bars reach exactly as far as its visible
// controls, and scrolled to the end show a control's far edge at the client
// area's; a control that fits, a hidden one, or a form without AutoScroll
// gives none. One bar taking room can call for the other.
TEST(FormScroll, TheRangeCoversTheControlsBeyondTheClientArea) {
  const std::tuple<bool, bool, RECT, int, int> rows[] = {
      // left, top, width, height; reach
      {true, true, {10, 10, 400, 100}, 410, 0}, {true, true, {0, 20, 100, 400}, 0, 420},
      {true, true, {0, 0, 300, 200}, 0, 0},     {true, true, {0, 0, 301, 200}, 301, 200},
      {true, false, {0, 0, 400, 400}, 0, 0},    {false, true, {0, 0, 400, 400}, 0, 0}};
  for (const auto& [autoScroll, visible, b, right, bottom] : rows) {
    TestForm form;  // a client area of 300 x 200
    HWND w = form.Handle();
    auto reach = [w](int bar) {  // -1: the page is not the client area
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_RANGE | SIF_PAGE;
      GetScrollInfo(w, bar, &si);
      RECT rc;
      GetClientRect(w, &rc);
      const UINT page = bar == SB_HORZ ? rc.right : rc.bottom;
      return si.nPage == 0 ? 0 : si.nPage == page ? si.nMax + 1 : -1;
    };
    form.SetAutoScroll(autoScroll);
    tk::Panel panel;
    panel.SetVisible(visible);
    panel.SetParent(&form);
    panel.SetBounds(b.left, b.top, b.right, b.bottom);
    EXPECT_EQ(std::vector<int>({reach(SB_HORZ), reach(SB_VERT)}), std::vector<int>({right, bottom}))
        << b.left << "," << b.top << " " << b.right << "x" << b.bottom;
    SendMessageW(w, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageW(w, WM_HSCROLL, SB_BOTTOM, 0);
    RECT p;
    GetWindowRect(panel.Handle(), &p);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&p), 2);
    EXPECT_EQ(std::vector<LONG>({p.right, p.bottom}),
              std::vector<LONG>({right ? form.ClientWidth() : b.left + b.right,
                                 bottom ? form.ClientHeight() : b.top + b.bottom}));
    panel.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(reach(SB_HORZ) + reach(SB_VERT), 0) << "moved inside, the bars go";
  }
}

// The file list holds its directory's entries without system files,
// directories in brackets, sorted without regard to case, as its list box
// does after each read. It draws each itself: a glyph by kind, the text from
// 20 pixels in, the selection in the highlight colours, at the height given.
TEST(FileList, TheEntriesAndHowEachIsDrawn) {
  const std::wstring dir = TempDir(L"lumo-tk-files");
  CreateDirectoryW((dir + L"\\SUB").c_str(), nullptr);
  for (const wchar_t* name : {L"\\zz.txt", L"\\AB.EXE", L"\\aa.txt", L"\\SYS.DAT"})
    WriteFile(dir + name, "x");
  SetFileAttributesW((dir + L"\\SYS.DAT").c_str(), FILE_ATTRIBUTE_SYSTEM);
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(dir.c_str());
  TestForm form;
  tk::FileListBox list;
  list.SetProperty(L"ItemHeight", L"20");
  list.SetBounds(0, 0, 145, 150);
  list.SetParent(&form);
  for (int read = 0; read < 2; ++read, list.Reread()) {
    std::vector<std::wstring> held(list.Perform(LB_GETCOUNT), std::wstring(64, L'\0'));
    for (size_t i = 0; i < held.size(); ++i)
      held[i].resize(list.Perform(LB_GETTEXT, i, reinterpret_cast<LPARAM>(held[i].data())));
    EXPECT_EQ(held, list.Items());
  }
  SetCurrentDirectoryW(before);
  list.SetItemIndex(4);
  const std::vector<std::wstring>& items = list.Items();  // [.] and [..] first
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(std::vector<std::wstring>(items.begin() + 2, items.end()),
            (std::vector<std::wstring>{L"[SUB]", L"aa.txt", L"AB.EXE", L"zz.txt"}));
  EXPECT_EQ(list.Perform(LB_GETITEMHEIGHT), 20);
  const Printout p(list.Handle());
  const COLORREF folder = RGB(192, 192, 0), program = RGB(0, 0, 128), page = RGB(128, 128, 128);
  for (int i = 0; i < 6; ++i) {
    const bool selected = i == 4;
    EXPECT_EQ(p.At(6, 20 * i + 6), i < 3 ? folder : selected ? program : page) << i;  // glyph
    EXPECT_EQ(p.At(p.width - 2, 20 * i + 1),
              GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int first = p.width;  // the text's first column, right of the glyph
    for (int x = 17; x < p.width && first == p.width; ++x)
      for (int y = 20 * i; y < 20 * i + 20; ++y)
        if (p.At(x, y) == GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)) first = x;
    EXPECT_TRUE(first >= 20 && first < 26) << i << ": " << first;
  }
}

// A resource's rows set the form class's members as each component is made;
// a row naming a member of another control class stops the load there.
class MemberForm : public tk::Form {
 public:
  tk::Panel* box = nullptr;
  tk::Edit* name = nullptr;
  tk::Button* wrong = nullptr;
};

TEST(FormResource, EachRowSetsItsMemberWhenTheComponentIsMade) {
  tk::RegisterStandardControls();  // this binary has gtest's main
  const tk::FormResource good{L"F",
                              L"MemberForm",
                              {},
                              {{L"Box", L"TPanel", L"F", &MemberForm::box, {}},
                               {L"Name", L"TEdit", L"Box", &MemberForm::name, {}},
                               {L"Free", L"TLabel", L"F", nullptr, {}}}};
  MemberForm form;
  form.Load(good);
  EXPECT_EQ(std::vector<tk::Control*>({form.box, form.name, form.name->Parent()}),
            std::vector<tk::Control*>({form.FindComponent(L"Box"), form.FindComponent(L"Name"),
                                       form.FindComponent(L"Box")}));
  MemberForm other;
  EXPECT_THROW(
      other.Load({L"G", L"MemberForm", {}, {{L"B", L"TEdit", L"G", &MemberForm::wrong, {}}}}),
      std::invalid_argument);
  EXPECT_EQ(other.wrong, nullptr);
}
