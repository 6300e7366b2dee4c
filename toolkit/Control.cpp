#include "toolkit/Control.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "toolkit/Application.h"
#include "toolkit/portable/Convert.h"

namespace tk {
namespace {

void RegisterOnce(const CreateArgs& a, WNDPROC proc) {
  static std::set<std::wstring> registered;
  if (registered.count(a.className)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = a.classStyle;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = a.cursor ? a.cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  wc.lpszClassName = a.className.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("RegisterClassEx failed");
  registered.insert(a.className);
}

struct PaintScope {
  explicit PaintScope(HWND w) : wnd(w), dc(BeginPaint(w, &ps)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(wnd, &ps); }
  HWND wnd;
  PAINTSTRUCT ps{};
  HDC dc;
};

bool IsCtlColor(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }

}  // namespace

unsigned CurrentShiftState() {
  unsigned s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  return s;
}

Control::Control() = default;

Control::~Control() {
  // Children are owned elsewhere (by the form); only unlink them.
  for (Control* c : children_) c->parent_ = nullptr;
  if (parent_) {
    auto& sib = parent_->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  }
  // Unbind before destroying: the window's last messages must not reach an
  // object whose derived parts are already gone.
  HWND w = wnd_;
  Detach();
  if (w) DestroyWindow(w);
}

Control* Control::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  // Only our own procedures mean that the user data holds a Control; other
  // windows (dialogs, other processes' windows) may use the slot themselves.
  const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
  if (proc != &Control::StaticWndProc && proc != &Control::SubclassProc) return nullptr;
  return Bound(wnd);
}

// The wrapper lives in GWLP_USERDATA: reading it is a plain memory read, where
// a window property costs a round trip to the window server under Wine, on
// every message.
Control* Control::Bound(HWND wnd) {
  return reinterpret_cast<Control*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

HWND Control::Handle() {
  if (!wnd_) CreateWnd();
  return wnd_;
}

void Control::DestroyHandle() {
  if (!wnd_) return;
  for (Control* c : children_) c->Detach();  // their windows go with ours
  HWND w = wnd_;
  DestroyWindow(w);
  Detach();
}

void Control::RecreateWnd() {
  if (!wnd_) return;
  const bool hadFocus = Focused();
  DestroyHandle();
  CreateWnd();
  if (hadFocus) SetFocus();
}

void Control::SetParent(Control* parent) {
  if (parent_ == parent) return;
  if (parent_) {
    auto& sib = parent_->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  }
  parent_ = parent;
  if (parent_) {
    parent_->children_.push_back(this);
    font_ = parent_->font_;
    fontHandle_.reset();
    if (parent_->wnd_) {
      if (wnd_)
        ::SetParent(wnd_, parent_->wnd_);
      else
        CreateWnd();
    }
  }
}

void Control::CreateParams(CreateArgs& args) {
  args.className = L"TControl";
  args.ownClass = true;
}

void Control::CreateWnd() {
  if (wnd_) return;
  CreateArgs a;
  CreateParams(a);
  if (a.ownClass) RegisterOnce(a, &Control::StaticWndProc);
  HWND parentWnd = nullptr;
  POINT off{0, 0};
  const bool child = (a.style & WS_CHILD) != 0;
  if (parent_) {
    parentWnd = parent_->Handle();
    off = parent_->ScrollOffset();
  }
  if (child && !parentWnd) return;  // created later, when the parent gets its window
  DWORD style = a.style;
  if (child && visible_) style |= WS_VISIBLE;
  if (!enabled_) style |= WS_DISABLED;
  if (tabStop_) style |= WS_TABSTOP;
  HWND w = CreateWindowExW(a.exStyle, a.className.c_str(), caption_.c_str(), style, left_ - off.x,
                           top_ - off.y, width_, height_, parentWnd, nullptr,
                           GetModuleHandleW(nullptr), this);
  if (!w) throw std::runtime_error("CreateWindowEx failed");
  if (!a.ownClass) {
    Attach(w);
    baseProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::SubclassProc)));
  }
  SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  if (parent_) parent_->ApplyZOrder();
  for (Control* c : children_) c->CreateWnd();
  AfterCreate();
}

