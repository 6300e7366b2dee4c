#include "toolkit/Application.h"

#include <windowsx.h>

#include "toolkit/CodePages.h"
#include "toolkit/Control.h"
#include "toolkit/Form.h"
#include "toolkit/Services.h"

namespace tk {

namespace {

// The wheel turns what is under the mouse, as Windows 10 does by default:
// within the window the message came to, it goes to the control under the
// cursor (so a list scrolls itself, and a picture pane its window).
void RouteWheel(MSG& msg) {
  if ((msg.message != WM_MOUSEWHEEL && msg.message != WM_MOUSEHWHEEL) || !msg.hwnd) return;
  HWND under = WindowFromPoint(POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
  if (under && GetAncestor(under, GA_ROOT) == GetAncestor(msg.hwnd, GA_ROOT)) msg.hwnd = under;
}

}  // namespace

Application& Application::Instance() {
  static Application app;
  return app;
}

bool Application::HelpCommand(UINT command, ULONG_PTR data) {
  if (helpFile.empty()) return false;
  HWND owner = mainForm_ ? mainForm_->HandleIfCreated() : nullptr;
  return Help().WinHelp(owner, helpFile, command, data);
}

bool Application::HelpForFocus() {
  Control* c = Control::FromHandle(GetFocus());
  while (c && c->helpContext == 0) c = c->Parent();
  if (!c) return false;
  return HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(c->helpContext));
}

void Application::Run() {
  terminated_ = false;
  while (!terminated_ && HandleMessage(true)) {
  }
}

void Application::ProcessMessages() {
  while (HandleMessage(false)) {
  }
}

void Application::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

bool Application::HandleMessage(bool wait) {
  MSG msg;
  if (wait) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      terminated_ = true;
      return false;
    }
  } else {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // let the outer loop see it
      return false;
    }
  }
  ProcessMessage(msg);
  return true;
}

void Application::ProcessMessage(MSG& msg) {
  try {
    bool handled = false;
    if (OnMessage) OnMessage(msg, handled);
    if (handled) return;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
      HelpForFocus();
      return;
    }
    RouteWheel(msg);
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    auto* form = dynamic_cast<Form*>(Control::FromHandle(root));
    if (form && form->DialogNavigation() && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void Application::HandleException(const std::exception& e) {
  if (OnException) {
    OnException(e);
    return;
  }
  const std::wstring text = FromUtf8(e.what());
  BeepAndMessageDlg(text, MsgKind::Error, mbOK);
}

void Application::SetCursor(ScreenCursor c) {
  cursor_ = c;
  HCURSOR h = nullptr;
  if (ScreenCursorOverride(h)) {
    ::SetCursor(h);
  } else {
    // Let the window under the mouse choose its own cursor again.
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x, p.y);
  }
}

bool Application::ScreenCursorOverride(HCURSOR& cursor) const {
  switch (cursor_) {
    case ScreenCursor::Default:
      return false;
    case ScreenCursor::HourGlass:
      cursor = LoadCursorW(nullptr, IDC_WAIT);
      return true;
    case ScreenCursor::Arrow:
      cursor = LoadCursorW(nullptr, IDC_ARROW);
      return true;
    case ScreenCursor::None:
      cursor = nullptr;
      return true;
  }
  return false;
}

}  // namespace tk
