// The windowed control base: one C++ object bound to one HWND through its
// GWLP_USERDATA. Own window classes are bound by the WM_NCCREATE trampoline,
// standard controls by subclassing; the parent reflects WM_COMMAND,
// WM_DRAWITEM and WM_CTLCOLOR* back to the child's wrapper as CN_* messages.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Graphics.h"
#include "base/Handles.h"
#include "toolkit/portable/Wheel.h"

namespace tk {

// Reflected notifications: CN_BASE + the original message number.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;

enum ShiftState : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
unsigned CurrentShiftState();

struct CreateArgs {
  std::wstring className;
  bool ownClass = true;  // false: a standard control that we subclass
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  UINT classStyle = CS_DBLCLKS;
  HCURSOR cursor = nullptr;
};

class Control {
 public:
  using Notify = std::function<void(Control& sender)>;
  using KeyEvent = std::function<void(Control& sender, WORD& key, unsigned shift)>;
  using KeyPressEvent = std::function<void(Control& sender, wchar_t& key)>;
  // Whole notches of the mouse wheel: positive towards the end (down or
  // right); horizontal for the tilt wheel and for the wheel turned with Shift.
  using WheelEvent = std::function<void(Control& sender, int notches, bool horizontal)>;

  Control();
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  static Control* FromHandle(HWND wnd);

  // The window, created on demand once the control has a parent (or is top level).
  HWND Handle();
  HWND HandleIfCreated() const { return wnd_; }
  bool HandleAllocated() const { return wnd_ != nullptr; }
  void DestroyHandle();
  void RecreateWnd();

  Control* Parent() const { return parent_; }
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }

  std::wstring name;
  int tag = 0;
  int helpContext = 0;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT ClientRect();
  int ClientWidth();
  int ClientHeight();

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  Color GetColor() const { return color_; }
  virtual void SetColor(Color c);
  const FontDesc& GetFont() const { return font_; }
  virtual void SetFont(const FontDesc& f);
  HFONT FontHandle();    // owned by the control
  HBRUSH BrushHandle();  // owned by the control

  std::wstring Caption() const;
  virtual void SetCaption(const std::wstring& text);

  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);

  void Invalidate();
  void Update();
  void Repaint();
  void SetFocus();
  bool Focused() const;
  bool CanFocus() const;

  // The form this control sits on (walks up the parents).
  Control* TopLevel();

  // Named properties as form resources store them; unknown names raise.
  virtual void SetProperty(const std::wstring& prop, const std::wstring& value);

  // Palette this control wants realised by its form (none by default).
  virtual HPALETTE GetPalette() { return nullptr; }

  // True for a form whose key handlers see its controls' keys first.
  virtual bool PreviewsKeys() const { return false; }

  Notify OnClick;
  Notify OnDblClick;
  Notify OnChange;
  KeyEvent OnKeyDown;
  KeyEvent OnKeyUp;
  KeyPressEvent OnKeyPress;
  WheelEvent OnMouseWheel;

  // Moves the window to the stored bounds (after the parent scrolled).
  void ApplyBounds();

  // Sends a message to the window and returns its result (creates the window).
  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);

 protected:
  virtual void CreateParams(CreateArgs& args);
  virtual void CreateWnd();
  virtual void AfterCreate() {}
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  virtual void Paint(HDC dc) { (void)dc; }
  virtual void EraseBackground(HDC dc);
  virtual void KeyDown(WORD& key, unsigned shift);
  virtual void KeyUp(WORD& key, unsigned shift);
  virtual void KeyPress(wchar_t& key);
  virtual void Click();
  virtual void DblClick();
  virtual void Change();
  // Whether the control takes the wheel along that axis; what it does not
  // take goes on to its parent.
  virtual bool WantsWheel(bool horizontal) const {
    (void)horizontal;
    return OnMouseWheel != nullptr;
  }
  virtual void MouseWheel(int notches, bool horizontal);
  virtual void Resized() {}
  // Offset of this control's children by the parent's scrolling.
  virtual POINT ScrollOffset() const { return POINT{0, 0}; }
  virtual void ChildBoundsChanged(Control& child) { (void)child; }
  virtual void FontChanged();
  void SetOpaque(bool v) { opaque_ = v; }
  bool Opaque() const { return opaque_; }
  std::wstring caption_;

 private:
  friend struct ControlAccess;
  static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  static Control* Bound(HWND wnd);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Reflect(UINT msg, WPARAM wp, LPARAM lp, HWND child);
  bool TakeWheel(UINT msg, WPARAM wp);
  void Attach(HWND wnd);
  void Detach();
  void ApplyZOrder();
  Control* KeyPreviewer();

  HWND wnd_ = nullptr;  // owned: destroyed by DestroyHandle or with the parent window
  // A subclassed standard control's own procedure, which we forward to; null
  // for our own window classes.
  WNDPROC baseProc_ = nullptr;
  Control* parent_ = nullptr;       // we don't own it
  std::vector<Control*> children_;  // we don't own them
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool opaque_ = false;
  bool pressed_ = false;  // the left button went down here: its release is a click
  bool tabStop_ = false;
  int tabOrder_ = -1;
  Color color_ = clBtnFace;
  FontDesc font_;
  base::Font fontHandle_;
  base::Brush brush_;
  Color brushColor_ = 0;
  WheelNotches wheel_[2];  // vertical, horizontal
};

// Parses the resource value forms: "True"/"False", decimal and "$hex" numbers.
bool ParseBool(const std::wstring& v);
int ParseInt(const std::wstring& v);
Color ParseColor(const std::wstring& v);

}  // namespace tk