void Control::Attach(HWND wnd) {
  wnd_ = wnd;
  SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Control::Detach() {
  if (wnd_) {
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    // Hand a subclassed control back to its class's procedure, unless someone
    // subclassed it after us (then SubclassProc forwards for good).
    if (baseProc_ &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd_, GWLP_WNDPROC)) == &Control::SubclassProc)
      SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
  }
  for (Control* c : children_) c->Detach();
  wnd_ = nullptr;
  baseProc_ = nullptr;
}

void Control::ApplyZOrder() {
  std::vector<Control*> order = children_;
  std::stable_sort(order.begin(), order.end(), [](Control* a, Control* b) {
    const int ta = a->tabOrder_ < 0 ? 0x7FFFFFFF : a->tabOrder_;
    const int tb = b->tabOrder_ < 0 ? 0x7FFFFFFF : b->tabOrder_;
    return ta < tb;
  });
  HWND after = HWND_TOP;
  for (Control* c : order) {
    if (!c->wnd_) continue;
    SetWindowPos(c->wnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->wnd_;
  }
}

LRESULT CALLBACK Control::StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* self = Bound(wnd);
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) self->Attach(wnd);
  }
  if (!self) return DefWindowProcW(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    self->Detach();
    return DefWindowProcW(wnd, msg, wp, lp);
  }
  return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK Control::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* self = Bound(wnd);
  if (!self) {
    // Unbound but still ours: the standard class's own procedure carries on.
    const auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(wnd, GCLP_WNDPROC));
    return CallWindowProcW(classProc, wnd, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    const WNDPROC base = self->baseProc_;
    self->Detach();
    return CallWindowProcW(base, wnd, msg, wp, lp);
  }
  return self->Dispatch(msg, wp, lp);
}

LRESULT Control::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  // C++ exceptions must not unwind through user32's frames: the general handler
  // reports them here and the program goes on.
  try {
    return WndProc(msg, wp, lp);
  } catch (const std::exception& e) {
    Application::Instance().HandleException(e);
  } catch (...) {
    Application::Instance().HandleException(std::runtime_error("Unknown error"));
  }
  return 0;
}

LRESULT Control::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (!wnd_) return 0;
  return baseProc_ ? CallWindowProcW(baseProc_, wnd_, msg, wp, lp)
                   : DefWindowProcW(wnd_, msg, wp, lp);
}

LRESULT Control::Reflect(UINT msg, WPARAM wp, LPARAM lp, HWND child) {
  if (child && FromHandle(child)) return SendMessageW(child, CN_BASE + msg, wp, lp);
  return DefaultProc(msg, wp, lp);
}

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) return Reflect(msg, wp, lp, reinterpret_cast<HWND>(lp));
      break;
    case WM_DRAWITEM:
      return Reflect(msg, wp, lp, reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem);
    case WM_ERASEBKGND:
      if (baseProc_) break;
      if (!opaque_) EraseBackground(reinterpret_cast<HDC>(wp));
      return 1;
    case WM_PAINT:
      if (baseProc_) break;
      {
        PaintScope paint(wnd_);  // EndPaint also when painting throws
        Paint(paint.dc);
      }
      return 0;
    case WM_PRINTCLIENT:
      if (baseProc_) break;
      if (!opaque_ || (lp & PRF_ERASEBKGND)) EraseBackground(reinterpret_cast<HDC>(wp));
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      WORD key = static_cast<WORD>(wp);
      const unsigned shift = CurrentShiftState();
      const auto hook = msg == WM_KEYDOWN ? &Control::KeyDown : &Control::KeyUp;
      // The form's handlers come first and may swallow the key.
      if (Control* form = KeyPreviewer()) (form->*hook)(key, shift);
      if (key) (this->*hook)(key, shift);
      if (!key) return 0;
      return DefaultProc(msg, key, lp);
    }
    case WM_CHAR: {
      wchar_t ch = static_cast<wchar_t>(wp);
      if (Control* form = KeyPreviewer()) form->KeyPress(ch);
      if (ch) KeyPress(ch);
      if (!ch) return 0;
      return DefaultProc(msg, ch, lp);
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (TakeWheel(msg, wp)) return 0;
      // Our own windows hand it on to the parent themselves: Wine's default
      // procedure does that for the vertical wheel only.
      if (!baseProc_ && parent_ && parent_->HandleAllocated())
        return SendMessageW(parent_->HandleIfCreated(), msg, wp, lp);
      break;
    case WM_LBUTTONDOWN:
      pressed_ = !baseProc_;
      break;
    case WM_LBUTTONUP:
      if (std::exchange(pressed_, false)) Click();
      break;
    case WM_LBUTTONDBLCLK:
      if (!baseProc_) DblClick();
      break;
    case WM_SETCURSOR: {
      HCURSOR c = nullptr;
      if (Application::Instance().ScreenCursorOverride(c)) {
        SetCursor(c);
        return TRUE;
      }
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      const auto* wp2 = reinterpret_cast<WINDOWPOS*>(lp);
      if (!(GetWindowLongW(wnd_, GWL_STYLE) & WS_CHILD) && !(wp2->flags & SWP_NOSIZE)) {
        RECT r;
        GetWindowRect(wnd_, &r);
        left_ = r.left;
        top_ = r.top;
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
        Resized();
      }
      break;
    }
    default:
      if (IsCtlColor(msg)) return Reflect(msg, wp, lp, reinterpret_cast<HWND>(lp));
      if (msg >= CN_BASE + WM_CTLCOLORMSGBOX && msg <= CN_BASE + WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, ColorToRGB(font_.color));
        SetBkColor(dc, ColorToRGB(color_));
        return reinterpret_cast<LRESULT>(BrushHandle());
      }
      if (msg == CN_COMMAND) {
        Change();
        return 0;
      }
      break;
  }
  return DefaultProc(msg, wp, lp);
}

