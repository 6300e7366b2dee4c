#include "toolkit/Form.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>

#include "toolkit/Application.h"
#include "toolkit/Services.h"

namespace tk {
namespace {

std::map<std::wstring, ControlFactory>& Factories() {
  static std::map<std::wstring, ControlFactory> f;
  return f;
}

DWORD StyleFor(BorderStyle b) {
  switch (b) {
    case BorderStyle::None:
      return WS_POPUP;
    case BorderStyle::Single:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    case BorderStyle::Sizeable:
      return WS_OVERLAPPEDWINDOW;
  }
  return WS_OVERLAPPEDWINDOW;
}

// Pixels a scroll-bar arrow moves the window.
constexpr int kLineStep = 8;

// Pixels one wheel notch scrolls: the user's lines a notch (three unless
// changed) of a line step each, or a page where the user asked for pages.
long long WheelStep(int page) {
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return lines == WHEEL_PAGESCROLL ? page : static_cast<long long>(lines) * kLineStep;
}

std::vector<std::wstring> DroppedNames(HDROP drop) {
  std::vector<std::wstring> names;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    names.push_back(std::move(name));
  }
  return names;
}

BOOL CALLBACK CollectEnabled(HWND w, LPARAM lp) {
  if (IsWindowVisible(w) && IsWindowEnabled(w))
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}

}  // namespace

void RegisterControlClass(const std::wstring& className, ControlFactory factory) {
  Factories()[className] = std::move(factory);
}

Form::Form() {
  SetVisible(false);
  SetBounds(static_cast<int>(CW_USEDEFAULT), static_cast<int>(CW_USEDEFAULT), 400, 300);
}

Form::~Form() {
  DestroyHandle();
  // Children first, in reverse order of creation.
  while (!components_.empty()) components_.pop_back();
}

void Form::CreateParams(CreateArgs& args) {
  args.className = L"TForm";
  args.ownClass = true;
  args.style = StyleFor(borderStyle_) | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_CONTROLPARENT;
  // What DragAcceptFiles would set: the shell sends the form its drops.
  if (OnDropFiles) args.exStyle |= WS_EX_ACCEPTFILES;
  if (borderStyle_ == BorderStyle::Single) args.exStyle |= WS_EX_WINDOWEDGE;
}

Control* Form::AddComponent(std::unique_ptr<Control> c) {
  components_.push_back(std::move(c));
  return components_.back().get();
}

Control* Form::FindComponent(const std::wstring& n) const {
  for (const auto& c : components_)
    if (c->name == n) return c.get();
  return nullptr;
}

void Form::Apply(Control& c, const std::vector<PropDesc>& props,
                 const std::vector<EventDesc>& events) {
  for (const auto& p : props) c.SetProperty(p.name, p.value);
  for (const auto& e : events) e.wire(*this, c);
}

void Form::Load(const FormResource& res) {
  name = res.name;
  Apply(*this, res.props, res.events);
  for (const auto& d : res.components) {
    auto it = Factories().find(d.className);
    if (it == Factories().end()) throw std::invalid_argument("unknown control class");
    Control* c = AddComponent(it->second());
    c->name = d.name;
    if (d.member.bind) d.member.bind(*this, *c);
    Control* parent = std::wstring(d.parent) == res.name ? this : FindComponent(d.parent);
    if (!parent) throw std::invalid_argument("unknown parent");
    c->SetParent(parent);
    Apply(*c, d.props, d.events);
  }
  // The resource's own position is not used where Windows is to choose one.
  if (defaultPosition_)
    SetBounds(static_cast<int>(CW_USEDEFAULT), static_cast<int>(CW_USEDEFAULT), Width(), Height());
  Handle();
  UpdateScrollRange();
  if (OnCreate) OnCreate(*this);
}

void Form::SetProperty(const std::wstring& prop, const std::wstring& value) {
  if (prop == L"ClientWidth") {
    RECT r{0, 0, ParseInt(value), 0};
    AdjustWindowRectEx(&r, StyleFor(borderStyle_), FALSE, WS_EX_CONTROLPARENT);
    SetWidth(r.right - r.left);
  } else if (prop == L"ClientHeight") {
    RECT r{0, 0, 0, ParseInt(value)};
    AdjustWindowRectEx(&r, StyleFor(borderStyle_), FALSE, WS_EX_CONTROLPARENT);
    SetHeight(r.bottom - r.top);
  } else if (prop == L"BorderStyle") {
    SetBorderStyle(value == L"bsNone"     ? BorderStyle::None
                   : value == L"bsSingle" ? BorderStyle::Single
                                          : BorderStyle::Sizeable);
  } else if (prop == L"AutoScroll") {
    SetAutoScroll(ParseBool(value));
  } else if (prop == L"Position") {
    defaultPosition_ = value == L"poDefaultPosOnly" || value == L"poDefault";
  } else if (prop == L"WindowState") {
    SetWindowState(value == L"wsMaximized"   ? WindowState::Maximized
                   : value == L"wsMinimized" ? WindowState::Minimized
                                             : WindowState::Normal);
  } else if (prop == L"KeyPreview") {
    keyPreview = ParseBool(value);
  } else if (prop == L"Visible") {
    // A form shows through Show or ShowModal only.
  } else {
    Control::SetProperty(prop, value);
  }
}

