// The application object: message loop with an application-wide message hook,
// title, help file and help command, the screen cursor and the general
// exception handler.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace tk {

class Control;
class Form;

enum class ScreenCursor { Default, HourGlass, Arrow, None };

class Application {
 public:
  static Application& Instance();

  // Sees every queued message before dispatch; setting handled stops the dispatch.
  std::function<void(MSG& msg, bool& handled)> OnMessage;

  const std::wstring& Title() const { return title_; }
  void SetTitle(const std::wstring& title) { title_ = title; }

  // File name, optionally followed by ">" and the help window name.
  std::wstring helpFile;
  // Calls the help engine with helpFile and the main form as owner; nothing
  // happens while helpFile is empty.
  bool HelpCommand(UINT command, ULONG_PTR data);
  // F1: the focused control, or its first parent with a help context.
  bool HelpForFocus();

  Form* MainForm() const { return mainForm_; }
  void SetMainForm(Form* f) { mainForm_ = f; }

  // Runs until the main form is destroyed or Terminate is called.
  void Run();
  // Handles every pending message and returns.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Takes one message from the queue (waiting when wait is true) and handles it.
  bool HandleMessage(bool wait);

  // The general handler: shows the exception's message and lets the program go on.
  void HandleException(const std::exception& e);
  std::function<void(const std::exception&)> OnException;

  ScreenCursor Cursor() const { return cursor_; }
  void SetCursor(ScreenCursor c);
  // True when the screen cursor overrides each window's own cursor.
  bool ScreenCursorOverride(HCURSOR& cursor) const;

 private:
  Application() = default;
  void ProcessMessage(MSG& msg);

  std::wstring title_;
  Form* mainForm_ = nullptr;  // we don't own it
  bool terminated_ = false;
  ScreenCursor cursor_ = ScreenCursor::Default;
};

}  // namespace tk