bool Control::TakeWheel(UINT msg, WPARAM wp) {
  const bool horizontal = msg == WM_MOUSEHWHEEL || (GET_KEYSTATE_WPARAM(wp) & MK_SHIFT);
  if (!WantsWheel(horizontal)) return false;
  // The wheel turned towards the user moves on, as the tilt wheel pushed right.
  const int delta = GET_WHEEL_DELTA_WPARAM(wp);
  const int notches = wheel_[horizontal ? 1 : 0].Take(msg == WM_MOUSEWHEEL ? -delta : delta);
  if (notches) MouseWheel(notches, horizontal);
  return true;
}

Control* Control::KeyPreviewer() {
  Control* top = TopLevel();
  return top != this && top->PreviewsKeys() ? top : nullptr;
}

void Control::EraseBackground(HDC dc) {
  RECT r;
  GetClientRect(wnd_, &r);
  FillRect(dc, &r, BrushHandle());
}

void Control::KeyDown(WORD& key, unsigned shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
}
void Control::KeyUp(WORD& key, unsigned shift) {
  if (OnKeyUp) OnKeyUp(*this, key, shift);
}
void Control::KeyPress(wchar_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
}
void Control::Click() {
  if (OnClick) OnClick(*this);
}
void Control::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}
void Control::Change() {
  if (OnChange) OnChange(*this);
}
void Control::MouseWheel(int notches, bool horizontal) {
  if (OnMouseWheel) OnMouseWheel(*this, notches, horizontal);
}

void Control::SetBounds(int left, int top, int width, int height) {
  const bool sized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  ApplyBounds();
  if (parent_) parent_->ChildBoundsChanged(*this);
  if (sized) Resized();
}

