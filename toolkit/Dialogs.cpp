#include "toolkit/Dialogs.h"

#include <algorithm>
#include <vector>

#include "base/Handles.h"

namespace tk {
namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kEditId = 100;
constexpr int kTextId = 101;

// An empty in-memory dialog template; the controls are made at WM_INITDIALOG
// because their sizes depend on the measured text.
std::vector<WORD> EmptyTemplate(const std::wstring& caption) {
  std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* dt = reinterpret_cast<DLGTEMPLATE*>(t.data());
  dt->style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
  dt->cdit = 0;
  t.push_back(0);  // no menu
  t.push_back(0);  // default class
  t.insert(t.end(), caption.begin(), caption.end());
  t.push_back(0);
  t.push_back(8);  // point size
  const std::wstring face = L"MS Sans Serif";
  t.insert(t.end(), face.begin(), face.end());
  t.push_back(0);
  return t;
}

HFONT DialogFont(HWND dlg) { return reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)); }

HWND AddChild(HWND dlg, const wchar_t* cls, const std::wstring& text, DWORD style, int id, int x,
              int y, int w, int h) {
  HWND c = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dlg)), FALSE);
  return c;
}

SIZE MeasureText(HWND dlg, const std::wstring& text, int maxWidth) {
  base::WindowDc dc(dlg);
  base::SelectGuard font(dc.get(), DialogFont(dlg));
  RECT r{0, 0, maxWidth, 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  return SIZE{r.right, r.bottom};
}

void SizeClient(HWND dlg, int w, int h) {
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, GetWindowLongW(dlg, GWL_STYLE), FALSE, GetWindowLongW(dlg, GWL_EXSTYLE));
  const int ww = r.right - r.left, wh = r.bottom - r.top;
  SetWindowPos(dlg, nullptr, (GetSystemMetrics(SM_CXSCREEN) - ww) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - wh) / 2, ww, wh, SWP_NOZORDER);
}

struct MessageArgs {
  const std::wstring* text;
  MsgKind kind;
  unsigned buttons;
};

struct ButtonDef {
  unsigned flag;
  const wchar_t* caption;
  int id;
};
constexpr ButtonDef kButtons[] = {
    {mbYes, L"&Ja", IDYES}, {mbNo, L"&Nein", IDNO}, {mbOK, L"OK", IDOK}};

void LayoutMessage(HWND dlg, const MessageArgs& a) {
  const int iconSize = GetSystemMetrics(SM_CXICON);
  const SIZE text = MeasureText(dlg, *a.text, 400);
  std::vector<ButtonDef> buttons;
  for (const auto& b : kButtons)
    if (a.buttons & b.flag) buttons.push_back(b);
  if (buttons.empty()) buttons.push_back(kButtons[2]);
  const int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kGap) - kGap;
  const int textLeft = kMargin + iconSize + kMargin;
  const int bodyHeight = std::max<int>(iconSize, text.cy);
  const int width = std::max<int>(textLeft + text.cx + kMargin, buttonsWidth + 2 * kMargin);
  const int height = kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;

  HWND icon = AddChild(dlg, L"STATIC", L"", SS_ICON, -1, kMargin, kMargin, iconSize, iconSize);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, KindIcon(a.kind))),
               0);
  AddChild(dlg, L"STATIC", *a.text, SS_LEFT | SS_NOPREFIX, kTextId, textLeft, kMargin, text.cx,
           text.cy);
  int x = (width - buttonsWidth) / 2;
  const int y = kMargin + bodyHeight + kMargin;
  bool first = true;
  for (const auto& b : buttons) {
    HWND btn =
        AddChild(dlg, L"BUTTON", b.caption, WS_TABSTOP | (first ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                 b.id, x, y, kButtonWidth, kButtonHeight);
    if (first) SetFocus(btn);
    first = false;
    x += kButtonWidth + kGap;
  }
  SizeClient(dlg, width, height);
}

INT_PTR CALLBACK MessageProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      LayoutMessage(dlg, *reinterpret_cast<MessageArgs*>(lp));
      return FALSE;  // focus already set
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      auto* a = reinterpret_cast<MessageArgs*>(GetWindowLongPtrW(dlg, DWLP_USER));
      if (id == IDCANCEL) {
        // Esc or the close box: the "no" answer where there is one, else OK.
        EndDialog(dlg, (a->buttons & mbNo) ? IDNO : IDOK);
        return TRUE;
      }
      if (id == IDOK || id == IDYES || id == IDNO) {
        EndDialog(dlg, id);
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

struct InputArgs {
  const std::wstring* prompt;
  std::wstring* value;
};

INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      auto* a = reinterpret_cast<InputArgs*>(lp);
      const int width = 280;
      const SIZE p = MeasureText(dlg, *a->prompt, width - 2 * kMargin);
      AddChild(dlg, L"STATIC", *a->prompt, SS_LEFT, kTextId, kMargin, kMargin, p.cx, p.cy);
      const int editTop = kMargin + p.cy + 4;
      HWND edit = AddChild(dlg, L"EDIT", *a->value, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                           kEditId, kMargin, editTop, width - 2 * kMargin, 21);
      SendMessageW(edit, EM_LIMITTEXT, 255, 0);
      const int by = editTop + 21 + kMargin;
      AddChild(dlg, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
               width - 2 * (kButtonWidth + kGap) - kMargin + kGap, by, kButtonWidth, kButtonHeight);
      AddChild(dlg, L"BUTTON", L"Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL,
               width - kButtonWidth - kMargin, by, kButtonWidth, kButtonHeight);
      SizeClient(dlg, width, by + kButtonHeight + kMargin);
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* a = reinterpret_cast<InputArgs*>(GetWindowLongPtrW(dlg, DWLP_USER));
        HWND edit = GetDlgItem(dlg, kEditId);
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
        *a->value = text;
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

HWND DialogOwner() {
  HWND owner = GetActiveWindow();
  return owner;
}

}  // namespace

int ShowMessageDialog(const std::wstring& text, MsgKind kind, unsigned buttons) {
  MessageArgs args{&text, kind, buttons};
  auto t = EmptyTemplate(KindCaption(kind));
  const INT_PTR r =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()),
                              DialogOwner(), MessageProc, reinterpret_cast<LPARAM>(&args));
  return r <= 0 ? mrNone : static_cast<int>(r);
}

bool ShowInputDialog(const std::wstring& caption, const std::wstring& prompt, std::wstring& value) {
  std::wstring edited = value.substr(0, 255);
  InputArgs args{&prompt, &edited};
  auto t = EmptyTemplate(caption);
  const INT_PTR r =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()),
                              DialogOwner(), InputProc, reinterpret_cast<LPARAM>(&args));
  if (r != IDOK) return false;
  value = edited;
  return true;
}

}  // namespace tk