void Form::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, StyleFor(borderStyle_), FALSE, WS_EX_CONTROLPARENT);
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void Form::SetWindowState(WindowState s) {
  windowState_ = s;
  if (!HandleAllocated() || !IsWindowVisible(HandleIfCreated())) return;
  ShowWindow(HandleIfCreated(), s == WindowState::Maximized   ? SW_SHOWMAXIMIZED
                                : s == WindowState::Minimized ? SW_MINIMIZE
                                                              : SW_RESTORE);
}

void Form::SetAutoScroll(bool v) {
  autoScroll_ = v;
  UpdateScrollRange();
}

void Form::ChildBoundsChanged(Control&) { UpdateScrollRange(); }

void Form::UpdateScrollRange() {
  HWND w = HandleIfCreated();
  // A bar that appears or goes sends WM_SIZE, which leads back here; the two
  // passes below already allow for it.
  if (!w || updatingScroll_) return;
  int right = 0, bottom = 0;
  if (autoScroll_) {
    for (Control* c : Children()) {
      if (!c->Visible()) continue;
      right = std::max(right, c->Left() + c->Width());
      bottom = std::max(bottom, c->Top() + c->Height());
    }
  }
  RECT rc;
  GetClientRect(w, &rc);
  // Each change of the bars repaints the frame; nothing changed, nothing to do.
  if (right == scrollRange_.cx && bottom == scrollRange_.cy && rc.right == scrollClient_.cx &&
      rc.bottom == scrollClient_.cy)
    return;
  updatingScroll_ = true;
  // Each bar that appears or goes repaints the frame at once; with redrawing
  // off the window is painted once, later, with the next paint. (Redrawing on
  // makes a window visible, so a hidden one is left as it is.)
  const bool visible = IsWindowVisible(w) != FALSE;
  if (visible) SendMessageW(w, WM_SETREDRAW, FALSE, 0);
  // A bar appearing shrinks the room for the other, which may then appear in
  // the second pass and change the first one's page: a third pass settles it.
  for (int pass = 0; pass < 3; ++pass) {
    GetClientRect(w, &rc);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMin = 0;
    si.nMax = right > rc.right ? right - 1 : 0;
    si.nPage = right > rc.right ? static_cast<UINT>(rc.right) : 0;
    SetScrollInfo(w, SB_HORZ, &si, FALSE);
    si.nMax = bottom > rc.bottom ? bottom - 1 : 0;
    si.nPage = bottom > rc.bottom ? static_cast<UINT>(rc.bottom) : 0;
    SetScrollInfo(w, SB_VERT, &si, FALSE);
  }
  updatingScroll_ = false;
  GetClientRect(w, &rc);
  scrollRange_ = SIZE{right, bottom};
  scrollClient_ = SIZE{rc.right, rc.bottom};
  POINT pos = scrollPos_;
  pos.x = std::max<LONG>(0, std::min<LONG>(pos.x, right - rc.right));
  pos.y = std::max<LONG>(0, std::min<LONG>(pos.y, bottom - rc.bottom));
  if (pos.x != scrollPos_.x || pos.y != scrollPos_.y) {
    scrollPos_ = pos;
    for (Control* c : Children()) c->ApplyBounds();
    Invalidate();
  }
  SetScrollPos(w, SB_HORZ, scrollPos_.x, FALSE);
  SetScrollPos(w, SB_VERT, scrollPos_.y, FALSE);
  if (!visible) return;
  SendMessageW(w, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Form::Scroll(int bar, WPARAM wp) {
  HWND w = HandleIfCreated();
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(w, bar, &si);
  int pos = si.nPos;
  const int page = static_cast<int>(si.nPage);
  switch (LOWORD(wp)) {
    case SB_LINEUP:
      pos -= kLineStep;
      break;
    case SB_LINEDOWN:
      pos += kLineStep;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    default:
      return;
  }
  ScrollBarTo(bar, pos);
}

void Form::ScrollBarTo(int bar, int pos) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE;
  GetScrollInfo(HandleIfCreated(), bar, &si);
  pos = std::max(0, std::min(pos, si.nMax - static_cast<int>(si.nPage) + 1));
  POINT p = scrollPos_;
  (bar == SB_HORZ ? p.x : p.y) = pos;
  ScrollTo(p);
}

bool Form::WantsWheel(bool horizontal) const {
  if (Control::WantsWheel(horizontal)) return true;
  // A bar shows where the contents reach beyond the client area.
  return autoScroll_ &&
         (horizontal ? scrollRange_.cx > scrollClient_.cx : scrollRange_.cy > scrollClient_.cy);
}

void Form::MouseWheel(int notches, bool horizontal) {
  if (OnMouseWheel) {
    Control::MouseWheel(notches, horizontal);
    return;
  }
  const int page = horizontal ? scrollClient_.cx : scrollClient_.cy;
  const long long from = horizontal ? scrollPos_.x : scrollPos_.y;
  // Clamped to the scroll range below; kept in int here, however far the wheel went.
  const long long to = std::clamp(from + notches * WheelStep(page), 0LL, 0x7FFFFFFFLL);
  ScrollBarTo(horizontal ? SB_HORZ : SB_VERT, static_cast<int>(to));
}

void Form::DropFiles(HDROP drop) {
  // The names are taken and the drop freed first: a handler may load for seconds.
  const std::vector<std::wstring> names = DroppedNames(base::DropHandle(drop).get());
  if (OnDropFiles && IsWindowEnabled(HandleIfCreated())) OnDropFiles(*this, names);
}

void Form::ScrollTo(POINT pos) {
  HWND w = HandleIfCreated();
  if (pos.x == scrollPos_.x && pos.y == scrollPos_.y) return;
  scrollPos_ = pos;
  // Children move by their stored positions: ScrollWindowEx leaves them where
  // they are while the window is hidden.
  for (Control* c : Children()) c->ApplyBounds();
  InvalidateRect(w, nullptr, TRUE);
  SetScrollPos(w, SB_HORZ, scrollPos_.x, TRUE);
  SetScrollPos(w, SB_VERT, scrollPos_.y, TRUE);
}

void Form::Show() {
  HWND w = Handle();
  int cmd = SW_SHOWNORMAL;
  if (windowState_ == WindowState::Maximized) cmd = SW_SHOWMAXIMIZED;
  if (windowState_ == WindowState::Minimized) cmd = SW_SHOWMINIMIZED;
  if (!IsWindowVisible(w) || windowState_ != WindowState::Normal) ShowWindow(w, cmd);
  SetVisible(true);
  if (activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
  if (OnShow) OnShow(*this);
}

void Form::Close() {
  if (HWND w = HandleIfCreated()) SendMessageW(w, WM_CLOSE, 0, 0);
}

int Form::ShowModal() {
  // While the form is up the thread's other windows are disabled. On the way
  // out, also when showing throws, they are enabled again, the form is hidden
  // and the window that was active before is active again.
  struct ModalScope {
    explicit ModalScope(Form& f) : form(f), self(f.Handle()), previous(GetActiveWindow()) {
      EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled));
      disabled.erase(std::remove(disabled.begin(), disabled.end(), self), disabled.end());
      for (HWND w : disabled) EnableWindow(w, FALSE);
      form.modal_ = true;
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    ~ModalScope() {
      for (HWND w : disabled) EnableWindow(w, TRUE);
      ShowWindow(self, SW_HIDE);
      form.SetVisible(false);
      form.modal_ = false;
      if (previous && IsWindow(previous)) SetActiveWindow(previous);
    }
    Form& form;
    HWND self;
    HWND previous;
    std::vector<HWND> disabled;
  } scope(*this);
  modalResult_ = 0;
  Show();
  auto& app = Application::Instance();
  // A quit message (the main window went away) ends the modal loop as well.
  while (modalResult_ == 0 && app.HandleMessage(true)) {
  }
  return std::exchange(modalResult_, 0);
}

void Form::SetActiveControl(Control* c) {
  activeControl_ = c;
  if (c && HandleAllocated() && IsWindowVisible(HandleIfCreated()) && c->CanFocus()) c->SetFocus();
}

void Form::Paint(HDC) {
  if (OnPaint) OnPaint(*this);
}

bool Form::RealizePalette(bool background) {
  std::vector<Control*> todo(Children().begin(), Children().end());
  while (!todo.empty()) {
    Control* c = todo.back();
    todo.pop_back();
    if (HPALETTE pal = c->GetPalette()) {
      base::WindowDc dc(HandleIfCreated());
      base::PaletteGuard guard(dc.get(), pal, background);
      const UINT changed = ::RealizePalette(dc.get());
      if (changed) InvalidateRect(HandleIfCreated(), nullptr, FALSE);
      return true;
    }
    todo.insert(todo.end(), c->Children().begin(), c->Children().end());
  }
  return false;
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HSCROLL:
      if (lp == 0) {
        Scroll(SB_HORZ, wp);
        return 0;
      }
      break;
    case WM_VSCROLL:
      if (lp == 0) {
        Scroll(SB_VERT, wp);
        return 0;
      }
      break;
    case WM_SIZE:
      UpdateScrollRange();
      break;
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && activeControl_ && activeControl_->CanFocus()) {
        activeControl_->SetFocus();
        return 0;
      }
      break;
    case WM_QUERYNEWPALETTE:
      return RealizePalette(false);
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wp) != HandleIfCreated()) RealizePalette(true);
      return 0;
    case WM_CLOSE:
      if (modal_) {
        modalResult_ = mrCancel;
        return 0;
      }
      if (Application::Instance().MainForm() == this) {
        DestroyHandle();
        return 0;
      }
      ShowWindow(HandleIfCreated(), SW_HIDE);
      SetVisible(false);
      return 0;
    case WM_DESTROY:
      if (OnDestroy) OnDestroy(*this);
      if (Application::Instance().MainForm() == this) Application::Instance().Terminate();
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

}  // namespace tk