void Control::ApplyBounds() {
  if (!wnd_) return;
  POINT off = parent_ ? parent_->ScrollOffset() : POINT{0, 0};
  SetWindowPos(wnd_, nullptr, left_ - off.x, top_ - off.y, width_, height_,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Control::ClientRect() {
  RECT r{0, 0, width_, height_};
  if (HWND w = Handle()) GetClientRect(w, &r);
  return r;
}
int Control::ClientWidth() { return ClientRect().right; }
int Control::ClientHeight() { return ClientRect().bottom; }

void Control::SetVisible(bool v) {
  visible_ = v;
  if (wnd_) ShowWindow(wnd_, v ? SW_SHOWNA : SW_HIDE);
}

void Control::SetEnabled(bool v) {
  enabled_ = v;
  if (wnd_) EnableWindow(wnd_, v);
}

void Control::SetColor(Color c) {
  if (c == color_) return;
  color_ = c;
  Invalidate();
}

void Control::SetFont(const FontDesc& f) {
  if (f == font_ && fontHandle_) return;
  font_ = f;
  fontHandle_.reset();
  FontChanged();
}

void Control::FontChanged() {
  if (wnd_) SendMessageW(wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
  Invalidate();
}

HFONT Control::FontHandle() {
  if (!fontHandle_) fontHandle_ = MakeFont(font_);
  return fontHandle_.get();
}

HBRUSH Control::BrushHandle() {
  if (!brush_ || brushColor_ != color_) {
    brush_.reset(CreateSolidBrush(ColorToRGB(color_)));
    brushColor_ = color_;
  }
  return brush_.get();
}

std::wstring Control::Caption() const {
  if (!wnd_) return caption_;
  std::wstring s(static_cast<size_t>(GetWindowTextLengthW(wnd_)) + 1, L'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(wnd_, s.data(), static_cast<int>(s.size()))));
  return s;
}

void Control::SetCaption(const std::wstring& text) {
  caption_ = text;
  if (wnd_) SetWindowTextW(wnd_, text.c_str());
}

void Control::SetTabOrder(int order) {
  tabOrder_ = order;
  if (parent_) parent_->ApplyZOrder();
}

void Control::SetTabStop(bool v) {
  tabStop_ = v;
  if (!wnd_) return;
  LONG style = GetWindowLongW(wnd_, GWL_STYLE);
  SetWindowLongW(wnd_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
}

void Control::Invalidate() {
  if (wnd_) InvalidateRect(wnd_, nullptr, TRUE);
}
void Control::Update() {
  if (wnd_) UpdateWindow(wnd_);
}
void Control::Repaint() {
  Invalidate();
  Update();
}

void Control::SetFocus() {
  if (HWND w = Handle()) ::SetFocus(w);
}

bool Control::Focused() const { return wnd_ && GetFocus() == wnd_; }

bool Control::CanFocus() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

Control* Control::TopLevel() {
  Control* c = this;
  while (c->parent_) c = c->parent_;
  return c;
}

LRESULT Control::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  return SendMessageW(Handle(), msg, wp, lp);
}

void Control::SetProperty(const std::wstring& prop, const std::wstring& value) {
  if (prop == L"Left") {
    SetLeft(ParseInt(value));
  } else if (prop == L"Top") {
    SetTop(ParseInt(value));
  } else if (prop == L"Width") {
    SetWidth(ParseInt(value));
  } else if (prop == L"Height") {
    SetHeight(ParseInt(value));
  } else if (prop == L"Caption" || prop == L"Text") {
    SetCaption(value);
  } else if (prop == L"Tag") {
    tag = ParseInt(value);
  } else if (prop == L"HelpContext") {
    helpContext = ParseInt(value);
  } else if (prop == L"TabOrder") {
    SetTabOrder(ParseInt(value));
  } else if (prop == L"TabStop") {
    SetTabStop(ParseBool(value));
  } else if (prop == L"Visible") {
    SetVisible(ParseBool(value));
  } else if (prop == L"Enabled") {
    SetEnabled(ParseBool(value));
  } else if (prop == L"Color") {
    SetColor(ParseColor(value));
  } else if (prop == L"Font.Name") {
    FontDesc f = font_;
    f.name = value;
    SetFont(f);
  } else if (prop == L"Font.Height") {
    FontDesc f = font_;
    f.height = ParseInt(value);
    SetFont(f);
  } else if (prop == L"Font.Color") {
    FontDesc f = font_;
    f.color = ParseColor(value);
    SetFont(f);
  } else if (prop == L"Font.Style") {
    FontDesc f = font_;
    f.bold = value.find(L"fsBold") != std::wstring::npos;
    f.italic = value.find(L"fsItalic") != std::wstring::npos;
    f.underline = value.find(L"fsUnderline") != std::wstring::npos;
    f.strikeOut = value.find(L"fsStrikeOut") != std::wstring::npos;
    SetFont(f);
  } else {
    throw std::invalid_argument("Unknown property");
  }
}

bool ParseBool(const std::wstring& v) { return v == L"True" || v == L"true" || v == L"1"; }

int ParseInt(const std::wstring& v) { return StrToInt(v); }

Color ParseColor(const std::wstring& v) {
  struct Named {
    const wchar_t* name;
    Color color;
  };
  static const Named kNamed[] = {{L"clBlack", clBlack},   {L"clMaroon", clMaroon},
                                 {L"clOlive", clOlive},   {L"clRed", clRed},
                                 {L"clWhite", clWhite},   {L"clBtnFace", clBtnFace},
                                 {L"clWindow", clWindow}, {L"clWindowText", clWindowText}};
  for (const auto& n : kNamed)
    if (v == n.name) return n.color;
  return static_cast<Color>(ParseInt(v));
}

}  // namespace tk
